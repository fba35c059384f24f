// The version decision on plain bytes: no network, no toolkit.
#include <gtest/gtest.h>

#include <string>

#include "support/TestTranslations.h"
#include "translation/Translation.h"
#include "uNewVersionCheck/VersionDecision.h"

namespace {

const Text WhatsNew = u"\r\n\r\nWhat's new:\r\n";

TEST(DecideNewVersion, FirstLineOfTheVersionDocument) {
    const struct {
        std::string document;
        bool show;
        bool force;
        Text announcement;  // the message up to "What's new:"
    } cases[] = {
        {"21/21", false, false, u""},
        {"21/10", false, false, u""},
        {"22/21", true, false, u"The new version 2.2 is available"},
        {"22/21\r\n", true, false, u"The new version 2.2 is available"},
        {"22/21\nignored/99\n", true, false, u"The new version 2.2 is available"},
        {"105/21", true, false, u"The new version 10.5 is available"},
        {"22/22", true, true,
         u"This version of the software is out of date. You must download the current version "
         u"2.2 to continue using the software."},
        // The minimum is tested first: a demand even though 21 is not newer.
        {"21/22", true, true,
         u"This version of the software is out of date. You must download the current version "
         u"2.1 to continue using the software."},
        {"\xEF\xBB\xBF"
         "22/21",
         true, false, u"The new version 2.2 is available"},
        {"", false, false, u""},
        {"\r\n22/21", false, false, u""},  // only line 0 counts, and it is empty
        {"22", false, false, u""},
        {"22/", false, false, u""},
        {"/21", false, false, u""},
        {"a/b", false, false, u""},
        {"22/x", false, false, u""},
        {"2.2/2.1", false, false, u""},
        {"22/21/20", false, false, u""},  // split at the first "/": "21/20" is no integer
        {" 22/21", false, false, u""},
        {"22/21 ", false, false, u""},
        {"+22/21", false, false, u""},
        {"-5/22", false, false, u""},
        {"99999999999/21", false, false, u""},  // beyond int: no integer either
        {"<!DOCTYPE html>\n<html><body>22/21</body></html>", false, false, u""},
        {"<html><head><title>404 Not Found</title></head></html>", false, false, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("version document: " + c.document);
        const TVersionDecision decision = DecideNewVersion(c.document, "- one change\n");
        EXPECT_EQ(decision.ShowDialog, c.show);
        EXPECT_EQ(decision.ForceUpdate, c.force);
        if (c.show)
            EXPECT_EQ(decision.NewVersionMessage, c.announcement + WhatsNew + u"- one change\r\n");
        else
            EXPECT_EQ(decision.NewVersionMessage, u"");
    }
}

TEST(DecideNewVersion, ChangeLogLinesWithoutTheEmptyOnes) {
    const struct {
        std::string changeLog;
        Text lines;  // what follows "What's new:"
    } cases[] = {
        {"", u""},
        {"\r\n\r\n", u""},
        {"Faster hashing\r\n\r\nNew icons\r\n", u"Faster hashing\r\nNew icons\r\n"},
        {"\nFaster hashing\n\n\nNew icons", u"Faster hashing\r\nNew icons\r\n"},
        {"a\rb\r\rc", u"a\r\nb\r\nc\r\n"},
        {"a\n   \n\tb\n", u"a\r\n   \r\n\tb\r\n"},  // a line of blanks is not empty
        {"\xEF\xBB\xBF"
         "Gr\xC3\xB6\xC3\x9F"
         "e\n",
         u"Größe\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("change log: " + c.changeLog);
        const TVersionDecision decision = DecideNewVersion("22/21", c.changeLog);
        ASSERT_TRUE(decision.ShowDialog);
        EXPECT_EQ(decision.NewVersionMessage,
                  u"The new version 2.2 is available" + WhatsNew + c.lines);
    }
}

class TranslatedDecision : public ::testing::Test {
protected:
    void SetUp() override { ResetTranslations(); }
    void TearDown() override { ResetTranslations(); }

    // A table with English and one other language, which becomes current.
    static void LoadLanguage(const std::string& pairs) {
        LoadTestTable("2\nEnglish\nTest\nen\ntt\n" + pairs, u"tt");
    }
};

TEST_F(TranslatedDecision, TextsAreTranslatedBeforeTheVersionGoesIn) {
    LoadLanguage(
        "The new version %s is available\nNeue Version %s\n"
        "What's new:\nNeu:\n");
    const TVersionDecision decision = DecideNewVersion("22/21", "x\n");
    ASSERT_TRUE(decision.ShowDialog);
    EXPECT_EQ(decision.NewVersionMessage, u"Neue Version 2.2\r\n\r\nNeu:\r\nx\r\n");
}

TEST_F(TranslatedDecision, TranslationWithoutItsPlaceholderGivesNoDialog) {
    const std::string broken[] = {
        "The new version %s is available\nNeue Version\n",
        "The new version %s is available\nNeue Version %s %s\n",
        "The new version %s is available\nNeue Version %d\n",
    };
    for (const std::string& pair : broken) {
        SCOPED_TRACE(pair);
        LoadLanguage(pair);
        const TVersionDecision decision = DecideNewVersion("22/21", "x\n");
        EXPECT_FALSE(decision.ShowDialog);
        EXPECT_FALSE(decision.ForceUpdate);
    }
}

}  // namespace
