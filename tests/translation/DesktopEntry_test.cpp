// The launcher entry speaks every language of the shipped table: a language added to the
// table without a line in data/twinseek.desktop shows up here.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "TranslationFixture.h"
#include "platform/Text.h"

namespace {

// The desktop's locale for a code of the table, where the two differ.
std::string DesktopLocale(const std::string& code) {
    static const std::map<std::string, std::string> differing = {
        {"cn", "zh_CN"}, {"jp", "ja"}, {"kr", "ko"}};
    const auto found = differing.find(code);
    return found == differing.end() ? code : found->second;
}

class DesktopEntry : public TranslationTest {};

TEST_F(DesktopEntry, TranslatesGenericNameAndCommentForEveryLanguageOfTheTable) {
    LoadTranslationsFrom(Platform::Utf8ToText(TWINSEEK_SOURCE_DIR "/data/transl.dt"), &Store);
    ASSERT_GE(TranslationTable.size(), 2u);

    std::ifstream in(TWINSEEK_SOURCE_DIR "/data/twinseek.desktop");
    std::map<std::string, std::string> keys;
    for (std::string line; std::getline(in, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
            keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    ASSERT_TRUE(keys.contains("GenericName"));
    ASSERT_TRUE(keys.contains("Comment"));

    std::size_t translated = 0;
    for (std::size_t j = 1; j < TranslationTable.size(); ++j) {
        const std::string locale = DesktopLocale(Platform::TextToUtf8(TranslationTable[j][1]));
        SCOPED_TRACE(locale);
        for (const char* key : {"GenericName", "Comment"}) {
            const auto found = keys.find(std::string(key) + "[" + locale + "]");
            ASSERT_NE(found, keys.end()) << key;
            EXPECT_FALSE(found->second.empty());
            EXPECT_NE(found->second, keys[key]) << key << " left in English";
        }
        ++translated;
    }
    // And no language the table does not have.
    std::size_t localised = 0;
    for (const auto& [key, value] : keys)
        localised += key.starts_with("Comment[");
    EXPECT_EQ(localised, translated);
}

}  // namespace
