// The settings file of the toolkit on POSIX; Windows keeps the value in the registry.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "ScopedEnv.h"
#include "platform/LanguageStore.h"
#include "support/Process.h"
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

// What reads the value runs in a child with an alarm and room for 1 GiB more of memory: a
// reader that hangs on a pipe or reads a device without end is ended there.
enum { rcNoValue = 10, rcValue = 11, rcError = 12 };
TChildEnd ReadInChild() {
    return RunForked([] {
        ::alarm(5);
        // Above what the process maps already (a sanitizer maps a lot).
        unsigned long long pages = 0;
        if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%llu", &pages) != 1)
                pages = 0;
            std::fclose(statm);
        }
        const rlim_t room = pages * ::sysconf(_SC_PAGESIZE) + (rlim_t{1} << 30);
        const rlimit memory{room, room};
        ::setrlimit(RLIMIT_AS, &memory);
        try {
            return ReadStoredLanguage() ? rcValue : rcNoValue;
        } catch (...) {
            return rcError;
        }
    });
}

TEST_F(LanguageStore, OnlyARegularFileOfBoundedSizeIsRead) {
    const std::string file = Tree.Path("config/Twinseek.conf");
    const std::string value = "[General]\nCurrentLanguage=de\n";
    const struct {
        const char* Name;
        std::function<void()> Make;
        int Expected;
    } cases[] = {
        {"a folder", [&] { Tree.Folder("config/Twinseek.conf"); }, rcNoValue},
        {"a pipe", [&] { ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0); }, rcNoValue},
        {"a link to an endless device", [&] { Tree.Link("config/Twinseek.conf", "/dev/zero"); },
         rcNoValue},
        {"larger than the limit",
         [&] {
             Tree.File("config/Twinseek.conf",
                       value + std::string(Platform::SettingsFileLimit, '\n'));
         },
         rcNoValue},
        {"a link to a regular file",
         [&] {
             Tree.File("elsewhere.conf", value);
             Tree.Link("config/Twinseek.conf", "../elsewhere.conf");
         },
         rcValue},
        {"at the limit",
         [&] {
             Tree.File("config/Twinseek.conf",
                       value + std::string(Platform::SettingsFileLimit - value.size(), '\n'));
         },
         rcValue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Tree.Folder("config");
        c.Make();
        const TChildEnd end = ReadInChild();
        EXPECT_TRUE(end.Exited) << "ended by signal " << end.Signal;
        EXPECT_EQ(end.ExitStatus, c.Expected);
        Tree.Remove("config");
    }
}

}  // namespace

#endif  // _WIN32
