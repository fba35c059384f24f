#include "core/CompareText.h"

#include <algorithm>

namespace {

char16_t FoldAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? c - (u'a' - u'A') : c;
}

}  // namespace

int CompareText(TextView a, TextView b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = FoldAscii(a[i]);
        const char16_t y = FoldAscii(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool CompareTextLess(TextView a, TextView b) {
    const int c = CompareText(a, b);
    return c != 0 ? c < 0 : a < b;
}
