#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "WindowFixture.h"
#include "platform/LanguageStore.h"
#include "qtcommon/QtText.h"
#include "support/TempTree.h"
#include "translation/Translation.h"

namespace {

// Every fixed caption of the window, in the order they are translated, with a way to read
// what the window shows.
struct TCaption {
    const char* Key;
    std::function<QString(TMainForm&)> Shown;
};

const std::vector<TCaption>& Captions() {
    static const std::vector<TCaption> captions = {
        {"File", [](TMainForm& f) { return f.File1->title(); }},
        {"Action", [](TMainForm& f) { return f.Action1->title(); }},
        {"Edit", [](TMainForm& f) { return f.Edit1->title(); }},
        {"View", [](TMainForm& f) { return f.View1->title(); }},
        {"Help", [](TMainForm& f) { return f.Help1->title(); }},
        {"Add Folder...", [](TMainForm& f) { return f.AddFolder1->text(); }},
        {"Export File Clones...", [](TMainForm& f) { return f.ExportFileClones1->text(); }},
        {"Export Folder Clones...", [](TMainForm& f) { return f.ExportFolderClones1->text(); }},
        {"Clear hash cache", [](TMainForm& f) { return f.ClearHashCache1->text(); }},
        {"Exit", [](TMainForm& f) { return f.Exit1->text(); }},
        {"Scan", [](TMainForm& f) { return f.Scan1->text(); }},
        {"Stop", [](TMainForm& f) { return f.Stop1->text(); }},
        {"Remove Checked", [](TMainForm& f) { return f.MoveCheckedtoRecycleBin1->text(); }},
        {"Check all but one in group",
         [](TMainForm& f) { return f.Checkallbutoneingroup1->text(); }},
        {"Check All", [](TMainForm& f) { return f.Checkall1->text(); }},
        {"Uncheck All", [](TMainForm& f) { return f.Uncheckall1->text(); }},
        {"Page", [](TMainForm& f) { return f.Page1->title(); }},
        {"File Clones", [](TMainForm& f) { return f.FileClones1->text(); }},
        {"Folder Clones", [](TMainForm& f) { return f.FolderClones1->text(); }},
        {"Show Settings Panel", [](TMainForm& f) { return f.ShowSettingsPanel1->text(); }},
        {"Language", [](TMainForm& f) { return f.mmLanguage->title(); }},
        {"Tutorial", [](TMainForm& f) { return f.utorial1->text(); }},
        {"Contact Us", [](TMainForm& f) { return f.ContactUs1->text(); }},
        {"Visit Website", [](TMainForm& f) { return f.VisitWebsite1->text(); }},
        {"About...", [](TMainForm& f) { return f.About1->text(); }},
        {"Folders to scan:", [](TMainForm& f) { return f.Label1->text(); }},
        {"Add folder...", [](TMainForm& f) { return f.btnAddFolder->text(); }},
        {"Remove Selected", [](TMainForm& f) { return f.btnRemoveFolder->text(); }},
        {"Find file clones", [](TMainForm& f) { return f.chkFileDuplicates->text(); }},
        {"Find folder clones", [](TMainForm& f) { return f.chkDirDuplicates->text(); }},
        {"Compare files by", [](TMainForm& f) { return f.rgCompare->title(); }},
        {"Name", [](TMainForm& f) { return f.rgCompareItem[0]->text(); }},
        {"Size", [](TMainForm& f) { return f.rgCompareItem[1]->text(); }},
        {"Name && Size", [](TMainForm& f) { return f.rgCompareItem[2]->text(); }},
        {"Content (SHA-1)", [](TMainForm& f) { return f.rgCompareItem[3]->text(); }},
        {"File masks (CSV):", [](TMainForm& f) { return f.Label2->text(); }},
        {"Min size (MB):", [](TMainForm& f) { return f.Label3->text(); }},
        {"Parallel hashing", [](TMainForm& f) { return f.chkParallelHash->text(); }},
        {"Max groups (0 = all):", [](TMainForm& f) { return f.Label4->text(); }},
        {"Min group size:", [](TMainForm& f) { return f.Label5->text(); }},
        {"Scan", [](TMainForm& f) { return f.btnScan->text(); }},
        {"File Clones", [](TMainForm& f) { return f.PageControl1->tabText(0); }},
        {"Folder Clones", [](TMainForm& f) { return f.PageControl1->tabText(1); }},
        {"Check all but one in group", [](TMainForm& f) { return f.btnSelectAllButOne->text(); }},
        {"Check all", [](TMainForm& f) { return f.btnCheckAll->text(); }},
        {"Uncheck all", [](TMainForm& f) { return f.btnUncheckAll->text(); }},
        {"Open location", [](TMainForm& f) { return f.Button1->text(); }},
        {"Delete checked to Recycle Bin", [](TMainForm& f) { return f.btnDeleteSelected->text(); }},
        {"Export File Clones...", [](TMainForm& f) { return f.btnExportFiles->text(); }},
        {"Export Folder Clones...", [](TMainForm& f) { return f.btnExportDirs->text(); }},
        {"Stop", [](TMainForm& f) { return f.btnStop->text(); }},
        {"Ready", [](TMainForm& f) { return f.lblStatus->text(); }},
        {"Group", [](TMainForm& f) { return Q(f.FilesList().ColumnCaption(0)); }},
        {"File name", [](TMainForm& f) { return Q(f.FilesList().ColumnCaption(1)); }},
        {"Directory", [](TMainForm& f) { return Q(f.FilesList().ColumnCaption(2)); }},
        {"File size (MB)", [](TMainForm& f) { return Q(f.FilesList().ColumnCaption(3)); }},
        {"Group", [](TMainForm& f) { return Q(f.DirsList().ColumnCaption(0)); }},
        {"Directory", [](TMainForm& f) { return Q(f.DirsList().ColumnCaption(1)); }},
        {"Size", [](TMainForm& f) { return Q(f.DirsList().ColumnCaption(2)); }},
    };
    return captions;
}

QString Pseudo(const QString& english) {
    return "<" + english + ">";
}

// English, German (a few rows, "Stop" left empty) and a pseudo language that marks every
// caption; the codes are written as the tests expect them back.
class LanguageTest : public testing::Test {
protected:
    LanguageTest() {
        QStringList lines = {"3", "English", "Deutsch", "Pseudo", "en", "de", "PS"};
        const std::vector<std::pair<QString, QString>> german = {
            {"File", "Datei"},   {"Size", "Größe"}, {"Name && Size", "Name && Größe"},
            {"Ready", "Bereit"}, {"Stop", ""},      {"Check All", "Alle markieren"},
        };
        QStringList keys;
        for (const TCaption& caption : Captions())
            if (!keys.contains(caption.Key))
                keys << caption.Key;
        for (const QString& key : keys) {
            QString germanText;
            for (const auto& [english, translated] : german)
                if (english == key)
                    germanText = translated;
            lines << key << germanText << Pseudo(key);
        }
        TableFile = Dir.filePath("transl.dt");
        QFile file(TableFile);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lines.join('\n').toUtf8());
    }
    ~LanguageTest() override {
        ResetTranslations();
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Twinseek").clear();
    }
    void Load(const Text& storedCode) {
        if (!storedCode.empty())
            Store.WriteCurrentLanguage(storedCode);
        LoadTranslationsFrom(ToText(TableFile), &Store);
    }

    QTemporaryDir Dir;
    QString TableFile;
    TSettingsLanguageStore Store;
};

TEST_F(LanguageTest, AStoredLanguageTranslatesTheWindowFromTheStart) {
    Load(u"de");
    TTestForm form(&Store);
    const QList<QAction*> items = form.mmLanguage->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "English");
    EXPECT_EQ(items[1]->text(), "Deutsch");
    EXPECT_FALSE(items[0]->isChecked());
    EXPECT_TRUE(items[1]->isChecked());
    EXPECT_EQ(form.File1->title(), "Datei");
    EXPECT_EQ(form.lblStatus->text(), "Bereit");
    EXPECT_EQ(form.rgCompareItem[2]->text(), "Name && Größe");
    EXPECT_EQ(form.btnStop->text(), "Stop");  // empty translation: the English text
    EXPECT_EQ(form.Checkall1->text(), "Alle markieren");
    EXPECT_EQ(form.btnCheckAll->text(), "Check all");  // another key, not translated
    EXPECT_EQ(form.windowTitle(), "Twinseek 2.1");
}

TEST_F(LanguageTest, EveryCaptionFollowsALanguageChangeAndTheChoiceIsStored) {
    Load(u"en");
    TTestForm form(&Store);
    form.rgCompareItem[1]->setChecked(true);
    form.SetStatus(u"Scanning...");
    const QList<QAction*> items = form.mmLanguage->actions();
    ASSERT_EQ(items.size(), 3);

    items[2]->trigger();
    for (const TCaption& caption : Captions()) {
        SCOPED_TRACE(caption.Key);
        EXPECT_EQ(caption.Shown(form), Pseudo(caption.Key));
    }
    EXPECT_EQ(form.rgCompareItems->checkedId(), 1);
    EXPECT_FALSE(items[0]->isChecked());
    EXPECT_TRUE(items[2]->isChecked());
    // Stored as written in the file, where the command line finds it too.
    EXPECT_EQ(Store.ReadCurrentLanguage(), std::optional<Text>(u"PS"));
    EXPECT_EQ(Platform::ReadStoredLanguage(), std::optional<Text>(u"PS"));

    items[0]->trigger();
    for (const TCaption& caption : Captions()) {
        SCOPED_TRACE(caption.Key);
        EXPECT_EQ(caption.Shown(form), caption.Key);
    }
    EXPECT_EQ(form.rgCompareItems->checkedId(), 1);
    EXPECT_EQ(Store.ReadCurrentLanguage(), std::optional<Text>(u"en"));

    // Clicking the current language again keeps it the only one checked.
    items[0]->trigger();
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_FALSE(items[1]->isChecked() || items[2]->isChecked());
}

TEST(LanguageStartTest, WithoutATableTheWindowIsEnglishWithAnEmptyLanguageMenu) {
    ResetTranslations();
    TSettingsLanguageStore store;
    LoadTranslationsFrom(u"/nonexistent/transl.dt", &store);
    TTestForm form(&store);
    EXPECT_TRUE(form.mmLanguage->actions().isEmpty());
    EXPECT_EQ(form.File1->title(), "File");
    EXPECT_TRUE(form.Messages.isEmpty());
    ResetTranslations();
}

#ifndef _WIN32
// A pipe or an oversized file in place of the settings file: no value, at once, and nothing
// written. Should the store still open the pipe, the test opens its other end after 5 s,
// so that the reader ends and the test fails instead of hanging.
TEST(SettingsLanguageStoreTest, APipeOrAnOversizedFileIsNoValue) {
    const std::string file = QSettings(QSettings::NativeFormat, QSettings::UserScope, "Twinseek")
                                 .fileName()
                                 .toStdString();
    QDir().mkpath(QFileInfo(QString::fromStdString(file)).path());
    // What earlier tests stored comes back at the end.
    const bool existed = QFileInfo::exists(QString::fromStdString(file));
    const std::string saved = ReadWholeFile(file);
    std::remove(file.c_str());
    const struct {
        const char* Name;
        std::function<void()> Make;
    } cases[] = {
        {"a pipe", [&] { ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0); }},
        {"an oversized file",
         [&] {
             std::ofstream(file) << "[General]\nCurrentLanguage=de\n"
                                 << std::string(Platform::SettingsFileLimit, '\n');
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Make();
        std::atomic<bool> done{false};
        std::optional<Text> read = u"not read";
        bool written = true;
        std::thread reader([&] {
            TSettingsLanguageStore store;
            read = store.ReadCurrentLanguage();
            written = store.WriteCurrentLanguage(u"fr");
            done = true;
        });
        for (int i = 0; i < 500 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const bool inTime = done;
        while (!done) {
            const int fd = ::open(file.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        reader.join();
        std::remove(file.c_str());
        EXPECT_TRUE(inTime);
        EXPECT_EQ(read, std::nullopt);
        EXPECT_FALSE(written);
    }
    if (existed)
        std::ofstream(file, std::ios::binary) << saved;
}
#endif

TEST(ShippedTableTest, ScreenshotAfterAScanInGerman) {
    if (!QFile::exists(TWINSEEK_SHIPPED_TABLE))
        GTEST_SKIP() << "no shipped transl.dt";
    TSettingsLanguageStore store;
    store.WriteCurrentLanguage(u"de");
    LoadTranslationsFrom(ToText(TWINSEEK_SHIPPED_TABLE), &store);
    ASSERT_EQ(CurrentLanguageCode, u"de");
    ASSERT_GT(CurrentLanguageIndex, 0);
    TTempTree tree;
    tree.File("Fotos/urlaub.jpg", "same bytes");
    tree.File("Kopie/urlaub.jpg", "same bytes");
    tree.File("Kopie/nochmal.jpg", "same bytes");
    {
        TTestForm form(&store);
        PrepareSmallScan(form, 3, QString::fromStdString(tree.Root()) + "/");
        form.show();
        form.btnScan->click();
        EXPECT_EQ(form.File1->title(), Q(TranslateText(u"File")));
        EXPECT_NE(form.File1->title(), "File");
        QCoreApplication::processEvents();
        QDir().mkpath(TWINSEEK_SCREENSHOT_DIR);
        EXPECT_TRUE(form.grab().save(TWINSEEK_SCREENSHOT_DIR "/window-de.png"));
        form.close();
    }
    ResetTranslations();
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Twinseek").clear();
}

}  // namespace
