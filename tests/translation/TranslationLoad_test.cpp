#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TranslationFixture.h"
#include "platform/FileSystem.h"
#include "platform/PathSyntax.h"
#include "platform/Text.h"

namespace {

using TTable = std::vector<std::vector<Text>>;

struct TParseCase {
    const char* Name;
    std::string Bytes;
    TTable Table;
    int Index;  // with "de" stored
};

const TTable HelloTable = {{u"English", u"en", u"Hello"}, {u"Deutsch", u"de", u"Hallo"}};
const TTable ThreeLanguages = {
    {u"English", u"en", u"Hello"}, {u"Deutsch", u"de", u"Hallo"}, {u"Français", u"fr", u"Bonjour"}};
const std::string ThreeHead = "3\nEnglish\nDeutsch\nFrançais\nen\nde\nfr\nHello\nHallo\nBonjour\n";

const std::vector<TParseCase> ParseCases = {
    {"LF", "2\nEnglish\nDeutsch\nen\nde\nHello\nHallo\n", HelloTable, 1},
    {"CR LF", "2\r\nEnglish\r\nDeutsch\r\nen\r\nde\r\nHello\r\nHallo\r\n", HelloTable, 1},
    {"CR", "2\rEnglish\rDeutsch\ren\rde\rHello\rHallo\r", HelloTable, 1},
    {"mixed breaks", "2\r\nEnglish\rDeutsch\nen\r\nde\rHello\nHallo", HelloTable, 1},
    {"byte-order mark",
     "\xEF\xBB\xBF"
     "2\nEnglish\nDeutsch\nen\nde\nHello\nHallo\n",
     HelloTable, 1},
    {"no final break", "2\nEnglish\nDeutsch\nen\nde\nHello\nHallo", HelloTable, 1},
    {"empty lines count",
     "2\nEnglish\nDeutsch\nen\nde\nHello\n\nBye\nTschüss\n",
     {{u"English", u"en", u"Hello", u"Bye"}, {u"Deutsch", u"de", u"", u"Tschüss"}},
     1},
    {"CR LF is one break, not an empty line",
     "2\r\nEnglish\r\nDeutsch\r\nen\r\nde\r\nHello\r\n\r\nBye\r\nTschüss\r\n",
     {{u"English", u"en", u"Hello", u"Bye"}, {u"Deutsch", u"de", u"", u"Tschüss"}},
     1},
    {"incomplete last row ignored", "2\nEnglish\nDeutsch\nen\nde\nHello\nHallo\nBye\n", HelloTable,
     1},
    {"a trailing empty line is an incomplete row", "2\nEnglish\nDeutsch\nen\nde\nHello\nHallo\n\n",
     HelloTable, 1},
    {"N = 3, 10 lines", ThreeHead, ThreeLanguages, 1},
    {"N = 3, 11 lines", ThreeHead + "Bye\n", ThreeLanguages, 1},
    {"N = 3, 12 lines", ThreeHead + "Bye\nTschüss\n", ThreeLanguages, 1},
    {"first matching code wins",
     "3\nEnglish\nDeutsch\nSchwiizertüütsch\nen\nde\nde\n",
     {{u"English", u"en"}, {u"Deutsch", u"de"}, {u"Schwiizertüütsch", u"de"}},
     1},
    {"code row in capitals",
     "2\nEnglish\nDeutsch\nen\nDE\n",
     {{u"English", u"en"}, {u"Deutsch", u"DE"}},
     1},
    {"no language with the stored code",
     "2\nEnglish\nFrançais\nen\nfr\n",
     {{u"English", u"en"}, {u"Français", u"fr"}},
     0},
    // Failures: English stays, and whatever was read before the failure is kept.
    {"empty file", "", {}, 0},
    {"byte-order mark only", "\xEF\xBB\xBF", {}, 0},
    {"N = 0", "0\nEnglish\nen\nHello\n", {}, 0},
    {"N negative", "-2\nEnglish\nDeutsch\nen\nde\n", {}, 0},
    {"line 0 a word", "two\nEnglish\nDeutsch\nen\nde\n", {}, 0},
    {"line 0 with trailing text", "2x\nEnglish\nDeutsch\nen\nde\n", {}, 0},
    {"line 0 empty", "\nEnglish\nDeutsch\nen\nde\n", {}, 0},
    {"N beyond int", "99999999999\nEnglish\nDeutsch\nen\nde\n", {}, 0},
    {"N beyond the file's lines", "2147483647\nEnglish\nDeutsch\nen\nde\n", {}, 0},
    {"code row of the last language missing",
     "2\nEnglish\nDeutsch\nen\n",
     {{u"English"}, {u"Deutsch"}},
     0},
    {"code rows missing from the second language on",
     "3\nEnglish\nDeutsch\nFrançais\nen\n",
     {{u"English"}, {u"Deutsch"}, {}},
     0},
};

class TranslationLoad : public TranslationTest {};

TEST_F(TranslationLoad, ParsesTheGridOrFallsBackToEnglish) {
    for (const TParseCase& c : ParseCases) {
        SCOPED_TRACE(c.Name);
        ResetTranslations();
        EXPECT_NO_THROW(Load(c.Bytes, Text(u"de")));
        EXPECT_EQ(TranslationTable, c.Table);
        EXPECT_EQ(CurrentLanguageIndex, c.Index);
        EXPECT_EQ(CurrentLanguageCode, u"de");
    }
}

TEST_F(TranslationLoad, MissingFileLeavesEnglishAndTheStoredCode) {
    Store.Stored = u"de";
    EXPECT_NO_THROW(LoadTranslationsFrom(Tree.TextPath("none/transl.dt"), &Store));
    EXPECT_TRUE(TranslationTable.empty());
    EXPECT_EQ(CurrentLanguageIndex, 0);
    EXPECT_EQ(CurrentLanguageCode, u"de");
    EXPECT_EQ(TranslateText(u"Ready"), u"Ready");
}

TEST_F(TranslationLoad, FolderInPlaceOfTheFileIsTakenAsMissing) {
    Tree.Folder("transl.dt");
    EXPECT_NO_THROW(LoadTranslationsFrom(Tree.TextPath("transl.dt"), &Store));
    EXPECT_TRUE(TranslationTable.empty());
    EXPECT_EQ(CurrentLanguageIndex, 0);
}

// The executable's folder comes through a seam: where it cannot be found (/proc hidden) the
// program starts in English with the stored code, as without a table.
Text TestTableFolder;
Text TableFolder() {
    return TestTableFolder;
}
Text NoExecutableFolder() {
    throw Platform::EPlatformError("Cannot read \"/proc/self/exe\": No such file or directory");
}

TEST_F(TranslationLoad, NoExecutableFolderLeavesEnglishAndTheStoredCode) {
    Tree.File("transl.dt", "2\nEnglish\nDeutsch\nen\nde\nHello\nHallo\n");
    Store.Stored = u"de";
    EXPECT_NO_THROW(LoadTranslations(&Store, NoExecutableFolder));
    EXPECT_TRUE(TranslationTable.empty());
    EXPECT_EQ(CurrentLanguageIndex, 0);
    EXPECT_EQ(CurrentLanguageCode, u"de");

    TestTableFolder = Platform::ExcludeTrailingSeparator(Tree.FolderText(), Platform::NativeSyntax);
    LoadTranslations(&Store, TableFolder);
    EXPECT_EQ(CurrentLanguageIndex, 1);
    EXPECT_EQ(TranslateText(u"Hello"), u"Hallo");
}

class TFailingLanguageStore : public TLanguageStore {
public:
    std::optional<Text> ReadCurrentLanguage() override { throw std::runtime_error("unreadable"); }
    bool WriteCurrentLanguage(const Text&) override { return false; }
};

TEST_F(TranslationLoad, AStoreThatFailsLeavesTheSystemLanguage) {
    const std::string system = SystemLanguage("de_DE.UTF-8");
    Tree.File("transl.dt", "2\nOther\nSystem\nxx\n" + system + "\nHello\nHallo\n");
    TFailingLanguageStore failing;
    EXPECT_NO_THROW(LoadTranslationsFrom(Tree.TextPath("transl.dt"), &failing));
    EXPECT_EQ(Platform::TextToUtf8(CurrentLanguageCode), system);
    EXPECT_EQ(CurrentLanguageIndex, 1);
}

TEST_F(TranslationLoad, StoredCodeInCapitalsSelectsTheLanguageAndKeepsItsCase) {
    Load("3\nEnglish\nDeutsch\nFrançais\nen\nde\nfr\n", Text(u"FR"));
    EXPECT_EQ(CurrentLanguageIndex, 2);
    EXPECT_EQ(CurrentLanguageCode, u"FR");
}

TEST_F(TranslationLoad, StoredCodeOfNoLanguageGivesEnglishAndStaysAsStored) {
    Load("2\nEnglish\nDeutsch\nen\nde\n", Text(u"xx"));
    EXPECT_EQ(CurrentLanguageIndex, 0);
    EXPECT_EQ(CurrentLanguageCode, u"xx");
    EXPECT_TRUE(Store.Writes.empty());
}

TEST_F(TranslationLoad, EmptyStoredCodeIsTakenAsItIs) {
    SetSystemLanguage("de_DE.UTF-8");
    Load("2\nEnglish\nDeutsch\nen\nde\n", Text());
    EXPECT_EQ(CurrentLanguageCode, u"");
    EXPECT_EQ(CurrentLanguageIndex, 0);
}

TEST_F(TranslationLoad, WithoutAStoredCodeTheSystemLanguageDecides) {
    const std::string system = SystemLanguage("de_AT.UTF-8");
#ifndef _WIN32
    ASSERT_EQ(system, "de");
#endif
    // Second, after a code that is no language: the index cannot be the fallback's 0.
    Load("2\nOther\nSystem\nxx\n" + system + "\n", std::nullopt);
    EXPECT_EQ(Platform::TextToUtf8(CurrentLanguageCode), system);
    EXPECT_EQ(CurrentLanguageIndex, 1);
}

TEST_F(TranslationLoad, WorksWithoutAStore) {
    const std::string system = SystemLanguage("de_DE.UTF-8");
    Tree.File("transl.dt", "2\nOther\nSystem\nxx\n" + system + "\nHello\nHallo\n");
    LoadTranslationsFrom(Tree.TextPath("transl.dt"), nullptr);
    EXPECT_EQ(CurrentLanguageIndex, 1);
    EXPECT_EQ(TranslateText(u"Hello"), u"Hallo");
}

TEST_F(TranslationLoad, ResetGoesBackToEnglishAndAnEmptyTable) {
    Load("2\nEnglish\nDeutsch\nen\nde\nHello\nHallo\n", Text(u"DE"));
    ASSERT_EQ(CurrentLanguageIndex, 1);
    ResetTranslations();
    EXPECT_TRUE(TranslationTable.empty());
    EXPECT_EQ(CurrentLanguageIndex, 0);
    EXPECT_EQ(CurrentLanguageCode, u"en");
}

}  // namespace
