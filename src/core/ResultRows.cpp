#include "core/ResultRows.h"

#include "core/FileInfo.h"
#include "platform/PathSyntax.h"
#include "platform/TextServices.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"

Text FormatSizeMB(std::int64_t bytes, char16_t decimalSeparator) {
    constexpr std::uint64_t mb = 1048576;
    const bool negative = bytes < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    // Hundredths of a megabyte, halves up, without floating point or overflow.
    const std::uint64_t hundredths = magnitude / mb * 100 + (magnitude % mb * 100 + mb / 2) / mb;
    Text text = negative ? Text(u"-") : Text();
    text += Platform::IntToText(static_cast<std::int64_t>(hundredths / 100));
    text += decimalSeparator;
    text += static_cast<char16_t>(u'0' + hundredths % 100 / 10);
    text += static_cast<char16_t>(u'0' + hundredths % 10);
    return text + TranslateText(u" MB");
}

Text FormatSizeMB(std::int64_t bytes) {
    static const char16_t separator = Platform::DecimalSeparator();
    return FormatSizeMB(bytes, separator);
}

void AddFileGroup(TResultList& lvFiles, const std::vector<TFileInfo*>& files,
                  std::int64_t totalSize, int& groupNo) {
    lvFiles.AddGroup(groupNo,
                     TranslateFormat(u"Group %d (%s)", {groupNo, FormatSizeMB(totalSize)}));
    for (std::size_t i = 0; i < files.size(); ++i) {
        TListItem item;
        item.GroupId = groupNo;  // also the row's first column
        item.Checked = i != 0;
        item.Data = files[i];
        lvFiles.AddItem(std::move(item));
    }
    ++groupNo;
}

Text ItemText(const TListItem& item, int column) {
    if (item.Texts != nullptr) {
        if (column == 0)
            return item.Texts->Caption;
        const std::vector<Text>& subItems = item.Texts->SubItems;
        return column > 0 && column <= static_cast<int>(subItems.size()) ? subItems[column - 1]
                                                                         : Text();
    }
    if (item.Data == nullptr)
        return {};
    switch (column) {
        case 0:
            return item.GroupId >= 0 ? Platform::IntToText(item.GroupId) : Text();
        case 1:
            return item.Data->Name();
        case 2:
            return item.Data->Directory();
        case 3:
            return FormatSizeMB(item.Data->Size);
        default:
            return {};
    }
}

int ItemColumnCount(const TListItem& item) {
    if (item.Texts != nullptr)
        return 1 + static_cast<int>(item.Texts->SubItems.size());
    return item.Data != nullptr ? static_cast<int>(FileColumnCaptions.size()) : 1;
}

void AddDirGroup(TResultList& lvDirs, const std::vector<Text>& dirs,
                 const std::vector<std::int64_t>& sizes, std::int64_t totalSize, int& groupNo) {
    lvDirs.AddGroup(groupNo, TranslateFormat(u"Group %d (%s)", {groupNo, FormatSizeMB(totalSize)}));
    const int groupId = lvDirs.GroupAt(lvDirs.GroupCount() - 1).GroupId;
    const Text caption = Platform::IntToText(groupNo);
    for (std::size_t i = 0; i < dirs.size(); ++i)
        lvDirs.AddItem(
            TListItem(caption, {dirs[i], FormatSizeMB(i < sizes.size() ? sizes[i] : 0)}, groupId));
    ++groupNo;
}
