#include <gtest/gtest.h>

#include <string>

#include "platform/Sha1.h"
#include "support/TestHost.h"

namespace {

using namespace Platform;

std::string Hex(TSha1& sha) {
    return U8(DigestToHex(sha.Final()));
}

TEST(Sha1, StandardTestVectors) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopq"
         "rlmnopqrsmnopqrstnopqrstu",
         "a49b2446a02c645bf419f995b67091253a04a259"},
    };
    for (const auto& [message, digest] : cases) {
        SCOPED_TRACE(message);
        TSha1 sha;
        sha.Update(message.data(), message.size());
        EXPECT_EQ(Hex(sha), digest);
    }
}

TEST(Sha1, MillionAInUnevenPiecesAndReuseAfterFinal) {
    const std::string block(4099, 'a');
    TSha1 sha;
    std::size_t left = 1000000;
    for (std::size_t piece = 1; left > 0; piece = piece * 3 % 4099 + 1) {
        const std::size_t n = std::min(piece, left);
        sha.Update(block.data(), n);
        left -= n;
    }
    EXPECT_EQ(Hex(sha), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    sha.Update("abc", 3);  // a new message after Final
    EXPECT_EQ(Hex(sha), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

TEST(DigestToHex, LowerCaseHighNibbleFirst) {
    TSha1Digest digest{};
    for (std::size_t i = 0; i < digest.size(); ++i)
        digest[i] = static_cast<std::uint8_t>(i * 13 + 10);
    EXPECT_EQ(DigestToHex(digest), u"0a1724313e4b5865727f8c99a6b3c0cddae7f401");
}

}  // namespace
