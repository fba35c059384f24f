#include "platform/TextServices.h"

#include <langinfo.h>
#include <locale.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/posix/LowerCaseTable.h"

namespace Platform {

namespace {

struct TLanguageId {
    std::string_view Code;  // ISO 639-1
    int Id;
};

// ISO 639-1 codes and the matching primary language ids.
constexpr TLanguageId LanguageIds[] = {
    {"af", 0x36}, {"ar", 0x01}, {"az", 0x2C}, {"be", 0x23}, {"bg", 0x02}, {"bn", 0x45},
    {"bs", 0x1A}, {"ca", 0x03}, {"cs", 0x05}, {"cy", 0x52}, {"da", 0x06}, {"de", 0x07},
    {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"et", 0x25}, {"eu", 0x2D}, {"fa", 0x29},
    {"fi", 0x0B}, {"fr", 0x0C}, {"gl", 0x56}, {"he", 0x0D}, {"hi", 0x39}, {"hr", 0x1A},
    {"hu", 0x0E}, {"hy", 0x2B}, {"id", 0x21}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11},
    {"ka", 0x37}, {"kk", 0x3F}, {"ko", 0x12}, {"lt", 0x27}, {"lv", 0x26}, {"mk", 0x2F},
    {"ms", 0x3E}, {"nb", 0x14}, {"nl", 0x13}, {"nn", 0x14}, {"no", 0x14}, {"pl", 0x15},
    {"pt", 0x16}, {"ro", 0x18}, {"ru", 0x19}, {"sk", 0x1B}, {"sl", 0x24}, {"sq", 0x1C},
    {"sr", 0x1A}, {"sv", 0x1D}, {"sw", 0x41}, {"ta", 0x49}, {"th", 0x1E}, {"tr", 0x1F},
    {"uk", 0x22}, {"ur", 0x20}, {"uz", 0x43}, {"vi", 0x2A}, {"zh", 0x04},
};

constexpr int EnglishId = 0x09;

// The session's UI language setting: the first entry of LANGUAGE, else the locale variables
// in the order in which they override each other for messages.
std::string_view UILanguageSetting() {
    if (const char* list = std::getenv("LANGUAGE")) {
        std::string_view rest(list);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view entry = rest.substr(0, colon);
            if (!entry.empty())
                return entry;
            if (colon == std::string_view::npos)
                break;
            rest.remove_prefix(colon + 1);
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0')
            return value;
    }
    return {};
}

}  // namespace

char16_t LowerCaseChar(char16_t c) {
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    const TLowerCasePair* end = LowerCasePairs + LowerCasePairCount;
    const TLowerCasePair* found = std::lower_bound(
        LowerCasePairs, end, c, [](const TLowerCasePair& p, char16_t u) { return p.Upper < u; });
    return found != end && found->Upper == c ? found->Lower : c;
}

Text LowerCase(TextView text) {
    Text result(text);
    for (char16_t& c : result)
        c = LowerCaseChar(c);
    return result;
}

int CompareTextIgnoreCase(TextView a, TextView b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t x = LowerCaseChar(a[i]);
        const char16_t y = LowerCaseChar(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

char16_t DecimalSeparator() {
    // A locale object of its own: the answer must not depend on whether setlocale ran.
    const locale_t numeric = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (numeric == static_cast<locale_t>(0))
        return u'.';
    const Text radix = Utf8ToText(::nl_langinfo_l(RADIXCHAR, numeric));
    ::freelocale(numeric);
    if (radix.size() != 1 || (radix[0] >= 0xD800 && radix[0] <= 0xDFFF))
        return u'.';
    return radix[0];
}

int SystemUILanguagePrimaryId() {
    const std::string_view setting = UILanguageSetting();
    std::string code(setting.substr(0, setting.find_first_of("_.@")));
    for (char& c : code)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    if (code == "c" || code == "posix")
        return EnglishId;
    for (const TLanguageId& language : LanguageIds)
        if (language.Code == code)
            return language.Id;
    return 0;
}

}  // namespace Platform
