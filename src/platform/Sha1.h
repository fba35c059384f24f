#pragma once
// SHA-1 digests (FIPS 180-4) through the system's cryptography library.
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/Text.h"

namespace Platform {

using TSha1Digest = std::array<std::uint8_t, 20>;

class TSha1 {
public:
    TSha1();
    ~TSha1();
    TSha1(const TSha1&) = delete;
    TSha1& operator=(const TSha1&) = delete;
    void Update(const void* data, std::size_t size);
    TSha1Digest Final();

private:
    void* FContext;
};

// 40 lower-case hexadecimal digits, high nibble first.
Text DigestToHex(const TSha1Digest& digest);

}  // namespace Platform
