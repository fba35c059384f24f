#include <gtest/gtest.h>

#include <unistd.h>

#include <QDBusConnection>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../platform/ScopedEnv.h"
#include "SessionBus.h"
#include "platform/Shell.h"
#include "support/TempTree.h"

extern TPrivateSessionBus* TestBus;

namespace {

namespace fs = std::filesystem;

// A tree with a data folder of its own, so the trash is on the fixture's file system, and a
// current folder of its own, where a misdirected move would land.
class TrashTest : public testing::Test {
protected:
    TrashTest() {
        Tree.Folder("data");
        Tree.Folder("cwd");
        Env.Set("XDG_DATA_HOME", Tree.Path("data"));
        FOldCwd = fs::current_path();
        fs::current_path(Tree.Path("cwd"));
    }
    ~TrashTest() override { fs::current_path(FOldCwd); }

    std::string TrashFiles(const std::string& name) const {
        return Tree.Path("data/Trash/files/" + name);
    }
    std::string TrashInfo(const std::string& name) const {
        return ReadWholeFile(Tree.Path("data/Trash/info/" + name + ".trashinfo"));
    }

    TTempTree Tree;
    TScopedEnv Env;
    fs::path FOldCwd;
};

TEST_F(TrashTest, FilesAndFoldersGoToTheTrashWithTheirInfo) {
    Tree.File("m/a.txt", "AAAA");
    Tree.File("m/dir/inner.txt", "II");
    Tree.File("m/with space, comma.txt", "C");
    ASSERT_TRUE(Platform::MoveToRecycleBin({Tree.TextPath("m/a.txt"), Tree.TextPath("m/dir"),
                                            Tree.TextPath("m/with space, comma.txt")}));

    EXPECT_FALSE(fs::exists(Tree.Path("m/a.txt")));
    EXPECT_FALSE(fs::exists(Tree.Path("m/dir")));
    EXPECT_EQ(ReadWholeFile(TrashFiles("a.txt")), "AAAA");
    EXPECT_EQ(ReadWholeFile(TrashFiles("dir/inner.txt")), "II");
    EXPECT_EQ(ReadWholeFile(TrashFiles("with space, comma.txt")), "C");
    // The info file says where each came from, so the desktop can put it back.
    EXPECT_NE(TrashInfo("a.txt").find("Path=" + Tree.Path("m/a.txt")), std::string::npos);
    EXPECT_NE(TrashInfo("dir").find("[Trash Info]"), std::string::npos);
    EXPECT_NE(TrashInfo("with space, comma.txt").find("DeletionDate="), std::string::npos);
    EXPECT_TRUE(fs::is_empty(Tree.Path("cwd")));
}

TEST_F(TrashTest, AMissingDataFolderIsMadeInsteadOfFillingTheCurrentFolder) {
    Env.Set("XDG_DATA_HOME", Tree.Path("fresh/share"));
    Tree.File("m/a.txt", "AAAA");
    ASSERT_TRUE(Platform::MoveToRecycleBin({Tree.TextPath("m/a.txt")}));
    EXPECT_EQ(ReadWholeFile(Tree.Path("fresh/share/Trash/files/a.txt")), "AAAA");
    EXPECT_TRUE(fs::is_empty(Tree.Path("cwd")));
}

TEST_F(TrashTest, FailuresAreReportedAndTheOtherPathsStillGo) {
    Tree.File("m/a.txt", "AAAA");
    Tree.File("m/b.txt", "BBBB");
    EXPECT_FALSE(Platform::MoveToRecycleBin(
        {Tree.TextPath("m/a.txt"), Tree.TextPath("m/vanished.txt"), Tree.TextPath("m/b.txt")}));
    EXPECT_FALSE(fs::exists(Tree.Path("m/a.txt")));
    EXPECT_FALSE(fs::exists(Tree.Path("m/b.txt")));
    EXPECT_FALSE(fs::exists(TrashFiles("vanished.txt")));

    EXPECT_FALSE(Platform::MoveToRecycleBin({}));
}

TEST_F(TrashTest, ANameThatIsNotUtf8IsTrashedByItsBytesNeverUnderAnotherName) {
    // Decoded and encoded again through UTF-8 text, the byte would become a replacement
    // character and could hit this other file.
    Tree.File("m/caf\xef\xbf\xbd", "other file");
    Tree.File("m/caf\xe9", "latin-1 name");
    EXPECT_TRUE(Platform::MoveToRecycleBin({Platform::Utf8ToText(Tree.Path("m/caf\xe9"))}));
    EXPECT_EQ(ReadWholeFile(Tree.Path("m/caf\xef\xbf\xbd")), "other file");
    EXPECT_EQ(ReadWholeFile(TrashFiles("caf\xe9")), "latin-1 name");
    EXPECT_FALSE(fs::exists(Tree.Path("m/caf\xe9")));
}

class FileManagerTest : public testing::Test {
protected:
    void SetUp() override {
        if (TestBus == nullptr)
            GTEST_SKIP() << "dbus-daemon could not be started";
    }
    TTempTree Tree;
    TUrlRecorder Opened{QStringLiteral("file")};
};

TEST_F(FileManagerTest, TheFileManagerIsAskedToShowTheFileByItsUrl) {
    TFakeFileManager fileManager;
    ASSERT_TRUE(fileManager.Start(TestBus->Address()));
    Tree.File("m/with space, comma.txt", "x");
    Tree.File("m/caf\xe9.txt", "x");
    for (const char* name : {"m/with space, comma.txt", "m/caf\xe9.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(Platform::ShowInFileManager(Platform::Utf8ToText(Tree.Path(name))));
    }
    const auto calls = fileManager.Calls();
    ASSERT_EQ(calls.size(), 2u);
    const QString root =
        QString::fromLatin1(QByteArray::fromStdString(Tree.Root()).toPercentEncoding("/"));
    EXPECT_EQ(calls[0].Uris.join('|').toStdString(),
              ("file://" + root + "/m/with%20space%2C%20comma.txt").toStdString());
    EXPECT_EQ(calls[1].Uris.join('|').toStdString(),
              ("file://" + root + "/m/caf%E9.txt").toStdString());
    EXPECT_EQ(calls[0].StartupId, "");
    EXPECT_TRUE(Opened.Urls.isEmpty());
}

TEST_F(FileManagerTest, WithoutAFileManagerTheFolderIsOpened) {
    Tree.File("m/a.txt", "x");
    EXPECT_TRUE(Platform::ShowInFileManager(Tree.TextPath("m/a.txt")));
    ASSERT_EQ(Opened.Urls.size(), 1);
    EXPECT_EQ(Opened.Urls[0].toLocalFile(), QString::fromStdString(Tree.Path("m")));
}

TEST(ShellOpen, FoldersOpenAsFileUrlsAndWebAddressesAsThemselves) {
    TUrlRecorder files(QStringLiteral("file"));
    TUrlRecorder web(QStringLiteral("https"));
    EXPECT_TRUE(Platform::ShellOpen(u"/tmp/some folder"));
    EXPECT_TRUE(Platform::ShellOpen(u"https://www.twinseek.example/support.html"));
    Platform::ShellStart(u"/tmp/setup.bin");
    ASSERT_EQ(files.Urls.size(), 2);
    EXPECT_EQ(files.Urls[0].toLocalFile(), "/tmp/some folder");
    EXPECT_EQ(files.Urls[1].toLocalFile(), "/tmp/setup.bin");
    ASSERT_EQ(web.Urls.size(), 1);
    EXPECT_EQ(web.Urls[0].toString(), "https://www.twinseek.example/support.html");
}

// With no file manager on the bus, no handler and no launcher on the PATH, nothing opens
// and the caller is told.
TEST(ShellOpen, SaysWhenNothingCouldOpenTheTarget) {
    TTempTree tree;
    tree.File("m/a.txt", "x");
    TScopedEnv env;
    env.Set("PATH", tree.Path("m"));
    env.Set("BROWSER", std::nullopt);
    env.Set("DEFAULT_BROWSER", std::nullopt);
    EXPECT_FALSE(Platform::ShellOpen(tree.TextPath("m")));
    EXPECT_FALSE(Platform::ShellOpen(u"https://www.twinseek.example/support.html"));
    EXPECT_FALSE(Platform::ShellOpen(u""));
    EXPECT_FALSE(Platform::ShowInFileManager(tree.TextPath("m/a.txt")));
}

}  // namespace
