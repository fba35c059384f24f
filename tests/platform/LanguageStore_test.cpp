// The settings file of the toolkit on POSIX; Windows keeps the value in the registry.
#ifndef _WIN32
#include <gtest/gtest.h>

#include "ScopedEnv.h"
#include "platform/LanguageStore.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

namespace {

using Platform::ReadStoredLanguage;

class LanguageStore : public ::testing::Test {
protected:
    TTempTree Tree;
    TScopedEnv Env;
    void SetUp() override {
        Env.Set("XDG_CONFIG_HOME", Tree.Path("config"));
        Env.Set("HOME", Tree.Path("home"));
    }
};

TEST_F(LanguageStore, ReadsTheValueOfTheGeneralSection) {
    struct TCase {
        const char* Name;
        const char* Content;
        std::optional<Text> Expected;
    };
    const TCase cases[] = {
        {"plain", "[General]\nCurrentLanguage=de\n", u"de"},
        {"crlf and blanks", "[General]\r\nCurrentLanguage = jp \r\n", u"jp"},
        {"no line end", "[General]\nCurrentLanguage=fr", u"fr"},
        {"empty value", "[General]\nCurrentLanguage=\n", u""},
        {"quoted", "[General]\nCurrentLanguage=\"pt, br\"\n", u"pt, br"},
        {"escaped quote", "[General]\nCurrentLanguage=\"a\\\"b\"\n", u"a\"b"},
        {"leading at", "[General]\nCurrentLanguage=@@x\n", u"@x"},
        {"other variant", "[General]\nCurrentLanguage=@Invalid()\n", std::nullopt},
        {"utf-8", "[General]\nCurrentLanguage=\xC3\xA4\n", u"\u00E4"},
        {"before any section", "CurrentLanguage=cs\n", u"cs"},
        {"among other keys",
         "[General]\nGeometry=@ByteArray(x)\nCurrentLanguage=hu\nOther=1\n\n[Window]\nX=1\n",
         u"hu"},
        {"last one wins", "[General]\nCurrentLanguage=it\nCurrentLanguage=nl\n", u"nl"},
        {"other section only", "[Window]\nCurrentLanguage=de\n", std::nullopt},
        {"other key only", "[General]\nCurrentLanguageX=de\ncurrentlanguage=de\n", std::nullopt},
        {"empty file", "", std::nullopt},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Tree.File("config/Twinseek.conf", c.Content);
        EXPECT_EQ(ReadStoredLanguage(), c.Expected);
    }
}

TEST_F(LanguageStore, MissingFileGivesNothing) {
    EXPECT_EQ(ReadStoredLanguage(), std::nullopt);
    Tree.File("home/.config/Twinseek.conf", "[General]\nCurrentLanguage=de\n");
    EXPECT_EQ(ReadStoredLanguage(), std::nullopt);  // the configured folder decides
}

TEST_F(LanguageStore, HomeConfigWhenNoConfigFolderIsSet) {
    Tree.File("home/.config/Twinseek.conf", "[General]\nCurrentLanguage=pl\n");
    Env.Set("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(ReadStoredLanguage(), u"pl");
    Env.Set("XDG_CONFIG_HOME", "");
    EXPECT_EQ(ReadStoredLanguage(), u"pl");
}

}  // namespace

#endif  // _WIN32
