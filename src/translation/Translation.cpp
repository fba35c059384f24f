#include "translation/Translation.h"

#include <charconv>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/PathSyntax.h"
#include "platform/TextServices.h"

std::vector<std::vector<Text>> TranslationTable;
int CurrentLanguageIndex = 0;
Text CurrentLanguageCode = u"en";

namespace {

class ETableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string ReadWholeFile(const Text& fileName) {
    Platform::TFileReader reader(fileName);
    std::string bytes;
    char buffer[64 * 1024];
    for (std::size_t got; (got = reader.Read(buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, got);
    return bytes;
}

// A decimal integer read without the locale; nothing else on the line.
int ReadLanguageCount(const Text& line) {
    std::string ascii;
    for (char16_t c : line) {
        if (c > 0x7F)
            throw ETableError("language count is not a number");
        ascii.push_back(static_cast<char>(c));
    }
    int value = 0;
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || ascii.empty())
        throw ETableError("language count is not a number");
    return value;
}

const Text& LineAt(const std::vector<Text>& lines, std::size_t index) {
    if (index >= lines.size())
        throw ETableError("translation file ends too early");
    return lines[index];
}

void LoadTable(const Text& fileName) {
    TranslationTable.clear();
    if (!Platform::FileExists(fileName))
        throw ETableError("Cannot find translation file:" + Platform::TextToUtf8(fileName));
    const std::string content = ReadWholeFile(fileName);
    const std::vector<Text> lines = Platform::DocumentLines(content);

    const int count = ReadLanguageCount(LineAt(lines, 0));
    if (count <= 0)
        throw ETableError("no languages in the translation file");
    const std::size_t n = static_cast<std::size_t>(count);
    // A count beyond the file's own lines cannot name a code row for even the first
    // language; refusing it early avoids sizing a table to a garbage number.
    if (n > lines.size() - 1)
        throw ETableError("translation file ends too early");

    const std::size_t rows = (lines.size() - 1) / n;
    std::vector<Text> codes;
    TranslationTable.assign(n, {});
    for (std::size_t j = 0; j < n; ++j) {
        std::vector<Text>& language = TranslationTable[j];
        language.resize(rows);
        for (std::size_t k = 0; k < rows; ++k)
            language[k] = lines[1 + k * n + j];
        codes.push_back(LineAt(lines, n + 1 + j));
    }

    CurrentLanguageIndex = 0;
    const Text wanted = Platform::LowerCase(CurrentLanguageCode);
    for (std::size_t j = 0; j < codes.size(); ++j) {
        if (Platform::LowerCase(codes[j]) == wanted) {
            CurrentLanguageIndex = static_cast<int>(j);
            break;
        }
    }
}

}  // namespace

Text TranslateText(TextView text) {
    return TranslateTextIn(CurrentLanguageIndex, text);
}

Text TranslateTextIn(int language, TextView text) {
    if (language <= 0 || TranslationTable.empty())
        return Text(text);
    const auto current = static_cast<std::size_t>(language);
    if (current >= TranslationTable.size())
        return Text(text);
    const std::vector<Text>& english = TranslationTable[0];
    const std::vector<Text>& translated = TranslationTable[current];
    for (std::size_t k = 0; k < english.size(); ++k) {
        if (english[k] != text)
            continue;
        // A language cut short by a broken file may lack the row.
        if (k < translated.size() && !translated[k].empty())
            return translated[k];
        return Text(text);
    }
    return Text(text);
}

Text LanguageCodeForPrimaryId(int primaryId) {
    switch (primaryId) {
        case 1:
            return u"ar";
        case 4:
            return u"cn";
        case 5:
            return u"cs";
        case 7:
            return u"de";
        case 8:
            return u"el";
        case 10:
            return u"es";
        case 12:
            return u"fr";
        case 14:
            return u"hu";
        case 16:
            return u"it";
        case 17:
            return u"jp";
        case 18:
            return u"kr";
        case 19:
            return u"nl";
        case 21:
            return u"pl";
        case 22:
            return u"pt";
        case 31:
            return u"tr";
        default:
            return u"en";
    }
}

Text DetectSystemLanguage() {
    return LanguageCodeForPrimaryId(Platform::SystemUILanguagePrimaryId() & 0xFF);
}

Text TranslationFileFor(const Text& executableDir) {
    const Text beside = Platform::JoinPath(executableDir, u"transl.dt", Platform::NativeSyntax);
    const TextView fromBin = u"" TWINSEEK_DATA_FROM_BIN;
    if (Platform::FileExists(beside) || fromBin == u".")
        return beside;
    const Text installed = Platform::FullPath(
        Platform::JoinPath(Platform::JoinPath(executableDir, fromBin, Platform::NativeSyntax),
                           u"transl.dt", Platform::NativeSyntax));
    return Platform::FileExists(installed) ? installed : beside;
}

void LoadTranslations(TLanguageStore* store) {
    LoadTranslations(store, Platform::ExecutableDir);
}

void LoadTranslations(TLanguageStore* store, Text (*executableDir)()) {
    Text fileName;
    try {
        fileName = TranslationFileFor(executableDir());
    } catch (...) {
        // No folder to look in (/proc hidden, say): the language is still decided, the
        // table stays empty.
    }
    LoadTranslationsFrom(fileName, store);
}

void LoadTranslationsFrom(const Text& fileName, TLanguageStore* store) {
    CurrentLanguageCode = DetectSystemLanguage();
    if (store) {
        // A store that cannot be read is one without a value.
        try {
            if (std::optional<Text> stored = store->ReadCurrentLanguage())
                CurrentLanguageCode = std::move(*stored);
        } catch (...) {
        }
    }
    // The table is an optional extra: any problem with it leaves the program in English.
    try {
        if (fileName.empty())
            throw ETableError("no folder for the translation file");
        LoadTable(fileName);
    } catch (...) {
        CurrentLanguageIndex = 0;
    }
}

void SaveCurrentLanguage(TLanguageStore* store) {
    if (store)
        store->WriteCurrentLanguage(CurrentLanguageCode);
}

void ResetTranslations() {
    TranslationTable.clear();
    CurrentLanguageIndex = 0;
    CurrentLanguageCode = u"en";
}
