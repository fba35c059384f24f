#include <gtest/gtest.h>

#ifndef _WIN32
#include <locale.h>
#endif
#include <algorithm>
#include <clocale>
#include <vector>

#include "ScopedEnv.h"
#include "Wine.h"
#include "platform/TextServices.h"
#include "support/TestHost.h"

namespace {

using namespace Platform;

TEST(LowerCaseChar, SimpleOneToOneMapping) {
    const std::pair<char16_t, char16_t> cases[] = {
        {u'A', u'a'},            // ASCII
        {u'Z', u'z'},            //
        {u'a', u'a'},            //
        {u'@', u'@'},            // the neighbours of the letters
        {u'[', u'['},            //
        {u'\u00C4', u'\u00E4'},  // Ä
        {u'\u00DE', u'\u00FE'},  // Þ
        {u'\u00DF', u'\u00DF'},  // ß has no lower-case form of its own
        {u'\u1E9E', u'\u00DF'},  // capital sharp s
        {u'\u03A3', u'\u03C3'},  // Σ: no final form for a single unit
        {u'\u03C2', u'\u03C2'},  // ς
        {u'\u0130', u'i'},       // İ: the plain i, the length stays
        {u'I', u'i'},            // no Turkish rule
        {u'\u0414', u'\u0434'},  // Д
        {u'\u2126', u'\u03C9'},  // ohm sign
        {u'\u212A', u'k'},       // kelvin sign
        {u'\uFF21', u'\uFF41'},  // fullwidth A
        {u'\u24B6', u'\u24D0'},  // circled A
        {u'\u0378', u'\u0378'},  // unassigned
        {u'\xD801', u'\xD801'},  // surrogates stay, also those of an upper-case letter
        {u'\xDC00', u'\xDC00'},  //
        {u'\xDCC4', u'\xDCC4'},  // an escaped byte stays the byte
    };
    // Letters whose mapping only a complete Unicode table has; wine's lacks them.
    const char16_t fullTableOnly[] = {u'\u1E9E', u'\u0130', u'\u2126', u'\u212A'};
    for (const auto& [upper, lower] : cases) {
        SCOPED_TRACE(static_cast<int>(upper));
        if (RunningUnderWine() && std::find(std::begin(fullTableOnly), std::end(fullTableOnly),
                                            upper) != std::end(fullTableOnly))
            continue;
        EXPECT_EQ(LowerCaseChar(upper), lower);
    }
}

TEST(LowerCase, KeepsTheLength) {
    if (!RunningUnderWine()) {
        EXPECT_EQ(LowerCase(u"\u0130STANBUL.JPG"), u"istanbul.jpg");
    }
    EXPECT_EQ(LowerCase(u"\u00C4RGER \u03A3\u039F\u03A6\u0399\u0391"),
              u"\u00E4rger \u03C3\u03BF\u03C6\u03B9\u03B1");
    EXPECT_EQ(LowerCase(u"x\U00010400y"), u"x\U00010400y");  // code units, not code points
    EXPECT_EQ(LowerCase(u""), u"");
}

TEST(LowerCase, DoesNotDependOnTheProcessLocale) {
    const Text before = LowerCase(u"\u00C4\u0130Q");
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(LowerCase(u"\u00C4\u0130Q"), before);
    std::setlocale(LC_ALL, saved.c_str());
    if (!RunningUnderWine()) {
        EXPECT_EQ(before, u"\u00E4iq");
    }
}

TEST(CompareTextIgnoreCase, IsAConsistentCaseBlindOrder) {
    struct TCase {
        const char16_t* A;
        const char16_t* B;
        int Sign;
    };
    const TCase cases[] = {
        {u"abc", u"ABC", 0},
        {u"\u00C4rger", u"\u00E4RGER", 0},
        {u"a", u"b", -1},
        {u"B", u"a", 1},
        {u"ab", u"abc", -1},
        {u"", u"", 0},
        {u"", u"a", -1},
        {u"F|a.bin|0", u"F|A.BIN|0", 0},
        {u"\u03A3", u"\u03C3", 0},
#ifdef _WIN32
        // The system's collation: ä sorts with a, final sigma is sigma.
        {u"\u03C2", u"\u03C3", 0},
        {u"Z", u"\u00E4", 1},
#else
        {u"\u03C2", u"\u03C3", -1},
        {u"Z", u"\u00E4", -1},
#endif
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(U8(c.A) + " / " + U8(c.B));
        const int ab = CompareTextIgnoreCase(c.A, c.B);
        const int ba = CompareTextIgnoreCase(c.B, c.A);
        EXPECT_EQ((ab > 0) - (ab < 0), c.Sign);
        EXPECT_EQ((ba > 0) - (ba < 0), -c.Sign);
#ifndef _WIN32
        // The system's collation on Windows also equates what lower-casing keeps apart (ς, σ).
        EXPECT_EQ(ab == 0, LowerCase(c.A) == LowerCase(c.B));
#endif
    }
}

TEST(CompareTextIgnoreCase, SortsAsAStrictWeakOrder) {
    std::vector<Text> words = {u"b", u"A", u"a", u"\u00C4", u"ab", u"AB", u"", u"\u00E4", u"B"};
    std::stable_sort(words.begin(), words.end(),
                     [](const Text& x, const Text& y) { return CompareTextIgnoreCase(x, y) < 0; });
#ifdef _WIN32
    const std::vector<Text> expected = {u"",   u"A",  u"a", u"\u00C4", u"\u00E4",
                                        u"ab", u"AB", u"b", u"B"};
#else
    const std::vector<Text> expected = {u"",  u"A", u"a",      u"ab",    u"AB",
                                        u"b", u"B", u"\u00C4", u"\u00E4"};
#endif
    EXPECT_EQ(words, expected);
}

// The locale and the UI language come from the environment on POSIX only.
#ifndef _WIN32
bool LocaleInstalled(const char* name) {
    const locale_t probe = ::newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(0));
    if (probe == static_cast<locale_t>(0))
        return false;
    ::freelocale(probe);
    return true;
}

TEST(DecimalSeparator, DotForThePlainLocale) {
    TScopedEnv env;
    env.Set("LC_ALL", "C");
    EXPECT_EQ(DecimalSeparator(), u'.');
    env.Set("LC_ALL", "xx_NOWHERE.UTF-8");  // not installed
    EXPECT_EQ(DecimalSeparator(), u'.');
}

TEST(DecimalSeparator, CommaForGermanEvenWithoutSetlocale) {
    const char* german = LocaleInstalled("de_DE.UTF-8") ? "de_DE.UTF-8"
                         : LocaleInstalled("de_DE")     ? "de_DE"
                                                        : nullptr;
    if (german == nullptr)
        GTEST_SKIP() << "no German locale installed";
    TScopedEnv env;
    env.Set("LC_ALL", std::nullopt);
    env.Set("LC_NUMERIC", german);
    EXPECT_EQ(DecimalSeparator(), u',');
}

TEST(SystemUILanguagePrimaryId, FromTheSessionEnvironment) {
    struct TCase {
        const char* Language;
        const char* All;
        const char* Messages;
        const char* Lang;
        int Id;
    };
    const TCase cases[] = {
        {nullptr, nullptr, nullptr, "de_DE.UTF-8", 7},
        {nullptr, nullptr, nullptr, "en_US", 9},
        {nullptr, nullptr, nullptr, "C.UTF-8", 9},
        {nullptr, nullptr, nullptr, "POSIX", 9},
        {nullptr, nullptr, nullptr, "C", 9},
        {nullptr, nullptr, nullptr, "sr@latin", 26},
        {nullptr, nullptr, nullptr, "ja_JP.eucJP", 17},
        {nullptr, nullptr, nullptr, "zh_CN.GB18030", 4},
        {nullptr, nullptr, nullptr, "ko", 18},
        {nullptr, nullptr, nullptr, "PT_br", 22},
        {nullptr, nullptr, nullptr, "tr_TR", 31},
        {nullptr, nullptr, nullptr, "xx_YY", 0},
        {nullptr, nullptr, nullptr, nullptr, 0},
        {nullptr, nullptr, nullptr, "", 0},
        {nullptr, nullptr, "fr_FR", "de_DE", 12},
        {nullptr, "it_IT", "fr_FR", "de_DE", 16},
        {"nl:de", "it_IT", "fr_FR", "de_DE", 19},
        {":pl_PL:de", nullptr, nullptr, "en_US", 21},
        {"", "", "", "hu_HU", 14},
        {"", "cs_CZ", "", "", 5},
        {nullptr, nullptr, nullptr, "el_GR", 8},
        {nullptr, nullptr, nullptr, "ar_EG", 1},
        {nullptr, nullptr, nullptr, "es_ES", 10},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Language ? c.Language : "-") + " " + (c.All ? c.All : "-") +
                     " " + (c.Messages ? c.Messages : "-") + " " + (c.Lang ? c.Lang : "-"));
        TScopedEnv env;
        const auto value = [](const char* v) {
            return v ? std::optional<std::string>(v) : std::nullopt;
        };
        env.Set("LANGUAGE", value(c.Language));
        env.Set("LC_ALL", value(c.All));
        env.Set("LC_MESSAGES", value(c.Messages));
        env.Set("LANG", value(c.Lang));
        EXPECT_EQ(SystemUILanguagePrimaryId(), c.Id);
    }
}

#endif  // _WIN32

}  // namespace
