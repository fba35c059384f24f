#include <gtest/gtest.h>

#include "core/MaskMatch.h"
#include "support/TestHost.h"

TEST(TFileMask, Matching) {
    struct TCase {
        const char* mask;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.*", "README", true},
        {"*.*", ".hidden", true},
        {"*.txt", "notes.TXT", true},
        {"*.txt", "notes.txt.bak", false},
        {"*.txt", ".txt", true},
        {"photo?.jpg", "photo1.jpg", true},
        {"photo?.jpg", "photo.jpg", false},
        {"photo?.jpg", "photo12.jpg", false},
        {"[a-c]*", "apple", true},
        {"[a-c]*", "Banana", true},
        {"[a-c]*", "Cherry", true},
        {"[a-c]*", "date", false},
        {"[!a-c]*", "date", true},
        {"[!a-c]*", "apple", false},
        {"[abc]", "B", true},
        {"[x-]", "-", true},      // a "-" at the end is itself
        {"[c-a]x", "bx", false},  // a reversed range matches nothing
        // A range holds the code units between its ends as written; the name's letters fold.
        {"[0-Z]", "_", false},
        {"[0-Z]", "5", true},
        {"[0-Z]", "Q", true},
        {"[0-Z]", "q", true},
        {"[0-Z]", "[", false},
        {"[Z-a]", "_", true},
        {"[Z-a]", "A", true},
        {"[Z-a]", "y", false},
        {"[!0-Z]", "_", true},
        {"[!0-Z]", "q", false},
        {"[a-Z]", "a", false},  // reversed as written, though not once folded
        {"[È]", "è", false},    // only ASCII letters fold
        {"*?", "", true},       // "*?" behaves as "*"
        {"a*?", "a", true},
        {"a*??", "a", true},
        {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYbZ", false},
        {"*", "", true},
        {"?", "", false},
        {"ä*", "Ä.txt", false},  // only ASCII letters are matched regardless of case
        {"ä*", "ä.txt", true},
        {"*.JPG", "x.jpg", true},
        {"[é]", "é", true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " ~ " + c.name);
        const auto mask = TFileMask::Compile(T(c.mask));
        ASSERT_TRUE(mask.has_value());
        EXPECT_EQ(mask->Matches(T(c.name)), c.matches);
    }
}

TEST(TFileMask, IllegalOrMalformedMasksMatchNothing) {
    for (const char* mask : {"sub\\*.txt", "sub/*.txt", "c:*", "<a>", "a|b", "\"a\"", "[abc", "[]",
                             "[!]", "   ", "", "a\x01", "[-x]", "[!-x]", "a[-]"}) {
        SCOPED_TRACE(mask);
        EXPECT_FALSE(TFileMask::Compile(T(mask)).has_value());
    }
    // A set can only hold characters up to code 255.
    EXPECT_FALSE(TFileMask::Compile(u"[\u0100]").has_value());
}

TEST(TFileMask, LongNamesDoNotBlowUp) {
    const auto mask = TFileMask::Compile(u"*a*a*a*a*a*a*a*b");
    ASSERT_TRUE(mask);
    EXPECT_FALSE(mask->Matches(Text(5000, u'a')));
}
