#include <gtest/gtest.h>

#include "core/CompareText.h"

TEST(CompareText, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(CompareText(u"abc", u"ABC"), 0);
    EXPECT_LT(CompareText(u"C:\\a", u"C:\\B"), 0);
    EXPECT_LT(CompareText(u"ab", u"abc"), 0);
    EXPECT_GT(CompareText(u"b", u"A"), 0);
    EXPECT_NE(CompareText(u"ä", u"Ä"), 0);
    EXPECT_GT(CompareText(u"_", u"a"), 0);  // letters fold onto A..Z, which come before "_"
}
