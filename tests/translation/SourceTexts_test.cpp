// Reads the program's sources and checks that every text handed straight to a translating
// call is one of TranslatableTexts(): a key missing there has no row in the table, so the
// text would stay English in every language without anything failing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "translation/TranslatableTexts.h"

namespace {

namespace fs = std::filesystem;

// The translating calls of the program: the three of the translation module and the small
// wrappers that the window, the update dialog and the command line put around them.
const char* const TranslatingCalls[] = {"TranslateText", "TranslateFormat", "TranslateFormatStrict",
                                        "Tr", "Translated"};

struct TFoundKey {
    std::string Text;
    std::string Where;  // file:line
};

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

void SkipSpace(const std::string& code, std::size_t& i) {
    while (i < code.size() && std::isspace(static_cast<unsigned char>(code[i])))
        ++i;
}

// One or more adjacent u"..." literals (C++ joins them); nothing when the argument is no
// literal (a variable, a member, an array element).
std::optional<std::string> ReadLiteral(const std::string& code, std::size_t& i) {
    std::optional<std::string> text;
    for (;;) {
        SkipSpace(code, i);
        if (code.compare(i, 2, "u\"") != 0)
            return text;
        i += 2;
        std::string part;
        while (i < code.size() && code[i] != '"') {
            if (code[i] == '\\' && i + 1 < code.size())
                ++i;
            part.push_back(code[i++]);
        }
        ++i;  // the closing quote
        text = text.value_or("") + part;
    }
}

// The keys of every translating call in one source: the first argument when it is a
// literal, or each literal of a braced list as the first argument.
std::vector<TFoundKey> KeysIn(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string code{std::istreambuf_iterator<char>(in), {}};
    std::vector<TFoundKey> keys;
    auto where = [&](std::size_t at) {
        const auto line = 1 + std::count(code.begin(), code.begin() + at, '\n');
        return file.filename().string() + ":" + std::to_string(line);
    };
    for (const std::string call : TranslatingCalls) {
        for (std::size_t at = code.find(call); at != std::string::npos;
             at = code.find(call, at + 1)) {
            if (at > 0 && IsNameChar(code[at - 1]))
                continue;
            std::size_t i = at + call.size();
            SkipSpace(code, i);
            if (i >= code.size() || code[i] != '(')
                continue;
            ++i;
            SkipSpace(code, i);
            if (i < code.size() && code[i] == '{') {
                ++i;
                while (std::optional<std::string> text = ReadLiteral(code, i)) {
                    keys.push_back({*text, where(at)});
                    SkipSpace(code, i);
                    if (i >= code.size() || code[i] != ',')
                        break;
                    ++i;
                }
            } else if (std::optional<std::string> text = ReadLiteral(code, i)) {
                keys.push_back({*text, where(at)});
            }
        }
    }
    return keys;
}

TEST(SourceTexts, EveryLiteralKeyOfTheProgramIsInTheList) {
    const fs::path sources = fs::path(TWINSEEK_SOURCE_DIR) / "src";
    ASSERT_TRUE(fs::is_directory(sources)) << sources;
    std::set<std::string> listed;
    for (TextView text : TranslatableTexts())
        listed.insert(Platform::TextToUtf8(text));

    std::vector<TFoundKey> found;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(sources)) {
        const fs::path& path = entry.path();
        if (path.extension() != ".cpp" && path.extension() != ".h")
            continue;
        // The list itself holds every key as a literal, in no call.
        if (path.parent_path().filename() == "translation")
            continue;
        for (TFoundKey& key : KeysIn(path))
            found.push_back(std::move(key));
    }
    // The scan must really see the program's calls: the window alone makes dozens.
    EXPECT_GT(found.size(), 80u);
    for (const TFoundKey& key : found)
        EXPECT_TRUE(listed.contains(key.Text)) << key.Where << ": \"" << key.Text << "\"";
}

// The scanner itself, on the shapes of call the program uses.
TEST(SourceTexts, ScannerReadsEveryShapeOfCall) {
    const fs::path file = fs::temp_directory_path() / "twinseek-source-texts-test.cpp";
    {
        std::ofstream out(file, std::ios::binary);
        out << "x = TranslateText(u\"Done.\");\n"
               "y = TranslateFormat(u\"Group %d (%s)\", {n, u\"not a key\"});\n"
               "z = TranslateFormat(u\"This version \"\n    u\"%s.\", {v});\n"
               "w = Translated({u\"Group\", u\"Size\"});\n"
               "v = Tr(items[i]);\n"
               "u = MyTr(u\"other call\"); Tr (u\"say \\\"hi\\\"\");\n";
    }
    std::vector<std::string> texts;
    for (const TFoundKey& key : KeysIn(file))
        texts.push_back(key.Text);
    fs::remove(file);
    std::sort(texts.begin(), texts.end());
    const std::vector<std::string> expected = {
        "Done.", "Group", "Group %d (%s)", "Size", "This version %s.", "say \"hi\""};
    EXPECT_EQ(texts, expected);
}

}  // namespace
