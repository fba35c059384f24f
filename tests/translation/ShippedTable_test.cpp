// Checks the data/transl.dt that ships with the program against the texts the program asks
// for, so that a new text or a careless translation shows up here and not in front of a user.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "TranslationFixture.h"
#include "platform/Text.h"
#include "platform/TextServices.h"
#include "translation/TranslatableTexts.h"

namespace {

const char* const ShippedFile = TWINSEEK_SOURCE_DIR "/data/transl.dt";

std::string U8(TextView text) {
    return Platform::TextToUtf8(text);
}

// The %s and %d placeholders of a text, in order; %% is no placeholder.
std::string Placeholders(TextView text) {
    std::string result;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'%')
            continue;
        if (text[i + 1] != u'%')
            result.push_back(static_cast<char>(text[i + 1]));
        ++i;
    }
    return result;
}

std::size_t LeadingSpaces(TextView text) {
    const std::size_t n = text.find_first_not_of(u' ');
    return n == TextView::npos ? text.size() : n;
}

std::size_t TrailingSpaces(TextView text) {
    const std::size_t n = text.find_last_not_of(u' ');
    return n == TextView::npos ? text.size() : text.size() - 1 - n;
}

class ShippedTable : public TranslationTest {
protected:
    void SetUp() override {
        TranslationTest::SetUp();
        Store.Stored = u"en";
        LoadTranslationsFrom(Platform::Utf8ToText(ShippedFile), &Store);
        ASSERT_GE(TranslationTable.size(), 2u) << ShippedFile;
    }
};

TEST_F(ShippedTable, IsPlainUtf8WithLfAndCompleteRows) {
    std::ifstream in(ShippedFile, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(bytes.empty());
    EXPECT_FALSE(bytes.starts_with("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes.find('\r'), std::string::npos);
    EXPECT_TRUE(bytes.ends_with("\n"));
    EXPECT_EQ(Platform::TextToUtf8(Platform::Utf8ToText(bytes)), bytes);  // valid UTF-8

    // No row may be cut off and then silently ignored.
    const auto lines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    EXPECT_EQ(lines, 1 + TranslationTable.size() * TranslationTable[0].size());
}

TEST_F(ShippedTable, HeadRowsNameEnglishFirstAndDistinctCodes) {
    EXPECT_EQ(TranslationTable[0][0], u"English");
    EXPECT_EQ(TranslationTable[0][1], u"en");
    std::set<Text> codes;
    for (const std::vector<Text>& language : TranslationTable) {
        ASSERT_GE(language.size(), 2u);
        EXPECT_FALSE(language[0].empty());
        EXPECT_FALSE(language[1].empty());
        EXPECT_TRUE(codes.insert(Platform::LowerCase(language[1])).second) << U8(language[1]);
    }
}

TEST_F(ShippedTable, HoldsEveryTextOfTheProgramAndNoOther) {
    const std::vector<Text>& english = TranslationTable[0];
    const std::set<Text> column(english.begin() + 2, english.end());
    const std::set<Text> wanted(TranslatableTexts().begin(), TranslatableTexts().end());
    EXPECT_EQ(wanted.size(), TranslatableTexts().size()) << "a text listed twice";
    for (TextView text : TranslatableTexts())
        EXPECT_TRUE(column.contains(Text(text))) << "missing row: " << U8(text);
    for (const Text& text : column)
        EXPECT_TRUE(wanted.contains(text)) << "unused row: " << U8(text);
    EXPECT_EQ(english.size() - 2, column.size()) << "an English text has two rows";
}

TEST_F(ShippedTable, EveryTranslationFitsItsEnglishText) {
    const std::vector<Text>& english = TranslationTable[0];
    for (std::size_t j = 1; j < TranslationTable.size(); ++j) {
        const std::vector<Text>& language = TranslationTable[j];
        ASSERT_EQ(language.size(), english.size()) << U8(language[0]);
        for (std::size_t k = 2; k < english.size(); ++k) {
            SCOPED_TRACE(U8(language[1]) + ": " + U8(english[k]));
            const Text& text = language[k];
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(Placeholders(text), Placeholders(english[k]));
            EXPECT_EQ(LeadingSpaces(text), LeadingSpaces(english[k]));
            EXPECT_EQ(TrailingSpaces(text), TrailingSpaces(english[k]));
            EXPECT_EQ(text.find(u"&&") != Text::npos, english[k].find(u"&&") != Text::npos);
        }
    }
}

TEST_F(ShippedTable, EveryDetectableSystemLanguageHasAColumn) {
    std::set<Text> codes;
    for (const std::vector<Text>& language : TranslationTable)
        codes.insert(language[1]);
    for (int primaryId = 0; primaryId < 256; ++primaryId) {
        const Text code = LanguageCodeForPrimaryId(primaryId);
        EXPECT_TRUE(codes.contains(code)) << "id " << primaryId << ": " << U8(code);
    }
}

// The update dialog tells a running download from the start by its button's caption, so
// "Abort" must read differently from "Exit" and "Skip" in every language.
TEST_F(ShippedTable, UpdateButtonCaptionsStayDistinct) {
    for (std::size_t j = 0; j < TranslationTable.size(); ++j) {
        CurrentLanguageIndex = static_cast<int>(j);
        SCOPED_TRACE(U8(TranslationTable[j][1]));
        EXPECT_NE(TranslateText(u"Abort"), TranslateText(u"Exit"));
        EXPECT_NE(TranslateText(u"Abort"), TranslateText(u"Skip"));
    }
}

}  // namespace
