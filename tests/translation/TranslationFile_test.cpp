// Which transl.dt a program reads: beside itself first, then the installed data folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "TranslationFixture.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

// Where an installation with its programs in bin/ keeps the table (on Windows: beside them).
const std::string Installed = (std::filesystem::path("bin") / TWINSEEK_DATA_FROM_BIN / "transl.dt")
                                  .lexically_normal()
                                  .generic_string();

// The table chosen for a program in bin/ of the tree, relative to the tree.
Text Chosen(const TTempTree& tree) {
    return Platform::FullPath(TranslationFileFor(tree.TextPath("bin")));
}
Text Path(const TTempTree& tree, const std::string& relative) {
    return Platform::FullPath(tree.TextPath(relative));
}

class TranslationFile : public TranslationTest {};

TEST_F(TranslationFile, BesideTheProgramFirstThenTheInstalledDataFolder) {
    struct TCase {
        const char* Name;
        bool Beside;
        bool InData;
        const char* Wanted;
    } cases[] = {
        {"only beside", true, false, "bin/transl.dt"},
        {"only in the data folder", false, true, Installed.c_str()},
        {"both: the one beside wins", true, true, "bin/transl.dt"},
        // The loader then reports the file beside the program as missing.
        {"neither", false, false, "bin/transl.dt"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempTree tree;
        tree.Folder("bin");
        if (c.Beside)
            tree.File("bin/transl.dt", "1\nEnglish\nen\n");
        if (c.InData)
            tree.File(Installed, "1\nEnglish\nen\n");
        EXPECT_EQ(Chosen(tree), Path(tree, c.Wanted));
    }
}

TEST_F(TranslationFile, AFolderNamedLikeTheTableIsPassedOver) {
    if (std::string_view(TWINSEEK_DATA_FROM_BIN) == ".")
        GTEST_SKIP() << "the table is installed beside the programs: no second place";
    Tree.Folder("bin/transl.dt");
    Tree.File(Installed, "1\nEnglish\nen\n");
    EXPECT_EQ(Chosen(Tree), Path(Tree, Installed));
}

TEST_F(TranslationFile, AnInstalledProgramLoadsTheTableOfItsDataFolder) {
    Tree.Folder("bin");
    Tree.File(Installed, "2\nEnglish\nDeutsch\nen\nde\nReady\nBereit\n");
    Store.Stored = u"de";
    LoadTranslationsFrom(TranslationFileFor(Tree.TextPath("bin")), &Store);
    EXPECT_EQ(CurrentLanguageIndex, 1);
    EXPECT_EQ(TranslateText(u"Ready"), u"Bereit");
}

}  // namespace
