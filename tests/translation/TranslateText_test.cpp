#include <gtest/gtest.h>

#include "TranslationFixture.h"

namespace {

class TranslateTextTest : public TranslationTest {
protected:
    void SetUp() override {
        TranslationTest::SetUp();
        Load(
            "3\nEnglish\nDeutsch\nKurz\nen\nde\nxx\n"
            "Hello\nHallo\nHi\n"
            "Empty\n\nLeer\n"
            "Hello\nServus\nHey\n"
            "Bye\nTschüss\nCiao\n",
            Text(u"de"));
    }
};

TEST_F(TranslateTextTest, LooksUpTheCurrentLanguage) {
    ASSERT_EQ(CurrentLanguageIndex, 1);
    const struct {
        Text English, Expected;
    } cases[] = {
        {u"Hello", u"Hallo"},      // the first of two equal rows wins
        {u"Bye", u"Tschüss"},      // a later row
        {u"Empty", u"Empty"},      // empty translation
        {u"Absent", u"Absent"},    // no such row
        {u"hello", u"hello"},      // case-sensitive
        {u"Hell", u"Hell"},        // the whole text must match
        {u"Hello ", u"Hello "},    // trailing space is part of the key
        {u"English", u"Deutsch"},  // the name row is a row like the others
        {u"en", u"de"},            // and so is the code row
        {u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Platform::TextToUtf8(c.English));
        EXPECT_EQ(TranslateText(c.English), c.Expected);
    }
}

TEST_F(TranslateTextTest, OtherLanguagesAndIndexesOutsideTheTable) {
    CurrentLanguageIndex = 2;
    EXPECT_EQ(TranslateText(u"Hello"), u"Hi");
    EXPECT_EQ(TranslateText(u"Empty"), u"Leer");

    for (int index : {0, -1, 3, 1000}) {
        SCOPED_TRACE(index);
        CurrentLanguageIndex = index;
        EXPECT_EQ(TranslateText(u"Hello"), u"Hello");
        EXPECT_EQ(TranslateText(u"Empty"), u"Empty");
    }
}

TEST_F(TranslateTextTest, BeforeAnyTableTheTextComesBack) {
    ResetTranslations();
    CurrentLanguageIndex = 1;
    EXPECT_EQ(TranslateText(u"Hello"), u"Hello");
}

TEST_F(TranslateTextTest, LanguageCutShortByABrokenFileIsNoCrash) {
    // The code row of the second language is missing: the third language stays empty.
    ResetTranslations();
    Load("3\nEnglish\nDeutsch\nKurz\nen\n", Text(u"de"));
    ASSERT_EQ(TranslationTable.size(), 3u);
    for (int index : {1, 2}) {
        SCOPED_TRACE(index);
        CurrentLanguageIndex = index;
        EXPECT_EQ(TranslateText(u"Hello"), u"Hello");
    }
    CurrentLanguageIndex = 1;
    EXPECT_EQ(TranslateText(u"English"), u"Deutsch");
    CurrentLanguageIndex = 2;
    EXPECT_EQ(TranslateText(u"English"), u"English");
}

TEST(LanguageCodeForPrimaryId, MapsTheKnownLanguagesAndTheRestToEnglish) {
    const struct {
        int Id;
        const char16_t* Code;
    } cases[] = {
        {1, u"ar"},  {4, u"cn"},  {5, u"cs"},  {7, u"de"},  {8, u"el"},  {9, u"en"},   {10, u"es"},
        {12, u"fr"}, {14, u"hu"}, {16, u"it"}, {17, u"jp"}, {18, u"kr"}, {19, u"nl"},  {21, u"pl"},
        {22, u"pt"}, {31, u"tr"}, {0, u"en"},  {6, u"en"},  {25, u"en"}, {255, u"en"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Id);
        EXPECT_EQ(LanguageCodeForPrimaryId(c.Id), c.Code);
    }
}

// On Windows the language is the system's, fixed for the process: the mapping of its
// identifier is tested above.
#ifndef _WIN32
TEST_F(TranslationTest, DetectSystemLanguageFollowsTheSession) {
    const struct {
        const char* Locale;
        const char16_t* Code;
    } cases[] = {
        {"de_DE.UTF-8", u"de"}, {"ja_JP.UTF-8", u"jp"}, {"zh_CN.UTF-8", u"cn"}, {"ko_KR", u"kr"},
        {"pt_BR", u"pt"},       {"en_GB.UTF-8", u"en"}, {"ru_RU.UTF-8", u"en"}, {"C", u"en"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Locale);
        SetSystemLanguage(c.Locale);
        EXPECT_EQ(DetectSystemLanguage(), c.Code);
    }
}
#endif

TEST_F(TranslationTest, SaveWritesTheCurrentCodeAsItIs) {
    CurrentLanguageCode = u"DE";
    SaveCurrentLanguage(&Store);
    ASSERT_EQ(Store.Writes.size(), 1u);
    EXPECT_EQ(Store.Writes[0], u"DE");
}

TEST_F(TranslationTest, SaveToAStoreThatCannotBeOpenedIsSilent) {
    Store.CanOpen = false;
    CurrentLanguageCode = u"de";
    EXPECT_NO_THROW(SaveCurrentLanguage(&Store));
    EXPECT_TRUE(Store.Writes.empty());
    EXPECT_EQ(CurrentLanguageCode, u"de");
    EXPECT_NO_THROW(SaveCurrentLanguage(nullptr));
}

}  // namespace
