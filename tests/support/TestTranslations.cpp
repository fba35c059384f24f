#include "support/TestTranslations.h"

#include "support/TempTree.h"

void LoadTestTable(const std::string& bytes, const Text& code) {
    TTempTree tree;
    tree.File("transl.dt", bytes);
    TFakeLanguageStore store;
    store.Stored = code;
    // The table is read whole: the tree may go when this returns.
    LoadTranslationsFrom(tree.TextPath("transl.dt"), &store);
}
