#include "core/MaskMatch.h"

namespace {

char16_t Fold(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c;
}

// The same letter in the other case; any other character itself.
char16_t OtherCase(char16_t c) {
    if (c >= u'A' && c <= u'Z')
        return c + (u'a' - u'A');
    if (c >= u'a' && c <= u'z')
        return c - (u'a' - u'A');
    return c;
}

bool IsIllegalInName(char16_t c) {
    return c < 32 || c == u'"' || c == u'/' || c == u':' || c == u'<' || c == u'>' || c == u'\\' ||
           c == u'|';
}

}  // namespace

std::optional<TFileMask> TFileMask::Compile(TextView mask) {
    if (Platform::TrimBlanks(mask).empty())
        return std::nullopt;
    for (char16_t c : mask)
        if (IsIllegalInName(c))
            return std::nullopt;

    TFileMask result;
    if (mask == MatchEveryName) {
        result.FMatchAll = true;
        return result;
    }
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const char16_t c = mask[i];
        if (c == u'*') {
            // "*" swallows every "*" and "?" that directly follow it.
            while (i + 1 < mask.size() && (mask[i + 1] == u'*' || mask[i + 1] == u'?'))
                ++i;
            result.FTokens.push_back({TKind::AnyRun});
        } else if (c == u'?') {
            result.FTokens.push_back({TKind::AnyOne});
        } else if (c == u'[') {
            const std::size_t close = mask.find(u']', i + 1);
            if (close == TextView::npos)
                return std::nullopt;
            TextView body = mask.substr(i + 1, close - i - 1);
            TSet set;
            if (!body.empty() && body[0] == u'!') {
                set.Negated = true;
                body.remove_prefix(1);
            }
            // Empty, or a range with no start character.
            if (body.empty() || body[0] == u'-')
                return std::nullopt;
            // Members as written: a range holds the code units between its ends, so [0-Z]
            // holds no "_"; the letters of the name fold when they are matched.
            for (std::size_t k = 0; k < body.size(); ++k) {
                if (body[k] > 255)
                    return std::nullopt;
                const bool isRange = k + 2 < body.size() && body[k + 1] == u'-';
                if (isRange) {
                    if (body[k + 2] > 255)
                        return std::nullopt;
                    for (unsigned u = body[k]; u <= body[k + 2]; ++u)
                        set.Members.set(u);
                    k += 2;
                } else {
                    set.Members.set(body[k]);
                }
            }
            result.FSets.push_back(set);
            result.FTokens.push_back({TKind::Set, 0, static_cast<int>(result.FSets.size() - 1)});
            i = close;
        } else {
            result.FTokens.push_back({TKind::Literal, Fold(c)});
        }
    }
    return result;
}

bool TFileMask::TokenMatches(const TToken& token, char16_t c) const {
    switch (token.Kind) {
        case TKind::Literal:
            return Fold(c) == token.Char;
        case TKind::AnyOne:
            return true;
        case TKind::Set: {
            const TSet& set = FSets[token.SetIndex];
            const bool member = c <= 255 && (set.Members.test(c) || set.Members.test(OtherCase(c)));
            return member != set.Negated;
        }
        case TKind::AnyRun:
            break;
    }
    return false;
}

bool TFileMask::Matches(TextView name) const {
    if (FMatchAll)
        return true;
    // Greedy match with backtracking to the last "*": linear in practice, never exponential.
    std::size_t t = 0, n = 0;
    std::size_t starToken = TextView::npos, starName = 0;
    while (n < name.size()) {
        if (t < FTokens.size() && FTokens[t].Kind == TKind::AnyRun) {
            starToken = t++;
            starName = n;
        } else if (t < FTokens.size() && TokenMatches(FTokens[t], name[n])) {
            ++t;
            ++n;
        } else if (starToken != TextView::npos) {
            t = starToken + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (t < FTokens.size() && FTokens[t].Kind == TKind::AnyRun)
        ++t;
    return t == FTokens.size();
}
