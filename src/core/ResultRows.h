#pragma once
// What the rows of the two result lists show: the column captions, the size text and one
// group's header and rows, for the File Clones list and the Folder Clones list.
#include <array>
#include <cstdint>
#include <vector>

#include "core/ResultList.h"
#include "platform/Text.h"

class TFileInfo;

// The captions in English; each front end translates them when it shows them.
inline constexpr std::array<const char16_t*, 4> FileColumnCaptions = {
    u"Group", u"File name", u"Directory", u"File size (MB)"};
inline constexpr std::array<const char16_t*, 3> DirColumnCaptions = {u"Group", u"Directory",
                                                                     u"Size"};

// The captions as a list takes them, each passed through translate (none: as they are).
template <std::size_t N, typename TTranslate>
std::vector<Text> ColumnCaptions(const std::array<const char16_t*, N>& captions,
                                 TTranslate translate) {
    std::vector<Text> texts;
    texts.reserve(N);
    for (const char16_t* caption : captions)
        texts.push_back(translate(caption));
    return texts;
}
template <std::size_t N>
std::vector<Text> ColumnCaptions(const std::array<const char16_t*, N>& captions) {
    return ColumnCaptions(captions, [](const char16_t* caption) { return Text(caption); });
}

// Bytes as megabytes with two decimals, halves rounded up, the locale's decimal separator
// and the translated " MB": 131072 bytes give "0.13 MB". Exact for every 64-bit count.
Text FormatSizeMB(std::int64_t bytes);
// The same with the separator given.
Text FormatSizeMB(std::int64_t bytes, char16_t decimalSeparator);

// One group of the File Clones list: its header, then one item per file, the first
// unchecked and every other checked; the items refer to their records and keep no texts.
// groupNo is one higher on return.
void AddFileGroup(TResultList& lvFiles, const std::vector<TFileInfo*>& files,
                  std::int64_t totalSize, int& groupNo);

// The text of a row's column, as every list, listing and export shows it: a row's own texts
// when it keeps them, otherwise made from its record in the File Clones columns (the group
// number, the name, the directory and the size in the current language); empty beyond the
// row's columns.
Text ItemText(const TListItem& item, int column);
// The columns a row has texts for: the caption and each sub-item, the File Clones columns of a
// record, or the (empty) first column alone.
int ItemColumnCount(const TListItem& item);

// One group of the Folder Clones list: its header, then one unchecked row per directory
// with the directory key and its size (sizes[i] for dirs[i]). groupNo is one higher on
// return.
void AddDirGroup(TResultList& lvDirs, const std::vector<Text>& dirs,
                 const std::vector<std::int64_t>& sizes, std::int64_t totalSize, int& groupNo);
