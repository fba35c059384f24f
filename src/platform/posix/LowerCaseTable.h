#pragma once
// The simple lower-case mapping of the BMP above ASCII, sorted by the upper code unit.
#include <cstddef>

namespace Platform {

struct TLowerCasePair {
    char16_t Upper;
    char16_t Lower;
};

extern const TLowerCasePair LowerCasePairs[];
extern const std::size_t LowerCasePairCount;

}  // namespace Platform
