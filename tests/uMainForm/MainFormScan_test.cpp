#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <QFileInfo>
#include <cstdlib>

#include "WindowFixture.h"
#include "core/DigestCache.h"
#include "support/TempTree.h"
#include "uMainForm/ResultView.h"

namespace {

// Five small files: a.txt and c.txt share content with d1/a.txt, the b.txt files share a name.
class MainFormScanTest : public testing::Test {
protected:
    MainFormScanTest() {
        Tree.File("d1/a.txt", "AAAA");
        Tree.File("d1/b.txt", "BBBB");
        Tree.File("d2/a.txt", "AAAA");
        Tree.File("d2/b.txt", "CCCCC");
        Tree.File("d2/c.txt", "AAAA");
        Root = QString::fromStdString(Tree.Root());
    }
    TTempTree Tree;
    QString Root;
    TSettingsLanguageStore Store;
    TTestForm Form{&Store};
};

struct TExpectedGroup {
    const char* HeaderStart;
    std::vector<const char*> Files;  // relative to the tree, in listing order
};

struct TScanCase {
    const char* Mode;
    int CompareIndex;
    std::vector<TExpectedGroup> Groups;
};

TEST_F(MainFormScanTest, AScanListsTheGroupsOfEveryModeWithAllButTheFirstChecked) {
    const TScanCase cases[] = {
        {"name",
         0,
         {{"Group 1 (", {"d1/b.txt", "d2/b.txt"}}, {"Group 2 (", {"d1/a.txt", "d2/a.txt"}}}},
        {"size", 1, {{"Group 1 (", {"d1/a.txt", "d1/b.txt", "d2/a.txt", "d2/c.txt"}}}},
        {"name and size", 2, {{"Group 1 (", {"d1/a.txt", "d2/a.txt"}}}},
        {"content", 3, {{"Group 1 (0.00 MB)", {"d1/a.txt", "d2/a.txt", "d2/c.txt"}}}},
    };
    for (const TScanCase& scan : cases) {
        SCOPED_TRACE(scan.Mode);
        PrepareSmallScan(Form, scan.CompareIndex, Root + "/");
        Form.btnScan->click();
        EXPECT_EQ(Form.LastScanOutcome(), TScanOutcome::soDone);
        EXPECT_EQ(Form.lblStatus->text(), "  Done.");
        const std::vector<TShownGroup> shown = ShownGroups(Form.FilesList());
        ASSERT_EQ(shown.size(), scan.Groups.size());
        for (std::size_t g = 0; g < shown.size(); ++g) {
            EXPECT_TRUE(shown[g].Header.startsWith(scan.Groups[g].HeaderStart))
                << shown[g].Header.toStdString();
            ASSERT_EQ(shown[g].Items.size(), scan.Groups[g].Files.size());
            for (std::size_t i = 0; i < shown[g].Items.size(); ++i) {
                const QString path = Root + "/" + scan.Groups[g].Files[i];
                const TShownItem& item = shown[g].Items[i];
                EXPECT_EQ(item.Caption, QString::number(g + 1));
                EXPECT_EQ(item.Columns[0], path.section('/', -1));
                EXPECT_EQ(item.Columns[1], path.section('/', 0, -2));
                EXPECT_EQ(item.Columns[2], "0.00 MB");
                EXPECT_EQ(item.Checked, i != 0);
            }
        }
        EXPECT_EQ(Form.DirsList().rowCount(), 0);
        EXPECT_FALSE(Form.btnStop->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(Form.ProgressBar->value(), 0);
    }
}

TEST_F(MainFormScanTest, TheUserChecksARowWithTheMouseModelAndTheListAgree) {
    PrepareSmallScan(Form, 3, Root + "/");
    Form.btnScan->click();
    TResultModel& list = Form.FilesList();
    const QModelIndex first = list.index(0, 0, list.index(0, 0));
    ASSERT_TRUE(list.setData(first, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(list.ItemAt(0).Checked);
    EXPECT_EQ(list.ItemAt(0).Data, Form.Engine().Files()[0]);
}

TEST_F(MainFormScanTest, WhileScanningStopIsEnabledTheCursorBusyAndASecondScanRefused) {
    PrepareSmallScan(Form, 3, Root + "/");
    bool checked = false;
    Form.OnStatus = [&](const Text& text) {
        if (checked || !text.starts_with(u"Computing SHA-1"))
            return;
        checked = true;
        EXPECT_TRUE(Form.btnStop->isEnabled());
        EXPECT_TRUE(Form.Stop1->isEnabled());
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
        const std::size_t collected = Form.Engine().Files().size();
        Form.btnScan->click();
        Form.Scan1->trigger();
        EXPECT_EQ(Form.Engine().Files().size(), collected);
    };
    Form.btnScan->click();
    EXPECT_TRUE(checked);
    EXPECT_EQ(Form.LastScanOutcome(), TScanOutcome::soDone);
    EXPECT_EQ(ShownGroups(Form.FilesList()).size(), 1u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainFormScanTest, StopByButtonOrMenuEndsTheScanWithItsCancelText) {
    for (bool byMenu : {false, true}) {
        SCOPED_TRACE(byMenu ? "menu" : "button");
        PrepareSmallScan(Form, 3, Root + "/");
        // Runs at the first message processing of the scan, as a click would.
        QTimer::singleShot(0, &Form, [&] {
            if (byMenu)
                Form.Stop1->trigger();
            else
                Form.btnStop->click();
        });
        Form.btnScan->click();
        EXPECT_EQ(Form.LastScanOutcome(), TScanOutcome::soCancelled);
        EXPECT_TRUE(Form.lblStatus->text().startsWith("Scanning cancelled."))
            << Form.lblStatus->text().toStdString();
        EXPECT_EQ(Form.FilesList().rowCount(), 0);
        EXPECT_FALSE(Form.btnStop->isEnabled());
        EXPECT_FALSE(Form.Stop1->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(Form.ProgressBar->value(), 0);
    }
}

TEST_F(MainFormScanTest, ClosingDuringParallelHashingStopsTheScanFirstThenCloses) {
    for (int i = 0; i < 6; ++i)
        Tree.SizedFile("big/f" + std::to_string(i), 4 << 20);
    PrepareSmallScan(Form, 3, Root + "/big/");
    Form.chkParallelHash->setChecked(true);
    Form.show();
    bool closeAsked = false;
    bool visibleAfterClose = false;
    Form.OnStatus = [&](const Text& text) {
        if (text.starts_with(u"Computing SHA-1 hashes (size filtered)... ") && !closeAsked) {
            closeAsked = true;
            QTimer::singleShot(0, &Form, [&] {
                Form.close();
                visibleAfterClose = Form.isVisible();
            });
        }
    };
    Form.btnScan->click();
    ASSERT_TRUE(closeAsked);
    EXPECT_TRUE(visibleAfterClose);  // the close waited for the scan
    EXPECT_EQ(Form.LastScanOutcome(), TScanOutcome::soCancelled);
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(Form.Engine().Files().size(), 6u);  // the records lived on until the end
}

TEST_F(MainFormScanTest, WithNeitherKindAskedTheWalkRunsAndBothListsStayEmpty) {
    PrepareSmallScan(Form, 3, Root + "/");
    Form.btnScan->click();
    ASSERT_GT(Form.FilesList().rowCount(), 0);
    Form.chkFileDuplicates->setChecked(false);
    Form.btnScan->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(Form.lblStatus->text(), "  Done.");
    EXPECT_EQ(Form.FilesList().rowCount(), 0);
    EXPECT_EQ(Form.DirsList().rowCount(), 0);
    EXPECT_EQ(Form.Engine().Files().size(), 5u);
}

TEST_F(MainFormScanTest, ScansKeepDigestsInTheUsersCacheAndClearHashCacheRemovesIt) {
    const Text path = CacheFilePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(Form.Engine().DigestCachePath(), path);
    const std::string cacheFile = Platform::TextToUtf8(path);
    // The test program's own cache folder (XDG_CACHE_HOME), never the user's.
    ASSERT_EQ(cacheFile.rfind(std::getenv("XDG_CACHE_HOME"), 0), 0u);
    PrepareSmallScan(Form, 3, Root + "/");
    Form.btnScan->click();
    EXPECT_EQ(Form.LastScanOutcome(), TScanOutcome::soDone);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(cacheFile)).isFile());
    Form.ClearHashCache1->trigger();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(cacheFile)));
    EXPECT_EQ(Form.lblStatus->text(), "  Done.");  // no word about it
}

TEST_F(MainFormScanTest, ScreenshotAfterAScanInEnglish) {
    PrepareSmallScan(Form, 0, Root + "/");
    Form.show();
    Form.btnScan->click();
    Form.lvFiles->setCurrentIndex(Form.FilesList().index(1, 0, Form.FilesList().index(0, 0)));
    QCoreApplication::processEvents();
    QDir().mkpath(TWINSEEK_SCREENSHOT_DIR);
    const QString file = TWINSEEK_SCREENSHOT_DIR "/window-en.png";
    ASSERT_TRUE(Form.grab().save(file));
    Form.close();
}

}  // namespace
