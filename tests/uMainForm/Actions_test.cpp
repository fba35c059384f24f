#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "../platform/ScopedEnv.h"
#include "WindowFixture.h"
#include "core/FileInfo.h"
#include "qtcommon/QtText.h"
#include "support/TempTree.h"
#include "translation/Translation.h"
#include "uMainForm/Application.h"

namespace {

namespace fs = std::filesystem;

// Marks as shown by the model, group after group: "x" checked, "." not, "|" between groups.
std::string ShownMarks(const TResultModel& model) {
    std::string marks;
    for (const TShownGroup& group : ShownGroups(model)) {
        if (!marks.empty())
            marks += '|';
        for (const TShownItem& item : group.Items)
            marks += item.Checked ? 'x' : '.';
    }
    return marks;
}

// A little tree whose files and folders stand in the two lists as a scan would list them:
// File Clones: group 1 m/a.txt, m/b.txt, m/c.txt (all "M"); group 2 n/d.txt, n/e.txt (all
// "N"); all but the first of each checked. Folder Clones: group 1 dirs/p, dirs/q; group 2
// dirs/p/sub, dirs/q/sub (nothing checked).
class ActionsTest : public testing::Test {
protected:
    ActionsTest() {
        Tree.Folder("data");
        Env.Set("XDG_DATA_HOME", Tree.Path("data"));
        Form.FAskYesNo = [this](const QString& text) {
            Questions << text;
            return Answer;
        };
        Form.FAskUnverified = [this](const TRemovalCheck& check) {
            Unverified.push_back(check.Items().size() - check.VerifiedCount());
            return TRemovalChoice::rcCancel;
        };
        Form.FShowInFileManager = [this](const Text& path) {
            Shown << Q(path);
            return ShellWorks;
        };
        Form.FOpenFolder = [this](const Text& path) {
            Opened << Q(path);
            return ShellWorks;
        };

        TResultModel& files = Form.FilesList();
        files.BeginUpdate();
        int group = 0;
        for (const std::vector<const char*>& names :
             {std::vector<const char*>{"m/a.txt", "m/b.txt", "m/c.txt"},
              std::vector<const char*>{"n/d.txt", "n/e.txt"}}) {
            files.AddGroup(group + 1, Platform::IntToText(group + 1));
            ++group;
            for (const char* name : names) {
                Tree.File(name, group == 1 ? "M" : "N");
                Records.Add(Tree.TextPath(name));
                const TFileInfo& file = *Records.back();
                files.AddItem(
                    {Platform::IntToText(group),
                     {Text(file.Name()),
                      Platform::DirectoryOf(file.FullPath(), Platform::NativeSyntax), u"0.00 MB"},
                     group,
                     name != names.front(),
                     &file});
            }
        }
        files.EndUpdate();

        TResultModel& dirs = Form.DirsList();
        dirs.BeginUpdate();
        group = 0;
        for (const std::vector<const char*>& names :
             {std::vector<const char*>{"dirs/p", "dirs/q"},
              std::vector<const char*>{"dirs/p/sub", "dirs/q/sub"}}) {
            dirs.AddGroup(group + 1, Platform::IntToText(group + 1));
            ++group;
            for (const char* name : names) {
                Tree.File(std::string(name) + "/f.txt", "F");
                dirs.AddItem(
                    {Platform::IntToText(group), {Tree.TextPath(name), u"0.00 MB"}, group, false});
            }
        }
        dirs.EndUpdate();
    }

    void Select(TResultModel& list, int item) {
        list.SelectionModel()->setCurrentIndex(
            list.IndexOfItem(item),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    std::string TrashFile(const std::string& name) const {
        return Tree.Path("data/Trash/files/" + name);
    }

    TTempTree Tree;
    TScopedEnv Env;
    TFileList Records;
    TSettingsLanguageStore Store;
    TTestForm Form{&Store};
    QStringList Questions, Shown, Opened;
    std::vector<std::size_t> Unverified;  // for each time the unverified items were shown
    bool Answer = true;
    bool ShellWorks = true;  // whether the shell could open what it was asked to
};

TEST_F(ActionsTest, CheckCommandsActOnTheListOfThePageShowing) {
    // Marks changed by hand first: the first item of group 1 checked, the second not.
    Form.FilesList().SetChecked(0, true);
    Form.FilesList().SetChecked(1, false);
    struct TStep {
        const char* Name;
        bool FolderPage;
        std::function<void()> Run;
        std::string Files, Dirs;
    };
    const TStep steps[] = {
        {"check all, button", false, [&] { Form.btnCheckAll->click(); }, "xxx|xx", "..|.."},
        {"all but one, button", false, [&] { Form.btnSelectAllButOne->click(); }, ".xx|.x",
         "..|.."},
        {"uncheck all, button", false, [&] { Form.btnUncheckAll->click(); }, "...|..", "..|.."},
        {"check all, menu, folder page", true, [&] { Form.Checkall1->trigger(); }, "...|..",
         "xx|xx"},
        {"all but one, menu, folder page", true, [&] { Form.Checkallbutoneingroup1->trigger(); },
         "...|..", ".x|.x"},
        {"uncheck all, menu, folder page", true, [&] { Form.Uncheckall1->trigger(); }, "...|..",
         "..|.."},
        {"all but one, menu, file page", false, [&] { Form.Checkallbutoneingroup1->trigger(); },
         ".xx|.x", "..|.."},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Name);
        Form.PageControl1->setCurrentWidget(step.FolderPage ? Form.tsDirs : Form.tsFiles);
        step.Run();
        EXPECT_EQ(ShownMarks(Form.FilesList()), step.Files);
        EXPECT_EQ(ShownMarks(Form.DirsList()), step.Dirs);
    }
}

TEST_F(ActionsTest, AllButOneAfterARecycleKeepsTheFirstOfWhatRemains) {
    // c.txt and d.txt go: group 1 keeps a and b, group 2 only e.
    Form.FilesList().SetChecked(1, false);
    Form.FilesList().SetChecked(3, true);
    Form.FilesList().SetChecked(4, false);
    Form.btnDeleteSelected->click();
    EXPECT_EQ(ShownMarks(Form.FilesList()), "..|.");
    Form.btnCheckAll->click();
    EXPECT_EQ(ShownMarks(Form.FilesList()), "xx|x");
    Form.btnSelectAllButOne->click();
    EXPECT_EQ(ShownMarks(Form.FilesList()), ".x|.");
}

TEST_F(ActionsTest, CheckedFilesGoToTheTrashAndTheirRowsGo) {
    Form.FilesList().SetChecked(4, false);
    Form.FilesList().SetChecked(3, true);  // n/d.txt; group 2's n/e.txt stays
    Form.btnDeleteSelected->click();
    EXPECT_EQ(Questions, QStringList{"Move 3 files to Recycle Bin?"});
    EXPECT_EQ(Form.Messages, QStringList{"Files were moved to the Recycle Bin."});
    EXPECT_TRUE(Unverified.empty());  // all verified: no second question
    EXPECT_EQ(ReadWholeFile(TrashFile("b.txt")), "M");
    EXPECT_EQ(ReadWholeFile(TrashFile("c.txt")), "M");
    EXPECT_EQ(ReadWholeFile(TrashFile("d.txt")), "N");
    EXPECT_TRUE(fs::exists(Tree.Path("data/Trash/info/d.txt.trashinfo")));
    EXPECT_TRUE(fs::exists(Tree.Path("m/a.txt")));
    EXPECT_TRUE(fs::exists(Tree.Path("n/e.txt")));
    // Group headers stay; only the unchecked rows are left under them.
    const std::vector<TShownGroup> shown = ShownGroups(Form.FilesList());
    ASSERT_EQ(shown.size(), 2u);
    ASSERT_EQ(shown[0].Items.size(), 1u);
    EXPECT_EQ(shown[0].Items[0].Columns[0], "a.txt");
    ASSERT_EQ(shown[1].Items.size(), 1u);
    EXPECT_EQ(shown[1].Items[0].Columns[0], "e.txt");
    // The records stay until the next scan; the other list is not touched.
    EXPECT_EQ(ShownMarks(Form.DirsList()), "..|..");
}

TEST_F(ActionsTest, AFolderAndAFolderInsideItGoInOneRequest) {
    Form.PageControl1->setCurrentWidget(Form.tsDirs);
    Form.DirsList().SetChecked(0, true);  // dirs/p
    Form.DirsList().SetChecked(2, true);  // dirs/p/sub, inside it
    Form.MoveCheckedtoRecycleBin1->trigger();
    EXPECT_EQ(Questions, QStringList{"Move 2 directories to Recycle Bin?"});
    EXPECT_EQ(Form.Messages, QStringList{"Directories were moved to the Recycle Bin."});
    EXPECT_EQ(ReadWholeFile(TrashFile("p/sub/f.txt")), "F");
    EXPECT_FALSE(fs::exists(Tree.Path("dirs/p")));
    EXPECT_EQ(ShownMarks(Form.DirsList()), ".|.");
    EXPECT_EQ(ShownMarks(Form.FilesList()), ".xx|.x");
}

TEST_F(ActionsTest, AFailureOrANoLeavesEveryRow) {
    struct TCase {
        const char* Name;
        bool Answer;
        bool TrashFails;
        QStringList Messages;
    };
    const QString root = QString::fromStdString(Tree.Root());
    const TCase cases[] = {
        {"answered No", false, false, {}},
        {"a trash that moves nothing",
         true,
         true,
         {"Failed to delete some files.\nItems that could not be moved: 3\n" + root + "/m/b.txt\n" +
          root + "/m/c.txt\n" + root + "/n/e.txt"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Form.Messages.clear();
        Questions.clear();
        Answer = c.Answer;
        if (c.TrashFails)
            Form.FMoveToTrash = [](const std::vector<Text>&) { return false; };
        Form.btnDeleteSelected->click();
        EXPECT_EQ(Questions, QStringList{"Move 3 files to Recycle Bin?"});
        EXPECT_EQ(Form.Messages, c.Messages);
        EXPECT_EQ(ShownMarks(Form.FilesList()), ".xx|.x");
        for (const char* name : {"m/a.txt", "m/b.txt", "m/c.txt", "n/d.txt", "n/e.txt"})
            EXPECT_TRUE(fs::exists(Tree.Path(name))) << name;
    }
}

TEST_F(ActionsTest, NothingCheckedOnThePageShowingAsksNothing) {
    Form.btnUncheckAll->click();
    Form.PageControl1->setCurrentWidget(Form.tsDirs);
    Form.btnCheckAll->click();
    Form.PageControl1->setCurrentWidget(Form.tsFiles);
    Form.btnDeleteSelected->click();
    Form.PageControl1->setCurrentWidget(Form.tsDirs);
    Form.btnUncheckAll->click();
    Form.btnDeleteSelected->click();
    EXPECT_TRUE(Questions.isEmpty());
    EXPECT_EQ(Form.Messages, QStringList({"No files selected.", "No directories selected."}));
}

TEST_F(ActionsTest, RecycleIsHeldOffWhileAScanRuns) {
    PrepareSmallScan(Form, 3, QString::fromStdString(Tree.Root()) + "/");
    bool tried = false;
    Form.OnStatus = [&](const Text& text) {
        if (tried || !text.starts_with(u"Computing SHA-1"))
            return;
        tried = true;
        Form.btnDeleteSelected->click();
    };
    Form.btnScan->click();
    ASSERT_TRUE(tried);
    EXPECT_TRUE(Questions.isEmpty());
    EXPECT_TRUE(Form.Messages.isEmpty());
    EXPECT_FALSE(fs::exists(Tree.Path("data/Trash")));
}

TEST_F(ActionsTest, OpenLocationTestsTheSelectedItemOfThePageShowing) {
    TResultModel& files = Form.FilesList();
    TResultModel& dirs = Form.DirsList();
    dirs.AddItem({u"3", {}, 3, false});                                       // item 4: no path
    files.AddItem({u"3", {u"x.txt", u"/x", u"0.00 MB"}, 3, false, nullptr});  // item 5
    files.Publish();
    dirs.Publish();
    Tree.Remove("m/c.txt");
    Tree.Remove("dirs/q/sub");
    const QString root = QString::fromStdString(Tree.Root());
    struct TCase {
        const char* Name;
        bool FolderPage;
        int FileItem, DirItem;  // selected, -1 none
        QString Message{}, Shown{}, Opened{};
    };
    const TCase cases[] = {
        {"nothing selected on the page showing", false, -1, 0, "Please select an item first."},
        {"nothing selected on the folder page", true, 0, -1, "Please select an item first."},
        {"an existing file", false, 1, -1, {}, root + "/m/b.txt"},
        {"a file that went", false, 2, -1, "File does not exist: " + root + "/m/c.txt"},
        {"an item without a record", false, 5, -1, "No file path available for the selected item."},
        {"an existing folder", true, -1, 1, {}, {}, root + "/dirs/q"},
        {"a folder that went", true, -1, 3, "Directory does not exist: " + root + "/dirs/q/sub"},
        {"a folder item without a path", true, -1, 4, "Directory does not exist: "},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Form.Messages.clear();
        Shown.clear();
        Opened.clear();
        Form.PageControl1->setCurrentWidget(c.FolderPage ? Form.tsDirs : Form.tsFiles);
        files.SelectionModel()->clear();
        dirs.SelectionModel()->clear();
        if (c.FileItem >= 0)
            Select(files, c.FileItem);
        if (c.DirItem >= 0)
            Select(dirs, c.DirItem);
        Form.Button1->click();
        EXPECT_EQ(Form.Messages, c.Message.isEmpty() ? QStringList() : QStringList{c.Message});
        EXPECT_EQ(Shown, c.Shown.isEmpty() ? QStringList() : QStringList{c.Shown});
        EXPECT_EQ(Opened, c.Opened.isEmpty() ? QStringList() : QStringList{c.Opened});
    }
}

TEST_F(ActionsTest, ExportWritesTheListThroughTheOneSaveDialog) {
    QStringList defaultNames;
    QString answer;
    Form.FRunSaveDialog = [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "SaveDialog1");
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.nameFilters(), QStringList({"CSV files (*.csv)", "All files (*.*)"}));
        defaultNames << QFileInfo(dialog.selectedFiles().value(0)).fileName();
        return answer;
    };
    // Cancelled: nothing is written.
    Form.btnExportFiles->click();
    EXPECT_FALSE(fs::exists(Tree.Path("out")));

    Tree.File("out/files.csv", "an older, longer file that is replaced");
    answer = QString::fromStdString(Tree.Path("out/files.csv"));
    Form.ExportFileClones1->trigger();
    const std::string root = Tree.Root();
    EXPECT_EQ(ReadWholeFile(Tree.Path("out/files.csv")),
              "\xEF\xBB\xBFGroup,File name,Directory,File size (MB)\r\n"
              "\"1\",\"a.txt\",\"" +
                  root +
                  "/m\",\"0.00 MB\"\r\n"
                  "\"1\",\"b.txt\",\"" +
                  root +
                  "/m\",\"0.00 MB\"\r\n"
                  "\"1\",\"c.txt\",\"" +
                  root +
                  "/m\",\"0.00 MB\"\r\n"
                  "\"2\",\"d.txt\",\"" +
                  root +
                  "/n\",\"0.00 MB\"\r\n"
                  "\"2\",\"e.txt\",\"" +
                  root + "/n\",\"0.00 MB\"\r\n");

    // A name with a quote and a comma; an emptied list gives the header alone.
    Form.DirsList().AddItem({u"3", {u"/x/say \"hi\", ok", u"1.50 MB"}, 3, false});
    answer = QString::fromStdString(Tree.Path("out/dirs.csv"));
    Form.btnExportDirs->click();
    EXPECT_NE(ReadWholeFile(Tree.Path("out/dirs.csv"))
                  .find("\"3\",\"/x/say \"\"hi\"\", ok\",\"1.50 MB\"\r\n"),
              std::string::npos);
    Form.DirsList().ClearItems();
    Form.ExportFolderClones1->trigger();
    EXPECT_EQ(ReadWholeFile(Tree.Path("out/dirs.csv")), "\xEF\xBB\xBFGroup,Directory,Size\r\n");

    EXPECT_EQ(defaultNames,
              QStringList({"duplicate_files.csv", "duplicate_files.csv",
                           "duplicate_directories.csv", "duplicate_directories.csv"}));
}

TEST_F(ActionsTest, AnExportThatCannotBeWrittenIsShownByTheErrorHandler) {
    auto* application = dynamic_cast<TApplication*>(QCoreApplication::instance());
    ASSERT_NE(application, nullptr);
    QStringList errors;
    const auto previous = application->FShowError;
    application->FShowError = [&](const QString& text) { errors << text; };
    // Under a regular file: no user, root included, can create it.
    const std::string target = Tree.Path("m/a.txt/out.csv");
    Form.FRunSaveDialog = [&](QFileDialog&) { return QString::fromStdString(target); };
    Form.show();
    QTest::mouseClick(Form.btnExportFiles, Qt::LeftButton);
    Form.hide();
    application->FShowError = previous;
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QString::fromStdString(target))) << errors[0].toStdString();
    EXPECT_TRUE(Form.Messages.isEmpty());
}

TEST_F(ActionsTest, TextsAndTheHeaderFollowTheLanguage) {
    QTemporaryDir dir;
    const QString table = dir.filePath("transl.dt");
    {
        QFile file(table);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            QStringList({"2", "English", "Deutsch", "en", "de", "Group", "Gruppe", "Directory",
                         "Verzeichnis", "Size", "Größe, MB", "Move %d directories to Recycle Bin?",
                         "%d Verzeichnisse in den Papierkorb?",
                         "Directory does not exist: ", "Verzeichnis fehlt: "})
                .join('\n')
                .toUtf8());
    }
    LoadTranslationsFrom(ToText(table), &Store);
    TTestForm form(&Store);
    form.FAskYesNo = [&](const QString& text) {
        Questions << text;
        return false;
    };
    form.mmLanguage->actions().at(1)->trigger();
    form.PageControl1->setCurrentWidget(form.tsDirs);
    form.DirsList().AddItem({u"1", {u"/gone/away", u"1.00 MB"}, 1, true});
    form.DirsList().Publish();

    form.btnDeleteSelected->click();
    Select(form.DirsList(), 0);
    form.Button1->click();
    const std::string out = Tree.Path("de.csv");
    form.FRunSaveDialog = [&](QFileDialog&) { return QString::fromStdString(out); };
    form.btnExportDirs->click();
    ResetTranslations();
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Twinseek").clear();

    EXPECT_EQ(Questions, QStringList{"1 Verzeichnisse in den Papierkorb?"});
    // The path is data: never translated.
    EXPECT_EQ(form.Messages, QStringList{"Verzeichnis fehlt: /gone/away"});
    // Captions bare, the comma of one included.
    EXPECT_EQ(ReadWholeFile(out),
              "\xEF\xBB\xBFGruppe,Verzeichnis,Gr\xC3\xB6\xC3\x9F"
              "e, MB\r\n"
              "\"1\",\"/gone/away\",\"1.00 MB\"\r\n");
}

}  // namespace
