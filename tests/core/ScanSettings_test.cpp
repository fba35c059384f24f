#include <gtest/gtest.h>

#include <vector>

#include "core/ScanSettings.h"
#include "support/TestHost.h"

TEST(GetCompareMode, ItemIndexToMode) {
    EXPECT_EQ(GetCompareMode(0), cmName);
    EXPECT_EQ(GetCompareMode(1), cmSize);
    EXPECT_EQ(GetCompareMode(2), cmNameSize);
    EXPECT_EQ(GetCompareMode(3), cmContent);
    EXPECT_EQ(GetCompareMode(-1), cmContent);  // no item selected
    EXPECT_EQ(GetCompareMode(7), cmContent);
}

TEST(ParseMasks, Table) {
    struct TCase {
        const char* text;
        std::vector<const char*> masks;
    } cases[] = {
        {"*.jpg; *.png", {"*.jpg", "*.png"}},
        {"*.jpg|*.png,,*.gif", {"*.jpg", "*.png", "*.gif"}},
        {"*.doc *.docx", {"*.doc", "*.docx"}},
        {"", {"*.*"}},
        {"  ; , | ;; ", {"*.*"}},
        {"\"*.txt\"", {"*.txt"}},
        // Every separator separates, inside quotes too; a piece without an opening quote
        // keeps its quotes (an illegal mask character).
        {"\"my file?.txt\",*.c", {"my", "file?.txt\"", "*.c"}},
        {"\"a\"\"b\"", {"a\"b"}},                          // a doubled quote is one quote
        {"\"*.x\"y,z", {"*.xy", "z"}},                     // text after the quote is appended
        {"\"*.unterminated; b", {"*.unterminated", "b"}},  // runs to the end of the piece
        {"a\"b\",\t\"c\"", {"a\"b\"", "\"c\""}},           // a quote after the start stays
        {"*.a,*.a", {"*.a", "*.a"}},                       // repeats stay
        {"\t*.a\t", {"*.a"}},                              // control characters are trimmed
        {"\"  \",x", {"x"}},                               // blank after trimming: dropped
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<Text> expected;
        for (const char* m : c.masks)
            expected.push_back(T(m));
        EXPECT_EQ(ParseMasks(T(c.text)), expected);
    }
}

TEST(ReadWholeNumber, Table) {
    struct TCase {
        const char* text;
        std::int64_t minimum;
        std::int64_t value;
    } cases[] = {
        {"12", 0, 12},
        {"+7", 0, 7},
        {"-5", 0, -5},
        {"abc", 0, 0},
        {"abc", 2, 2},
        {"", 2, 2},
        {"1.5", 0, 0},
        {" 3", 0, 0},
        {"-", 2, 2},
        {"1048576", 0, 1048576},
        {"99999999999999999999999", 0, INT64_MAX},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadWholeNumber(T(c.text), c.minimum), c.value);
    }
}
