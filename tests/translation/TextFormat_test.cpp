#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "TranslationFixture.h"
#include "translation/TextFormat.h"

namespace {

TEST(FormatText, FillsPlaceholdersInOrder) {
    const Text owned = u"C:\\Data";
    EXPECT_EQ(FormatText(u"Done.", {}), u"Done.");
    EXPECT_EQ(FormatText(u"", {}), u"");
    EXPECT_EQ(FormatText(u"Collecting directories: %s", {owned}),
              u"Collecting directories: C:\\Data");
    EXPECT_EQ(FormatText(u"Group %d (%s)", {3, u"1,5 MB"}), u"Group 3 (1,5 MB)");
    EXPECT_EQ(FormatText(u"%s%s", {u"a", u"b"}), u"ab");
    EXPECT_EQ(FormatText(u"[%s]", {TextView()}), u"[]");
    EXPECT_EQ(FormatText(u"%d/%d", {std::size_t{7}, -42}), u"7/-42");
    EXPECT_EQ(FormatText(u"%d", {std::numeric_limits<std::int64_t>::min()}),
              u"-9223372036854775808");
    EXPECT_EQ(FormatText(u"%d", {1234567}), u"1234567");  // no grouping
    EXPECT_EQ(FormatText(u"100%%", {}), u"100%");
    EXPECT_EQ(FormatText(u"%%d %%s", {}), u"%d %s");
    EXPECT_EQ(FormatText(u"Größe: %s", {u"Ä %d %s"}), u"Größe: Ä %d %s");  // arguments stay raw
}

std::string FormatError(TextView pattern, std::initializer_list<TFormatArg> args) {
    try {
        FormatText(pattern, args);
    } catch (const EFormatError& error) {
        return error.what();
    }
    return "no error";
}

TEST(FormatText, MismatchedPlaceholdersRaiseAnErrorNamingThePattern) {
    const struct {
        const char* Why;
        std::string Message;
        const char* Pattern;
    } cases[] = {
        {"unknown placeholder", FormatError(u"%x", {1}), "%x"},
        {"width", FormatError(u"%5d", {1}), "%5d"},
        {"lone % at the end", FormatError(u"50%", {}), "50%"},
        {"missing argument", FormatError(u"%s and %s", {u"a"}), "%s and %s"},
        {"no arguments at all", FormatError(u"Größe %d", {}), "Größe %d"},
        {"text for %d", FormatError(u"%d files", {u"7"}), "%d files"},
        {"number for %s", FormatError(u"in %s", {7}), "in %s"},
        {"argument left over", FormatError(u"Done.", {u"x"}), "Done."},
        {"two left over", FormatError(u"%d", {1, 2}), "%d"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        EXPECT_NE(c.Message, "no error");
        EXPECT_NE(c.Message.find(std::string("\"") + c.Pattern + "\""), std::string::npos)
            << c.Message;
    }
}

class TranslateFormatTest : public TranslationTest {};

TEST_F(TranslateFormatTest, FormatsTheTranslatedPatternOrFallsBackToEnglish) {
    Load(
        "2\nEnglish\nDeutsch\nen\nde\n"
        "Found %d files (after filters).\n%d Dateien gefunden (nach Filtern).\n"
        "Group %d (%s)\nGruppe %s (%d)\n"
        "Scanning: %s (%d/%d)\nDurchsuche: %s\n"
        "Done %d\nFertig %x\n",
        Text(u"de"));
    EXPECT_EQ(TranslateFormat(u"Found %d files (after filters).", {12}),
              u"12 Dateien gefunden (nach Filtern).");
    EXPECT_EQ(TranslateFormat(u"Absent %d", {1}), u"Absent 1");
    // Translations whose placeholders do not fit: that message in English, nothing raised.
    EXPECT_EQ(TranslateFormat(u"Group %d (%s)", {1, u"2 MB"}), u"Group 1 (2 MB)");
    EXPECT_EQ(TranslateFormat(u"Scanning: %s (%d/%d)", {u"/a", 1, 2}), u"Scanning: /a (1/2)");
    EXPECT_EQ(TranslateFormat(u"Done %d", {3}), u"Done 3");
    // A bad English pattern is the program's own mistake and still raises.
    EXPECT_THROW(TranslateFormat(u"Absent %d", {}), EFormatError);
    EXPECT_THROW(TranslateFormat(u"Group %d (%s)", {1}), EFormatError);
}

TEST_F(TranslateFormatTest, StrictFormattingReportsABrokenTranslation) {
    Load("2\nEnglish\nDeutsch\nen\nde\nGroup %d (%s)\nGruppe %s (%d)\n", Text(u"de"));
    try {
        TranslateFormatStrict(u"Group %d (%s)", {1, u"2 MB"});
        ADD_FAILURE() << "no error";
    } catch (const EFormatError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("\"Gruppe %s (%d)\""), std::string::npos) << message;
        EXPECT_NE(message.find("\"Group %d (%s)\""), std::string::npos) << message;
    }
    CurrentLanguageIndex = 0;
    EXPECT_EQ(TranslateFormatStrict(u"Group %d (%s)", {1, u"2 MB"}), u"Group 1 (2 MB)");
}

}  // namespace
