#include "cli/ListOutput.h"

#include <unordered_map>
#include <vector>

#include "platform/Text.h"

std::string ListAsText(const TResultList& list) {
    std::unordered_map<int, std::vector<int>> itemsOfGroup;
    for (int i = 0; i < list.ItemCount(); ++i)
        itemsOfGroup[list.ItemAt(i).GroupId].push_back(i);

    std::string out;
    for (int g = 0; g < list.GroupCount(); ++g) {
        const TListGroup& group = list.GroupAt(g);
        out += Platform::TextToUtf8(group.Header);
        out += '\n';
        const auto it = itemsOfGroup.find(group.GroupId);
        if (it == itemsOfGroup.end())
            continue;
        for (int i : it->second) {
            const TListItem& item = list.ItemAt(i);
            out += item.Checked ? "[x]" : "[ ]";
            out += '\t';
            out += Platform::TextToUtf8(item.Caption);
            for (const Text& sub : item.SubItems) {
                out += '\t';
                out += Platform::TextToUtf8(sub);
            }
            out += '\n';
        }
    }
    return out;
}
