#pragma once
// How file clone groups appear in the File Clones list, and the helpers both listings share:
// the size text and the bracket around bulk changes of a list.
#include <cstdint>
#include <vector>

#include "core/ResultList.h"
#include "platform/Text.h"

class TFileInfo;

// Bytes as megabytes with two decimals, halves rounded up, the locale's decimal separator
// and the translated " MB": 131072 bytes give "0.13 MB". Exact for every 64-bit count.
Text FormatSizeMB(std::int64_t bytes);
// The same with the separator given.
Text FormatSizeMB(std::int64_t bytes, char16_t decimalSeparator);

// Redraw off, an item update begun, group view off; the saved flag restores it.
void BeginListUpdate(TResultList& list, bool& savedGroupView);
void EndListUpdate(TResultList& list, bool savedGroupView);

// BeginListUpdate now, EndListUpdate on every way out of the scope.
class TListUpdateGuard {
public:
    explicit TListUpdateGuard(TResultList& list) : FList(list) { BeginListUpdate(FList, FSaved); }
    ~TListUpdateGuard() { EndListUpdate(FList, FSaved); }
    TListUpdateGuard(const TListUpdateGuard&) = delete;
    TListUpdateGuard& operator=(const TListUpdateGuard&) = delete;

private:
    TResultList& FList;
    bool FSaved = true;
};

// Item updates begun now and ended on every way out of the scope.
class TItemUpdateGuard {
public:
    explicit TItemUpdateGuard(TResultList& list) : FList(list) { FList.BeginUpdate(); }
    ~TItemUpdateGuard() { FList.EndUpdate(); }
    TItemUpdateGuard(const TItemUpdateGuard&) = delete;
    TItemUpdateGuard& operator=(const TItemUpdateGuard&) = delete;

private:
    TResultList& FList;
};

// One group of the File Clones list: its header, then one item per file, the first
// unchecked and every other checked. groupNo is one higher on return.
void AddFileGroup(TResultList& lvFiles, const std::vector<TFileInfo*>& files,
                  std::int64_t totalSize, int& groupNo);
