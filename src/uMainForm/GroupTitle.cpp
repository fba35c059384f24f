#include "uMainForm/GroupTitle.h"

#include "translation/TextFormat.h"
#include "translation/Translation.h"

namespace {

constexpr char16_t LeftToRightIsolate = u'\u2066';
constexpr char16_t PopDirectionalIsolate = u'\u2069';

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

TTitleTexts TitleTextsIn(int language) {
    return {TranslateTextIn(language, u"Group %d (%s)"), TranslateTextIn(language, u" MB")};
}

std::optional<TGroupTitle> ParseGroupTitle(TextView header, const TTitleTexts& texts) {
    // The listings fill the pattern with the number first, so it holds one %d, then one %s,
    // and nothing else is a placeholder.
    const TextView pattern = texts.Pattern;
    const std::size_t number = pattern.find(u'%');
    if (number == TextView::npos || pattern.substr(number, 2) != u"%d")
        return std::nullopt;
    const std::size_t size = pattern.find(u'%', number + 2);
    if (size == TextView::npos || pattern.substr(size, 2) != u"%s" ||
        pattern.find(u'%', size + 2) != TextView::npos)
        return std::nullopt;
    const TextView head = pattern.substr(0, number);
    const TextView middle = pattern.substr(number + 2, size - number - 2);
    const TextView tail = pattern.substr(size + 2);
    if (header.size() < head.size() + middle.size() + tail.size() || !header.starts_with(head) ||
        !header.ends_with(tail))
        return std::nullopt;
    TextView rest = header.substr(head.size(), header.size() - head.size() - tail.size());
    std::size_t digits = 0;
    while (digits < rest.size() && digits < 18 && IsDigit(rest[digits]))
        ++digits;
    if (digits == 0)
        return std::nullopt;
    TGroupTitle title;
    for (char16_t c : rest.substr(0, digits))
        title.Number = title.Number * 10 + (c - u'0');
    rest.remove_prefix(digits);
    if (!rest.starts_with(middle))
        return std::nullopt;
    rest.remove_prefix(middle.size());
    if (!rest.ends_with(texts.Unit))
        return std::nullopt;
    rest.remove_suffix(texts.Unit.size());
    title.Size = Text(rest);
    // Taken apart and put together again it must be the same text.
    try {
        if (FormatGroupTitle(title, texts) != header)
            return std::nullopt;
    } catch (const EFormatError&) {
        return std::nullopt;
    }
    return title;
}

Text FormatGroupTitle(const TGroupTitle& title, const TTitleTexts& texts, bool isolate) {
    const Text size = title.Size + texts.Unit;
    return FormatText(texts.Pattern, {title.Number, isolate ? LeftToRightRun(size) : size});
}

Text LeftToRightRun(TextView text) {
    Text run;
    run.reserve(text.size() + 2);
    run += LeftToRightIsolate;
    run += text;
    run += PopDirectionalIsolate;
    return run;
}
