// The installer download against another local user, who shares the temporary folder: what
// that user plants there is never followed, written or started, and nothing of the download
// can be reached while it runs. The planting runs as the user nobody, the download as root.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <functional>
#include <memory>
#include <string>

#include "DialogFixture.h"
#include "support/TempTree.h"

namespace {

constexpr uid_t Nobody = 65534;

// What another user tries on every entry of the shared folder that is not their own, that
// is, on the download's folder: plant links in it, open the installer for writing, move the
// folder away. Gives 100 for each such entry seen, plus 1 for each attempt that worked.
int AttackEntries(const std::string& shared, const std::string& victim) {
    DIR* dir = ::opendir(shared.c_str());
    if (dir == nullptr)
        return -1;
    int result = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const std::string path = shared + "/" + name;
        struct stat st {};
        if (name == "." || name == ".." || ::lstat(path.c_str(), &st) != 0 || st.st_uid == Nobody)
            continue;
        result += 100;
        const std::string installer = path + "/twinseek_update.exe";
        result += ::symlink(victim.c_str(), installer.c_str()) == 0;
        result += ::symlink(victim.c_str(), (path + "/other.exe").c_str()) == 0;
        const int fd = ::open(installer.c_str(), O_WRONLY);
        result += fd >= 0;
        if (fd >= 0)
            ::close(fd);
        result += ::rename(path.c_str(), (shared + "/taken").c_str()) == 0;
    }
    ::closedir(dir);
    return result;
}

class OtherUserTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        if (!RunningAsRoot())
            GTEST_SKIP() << "needs root to act as a second user";
        // Open to every user and sticky, as /tmp is; the victim's file is root's own.
        Tree.Folder("shared");
        ASSERT_EQ(::chmod(Tree.Path("shared").c_str(), 01777), 0);
        Tree.File("home/.bashrc", "the victim's settings\n");
    }

    QString Shared() const { return QString::fromStdString(Tree.Path("shared")); }
    std::string Victim() const { return Tree.Path("home/.bashrc"); }

    TTempTree Tree;
};

TEST_F(OtherUserTest, PlantedEntriesAreNeverUsedAndTheDownloadCannotBeReached) {
    const std::string fixedPlace = Tree.Path("shared/twinseek_update.exe");
    const std::string victim = Victim();
    const struct {
        const char* name;
        std::function<int()> plant;  // as nobody; 0 when planted
        std::function<void()> expectUntouched;
    } cases[] = {
        {"a link to the victim's file in the old place",
         [&] { return ::symlink(victim.c_str(), fixedPlace.c_str()); },
         [&] {
             EXPECT_EQ(QFileInfo(QString::fromStdString(fixedPlace)).symLinkTarget(),
                       QString::fromStdString(victim));
         }},
        {"a file of their own, writable by all, in the old place",
         [&] {
             const int fd = ::open(fixedPlace.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
             const bool written = fd >= 0 && ::write(fd, "MZ planted", 10) == 10;
             return fd >= 0 && ::fchmod(fd, 0666) == 0 && ::close(fd) == 0 && written ? 0 : 1;
         },
         [&] {
             EXPECT_EQ(ReadFile(QString::fromStdString(fixedPlace)), "MZ planted");
             struct stat st {};
             ASSERT_EQ(::lstat(fixedPlace.c_str(), &st), 0);
             EXPECT_EQ(st.st_uid, Nobody);
         }},
    };
    const QByteArray installer = WindowsProgram(200000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::unlink(fixedPlace.c_str());
        Started.clear();
        Errors.clear();
        ASSERT_EQ(RunAsNobody(c.plant), 0);
        const QStringList planted = Entries(Shared());

        Server.Route("/download/twinseek.exe",
                     {.Body = installer, .PieceSize = 20000, .PieceDelayMs = 20});
        TfrmNewVersion dialog;
        RecordInstaller(dialog);
        dialog.FTempFolder = Shared();
        // Halfway through the transfer, the other user attacks what the download made.
        auto attack = std::make_shared<int>(-2);
        QObject::connect(dialog.ProgressBar1, &QProgressBar::valueChanged, [&, attack](int value) {
            if (value > 0 && *attack == -2)
                *attack = RunAsNobody([&] { return AttackEntries(Tree.Path("shared"), victim); });
        });
        RunModal(dialog, [&] { dialog.btUpdateNow->click(); });

        EXPECT_EQ(*attack, 100) << "hundreds: the download's folders seen; units: attacks that "
                                   "worked";
        EXPECT_TRUE(Errors.isEmpty()) << Errors.join("|").toStdString();
        ASSERT_EQ(Started.size(), 1);
        const QFileInfo started(Started[0]);
        EXPECT_EQ(QFileInfo(started.path()).path(), Shared());
        EXPECT_EQ(ReadFile(Started[0]), installer);
        struct stat st {};
        ASSERT_EQ(::lstat(started.path().toLocal8Bit().constData(), &st), 0);
        EXPECT_EQ(st.st_uid, 0u);
        EXPECT_EQ(st.st_mode & 07777, 0700u);
        ASSERT_EQ(::lstat(Started[0].toLocal8Bit().constData(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(Entries(started.path()), QStringList{"twinseek_update.exe"});

        EXPECT_TRUE(ReadWholeFile(victim) == "the victim's settings\n")
            << "the victim's file changed";
        c.expectUntouched();
        QStringList expected = planted;
        expected << started.dir().dirName();
        expected.sort();
        EXPECT_EQ(Entries(Shared()), expected);
        // The next case's attacker is to find that case's download alone.
        QFile::remove(Started[0]);
        QDir().rmdir(started.path());
    }
}

// A download that fails in a folder another user shares takes its own folder away and
// leaves what that user planted as it was.
TEST_F(OtherUserTest, AFailedDownloadRemovesOnlyItsOwn) {
    const std::string fixedPlace = Tree.Path("shared/twinseek_update.exe");
    const std::string victim = Victim();
    ASSERT_EQ(RunAsNobody([&] { return ::symlink(victim.c_str(), fixedPlace.c_str()); }), 0);
    const QStringList planted = Entries(Shared());
    Server.Route("/download/twinseek.exe", {.Body = "<html>not here</html>"});
    TfrmNewVersion dialog;
    RecordInstaller(dialog);
    dialog.FTempFolder = Shared();
    RunModal(dialog, [&] { dialog.btUpdateNow->click(); });
    EXPECT_EQ(Errors.size(), 1);
    EXPECT_TRUE(Started.isEmpty());
    EXPECT_EQ(Entries(Shared()), planted);
    EXPECT_EQ(QFileInfo(QString::fromStdString(fixedPlace)).symLinkTarget(),
              QString::fromStdString(victim));
    EXPECT_TRUE(ReadWholeFile(victim) == "the victim's settings\n") << "the victim's file changed";
}

}  // namespace
