#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "platform/Text.h"

namespace {

using Platform::TextToUtf8;
using Platform::Utf8ToText;

struct TDecodeCase {
    const char* Name;
    std::string Bytes;
    Text Expected;
};

TEST(Utf8ToText, DecodesValidAndEscapesInvalidBytes) {
    const TDecodeCase cases[] = {
        {"empty", "", u""},
        {"ascii", "Photo 01.JPG", u"Photo 01.JPG"},
        {"two bytes", "\xC3\x84rger", u"\u00C4rger"},
        {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
        {"four bytes", "x\xF0\x9F\x98\x80y", u"x\U0001F600y"},
        {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"latin-1 name", "caf\xE9.txt", u"caf\xDCE9.txt"},
        {"lone continuation", "\x80", u"\xDC80"},
        {"byte FF", "\xFF", u"\xDCFF"},
        {"overlong slash", "\xC0\xAF", u"\xDCC0\xDCAF"},
        {"overlong three bytes", "\xE0\x80\xAF", u"\xDCE0\xDC80\xDCAF"},
        {"overlong four bytes", "\xF0\x80\x80\xAF", u"\xDCF0\xDC80\xDC80\xDCAF"},
        {"encoded surrogate", "\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},
        {"truncated at end", "a\xE2\x82", u"a\xDCE2\xDC82"},
        {"truncated before ascii", "\xE2\x82x", u"\xDCE2\xDC82x"},
        {"lead byte F5", "\xF5\x80\x80\x80", u"\xDCF5\xDC80\xDC80\xDC80"},
    };
    for (const TDecodeCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Utf8ToText(c.Bytes), c.Expected);
        EXPECT_EQ(TextToUtf8(c.Expected), c.Bytes);  // every name comes back byte for byte
    }
}

TEST(TextToUtf8, SurrogatesOutsideTheEscapesUseTheGeneralisedForm) {
    EXPECT_EQ(TextToUtf8(u"\xD800"), "\xED\xA0\x80");  // lone high surrogate
    EXPECT_EQ(TextToUtf8(u"\xDC00"), "\xED\xB0\x80");  // low, below the escapes
    EXPECT_EQ(TextToUtf8(u"\xD83D"
                         u"a"),
              "\xED\xA0\xBD"
              "a");  // high without its low
    EXPECT_EQ(TextToUtf8(u"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
}

TEST(Utf8ToText, EveryTwoByteStringSurvivesTheRoundTrip) {
    std::string bytes(2, '\0');
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            bytes[0] = static_cast<char>(a);
            bytes[1] = static_cast<char>(b);
            ASSERT_EQ(TextToUtf8(Utf8ToText(bytes)), bytes) << a << " " << b;
        }
    }
}

TEST(Utf8ToText, RandomByteStringsSurviveTheRoundTrip) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 40);
    for (int i = 0; i < 20000; ++i) {
        std::string bytes(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : bytes)
            c = static_cast<char>(byte(random));
        ASSERT_EQ(TextToUtf8(Utf8ToText(bytes)), bytes);
    }
}

TEST(IntToText, WritesPlainAsciiDigits) {
    const std::pair<std::int64_t, const char16_t*> cases[] = {
        {0, u"0"},
        {-1, u"-1"},
        {1048576, u"1048576"},
        {std::numeric_limits<std::int64_t>::max(), u"9223372036854775807"},
        {std::numeric_limits<std::int64_t>::min(), u"-9223372036854775808"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(Platform::IntToText(value), text);
}

TEST(AsciiToText, WidensEachCharacter) {
    EXPECT_EQ(Platform::AsciiToText("F|a.bin|0"), u"F|a.bin|0");
    EXPECT_EQ(Platform::AsciiToText(""), u"");
}

// The translation table and the update documents are read through it.
TEST(DocumentLines, LineEndsAndTheByteOrderMark) {
    const std::pair<std::string_view, std::vector<Text>> cases[] = {
        {"", {}},
        {"\n", {u""}},
        {"a", {u"a"}},
        {"a\n", {u"a"}},
        {"a\r\nb\rc\nd", {u"a", u"b", u"c", u"d"}},
        {"a\r\n\r\nb\n\n", {u"a", u"", u"b", u""}},
        {"a\n\r", {u"a", u""}},
        {"\xEF\xBB\xBFx\r\n", {u"x"}},
        {"x\xEF\xBB\xBF", {u"x\uFEFF"}},  // only a leading mark is dropped
    };
    for (const auto& [utf8, lines] : cases) {
        SCOPED_TRACE(std::string(utf8));
        EXPECT_EQ(Platform::DocumentLines(utf8), lines);
    }
}

TEST(TrimBlanks, SpacesAndControlCharactersAtBothEnds) {
    EXPECT_EQ(Platform::TrimBlanks(u" \t\r\n a b \x01"), u"a b");
    EXPECT_EQ(Platform::TrimBlanks(u"\u00A0x\u3000"), u"\u00A0x\u3000");  // codes above 32 stay
    EXPECT_TRUE(Platform::TrimBlanks(u" \t ").empty());
}

}  // namespace
