#pragma once
// File masks: "*.*" matches every name; otherwise "*", "?", sets "[a-c]" and "[!x]" over
// the whole name, ASCII letters matched regardless of case.
#include <bitset>
#include <optional>
#include <vector>

#include "platform/Text.h"

// The mask that matches every name, also the default of the masks field.
inline constexpr TextView MatchEveryName = u"*.*";

class TFileMask {
public:
    // Nothing when the mask is empty after trimming, holds a character that cannot occur
    // in a file name, or is malformed: such a mask matches no file.
    static std::optional<TFileMask> Compile(TextView mask);

    bool Matches(TextView name) const;

private:
    enum class TKind { Literal, AnyOne, AnyRun, Set };
    struct TToken {
        TKind Kind;
        char16_t Char = 0;  // Literal, ASCII letters folded
        int SetIndex = -1;  // Set
    };
    struct TSet {
        std::bitset<256> Members;  // as written
        bool Negated = false;
    };

    bool TokenMatches(const TToken& token, char16_t c) const;

    bool FMatchAll = false;
    std::vector<TToken> FTokens;
    std::vector<TSet> FSets;
};
