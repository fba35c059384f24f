#include "platform/Sha1.h"

namespace Platform {

Text DigestToHex(const TSha1Digest& digest) {
    static constexpr char16_t Digits[] = u"0123456789abcdef";
    Text hex;
    hex.reserve(digest.size() * 2);
    for (std::uint8_t byte : digest) {
        hex += Digits[byte >> 4];
        hex += Digits[byte & 0x0F];
    }
    return hex;
}

}  // namespace Platform
