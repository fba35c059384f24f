#include <gtest/gtest.h>

#include <stdexcept>

#include "core/ScanEngine.h"
#include "support/EngineTest.h"
#include "support/TempTree.h"
#include "support/TestHost.h"
#include "support/TestTranslations.h"
#include "translation/Translation.h"

namespace {

class ScanCommand : public TEngineTest {
protected:
    ScanCommand() {
        Tree.File("f/a.txt", "same");
        Tree.File("f/b.txt", "same");
        Host.Settings.Folders = {Tree.FolderText("f")};
        Host.Settings.MinSizeMB = 0;
    }
    ~ScanCommand() override { ResetTranslations(); }
};

TEST_F(ScanCommand, EmptyFolderListOnlyShowsTheMessage) {
    Files.AddGroup(1, u"Group 1 (0.00 MB)");
    Files.AddItem({u"1", {u"x"}, 1});
    Host.Statuses = {u"earlier"};
    Host.Settings.Folders.clear();
    EXPECT_EQ(Engine.Scan(), TScanOutcome::soRefused);
    EXPECT_EQ(Host.Messages, (std::vector<Text>{u"Please add at least one folder."}));
    EXPECT_EQ(Files.ItemCount(), 1);
    EXPECT_EQ(Files.GroupCount(), 1);
    EXPECT_EQ(Host.Statuses, (std::vector<Text>{u"earlier"}));
    EXPECT_TRUE(Host.Events.empty());
}

TEST_F(ScanCommand, NeitherKindOfCloneRunsTheWalkAndEndsDone) {
    Host.Settings.FindFileClones = false;
    Host.Settings.FindFolderClones = false;
    Files.AddGroup(7, u"old");
    Files.AddItem({u"7", {u"old"}, 7});
    EXPECT_EQ(Engine.Scan(), TScanOutcome::soDone);
    EXPECT_EQ(Engine.Files().size(), 2u);
    EXPECT_EQ(Host.LastStatus(), u"  Done.");
    EXPECT_EQ(Host.StatusesStartingWith(u"Found 2 files").size(), 1u);
    EXPECT_EQ(Files.ItemCount(), 0);
    EXPECT_EQ(Files.GroupCount(), 0);
}

TEST_F(ScanCommand, BusyStateAroundEveryScan) {
    EXPECT_EQ(Engine.Scan(), TScanOutcome::soDone);
    ASSERT_GE(Host.Events.size(), 3u);
    EXPECT_EQ(Host.Events.front(), "busy on");
    EXPECT_EQ(Host.Events[Host.Events.size() - 2], "pos 0");
    EXPECT_EQ(Host.Events.back(), "busy off");
    EXPECT_FALSE(Engine.Scanning());
}

TEST_F(ScanCommand, StopDuringTheWalkKeepsItsCancelText) {
    Host.OnKeep = [&](TTestHost& h) {
        if (h.Marquee)
            Engine.Stop();
    };
    EXPECT_EQ(Engine.Scan(), TScanOutcome::soCancelled);
    EXPECT_EQ(Host.LastStatus(), u"Scanning cancelled. 0 files collected so far.");
    EXPECT_EQ(Host.StatusesStartingWith(u"Stopping...").size(), 1u);
    EXPECT_EQ(Host.Events.back(), "busy off");
    EXPECT_EQ(Host.ProgressPosition, 0);
}

TEST_F(ScanCommand, ASecondScanCannotStartInsideTheFirst) {
    TScanOutcome inner = TScanOutcome::soDone;
    Host.OnKeep = [&](TTestHost&) {
        if (Engine.Scanning())
            inner = Engine.Scan();
    };
    EXPECT_EQ(Engine.Scan(), TScanOutcome::soDone);
    EXPECT_EQ(inner, TScanOutcome::soRefused);
    EXPECT_EQ(Engine.Files().size(), 2u);
}

TEST_F(ScanCommand, StopOutsideAScanDoesNothing) {
    Engine.Stop();
    EXPECT_TRUE(Host.Statuses.empty());
    EXPECT_FALSE(Engine.StopRequested());
}

TEST_F(ScanCommand, AnErrorIsReportedAndPartialResultsStay) {
    // An error raised inside the walk, after it collected both files.
    Host.OnKeep = [](TTestHost& h) {
        if (U8(h.LastStatus()).find("(2/2)") != std::string::npos)
            throw std::runtime_error("out of memory");
    };
    EXPECT_EQ(Engine.Scan(), TScanOutcome::soFailed);
    EXPECT_EQ(Host.Messages, (std::vector<Text>{u"Error: out of memory"}));
    EXPECT_EQ(Engine.Files().size(), 2u);                        // what the walk collected stays
    EXPECT_EQ(U8(Host.LastStatus()).substr(0, 9), "Scanning:");  // the error sets no status
    EXPECT_EQ(Host.Events.back(), "busy off");
}

TEST_F(ScanCommand, ATranslationWhosePlaceholdersDoNotFitShowsThatMessageInEnglish) {
    LoadTestTable(
        "2\nEnglish\nBroken\nen\nxx\n"
        "Found %d files (after filters).\n%s und %s\n"
        "Done.\nFertig.\n",
        u"xx");
    ASSERT_EQ(CurrentLanguageIndex, 1);

    EXPECT_EQ(Engine.Scan(), TScanOutcome::soDone);
    EXPECT_TRUE(Host.Messages.empty());
    EXPECT_EQ(Host.StatusesStartingWith(u"Found 2 files (after filters).").size(), 1u);
    EXPECT_EQ(Host.LastStatus(), u"  Fertig.");
    EXPECT_EQ(Files.GroupCount(), 1);
}

}  // namespace
