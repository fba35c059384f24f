#include "cli/ListOutput.h"

#include <unordered_map>
#include <vector>

#include "core/ResultRows.h"
#include "platform/Text.h"

namespace {

bool NeedsEscape(char16_t c) {
#ifndef _WIN32
    if (c == u'\\')
        return true;
#endif
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

}  // namespace

Text EscapeControls(TextView text) {
    Text out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        if (!NeedsEscape(c)) {
            out.push_back(c);
            continue;
        }
        const char16_t* digits = u"0123456789abcdef";
        switch (c) {
            case u'\\':
                out += u"\\\\";
                break;
            case u'\n':
                out += u"\\n";
                break;
            case u'\t':
                out += u"\\t";
                break;
            case u'\r':
                out += u"\\r";
                break;
            default:
                out += c < 0x80 ? u"\\x" : u"\\u00";
                out += digits[c >> 4];
                out += digits[c & 15];
        }
    }
    return out;
}

std::string PrintableUtf8(TextView text) {
    for (const char16_t c : text)
        if (NeedsEscape(c))
            return Platform::TextToUtf8(EscapeControls(text));
    return Platform::TextToUtf8(text);
}

std::string ListAsText(const TResultList& list) {
    std::unordered_map<int, std::vector<int>> itemsOfGroup;
    for (int i = 0; i < list.ItemCount(); ++i)
        itemsOfGroup[list.ItemAt(i).GroupId].push_back(i);

    std::string out;
    for (int g = 0; g < list.GroupCount(); ++g) {
        const TListGroup& group = list.GroupAt(g);
        out += PrintableUtf8(group.Header);
        out += '\n';
        const auto it = itemsOfGroup.find(group.GroupId);
        if (it == itemsOfGroup.end())
            continue;
        for (int i : it->second) {
            const TListItem& item = list.ItemAt(i);
            out += item.Checked ? "[x]" : "[ ]";
            for (int c = 0; c < ItemColumnCount(item); ++c) {
                out += '\t';
                out += PrintableUtf8(ItemText(item, c));
            }
            out += '\n';
        }
    }
    return out;
}
