#pragma once
// The translation table transl.dt and the lookup of every text the user sees.
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Text.h"

// Per-user store of the language choice, given by the caller: the window passes one backed
// by the toolkit's settings, the command line one backed by the platform layer.
class TLanguageStore {
public:
    virtual ~TLanguageStore() = default;
    // The stored CurrentLanguage value; nothing when there is none.
    virtual std::optional<Text> ReadCurrentLanguage() = 0;
    // Stores the value; false when the store could not be opened for writing.
    virtual bool WriteCurrentLanguage(const Text& code) = 0;
};

// Language j, entry k: entry 0 the display name, entry 1 the code, then the UI texts.
extern std::vector<std::vector<Text>> TranslationTable;
extern int CurrentLanguageIndex;
extern Text CurrentLanguageCode;

// The current language's text for an English text; the text itself when there is none.
Text TranslateText(TextView text);
// The same for language j of the table (0 is English).
Text TranslateTextIn(int language, TextView text);

// Code of the system's UI language: "ar", "cn", "cs", "de", ... or "en".
Text DetectSystemLanguage();
// The code for a primary language id of a Windows language identifier.
Text LanguageCodeForPrimaryId(int primaryId);

// The transl.dt a program in that folder reads: the one beside it (a build folder, a Windows
// installation), else the installed data folder relative to it (bin/../share/twinseek), else
// the name beside it, which the loader then finds missing.
Text TranslationFileFor(const Text& executableDir);

// Decides the current language and loads the table of TranslationFileFor(the executable's
// folder). Never fails: a problem with the store, the executable's folder or the file leaves
// English current.
void LoadTranslations(TLanguageStore* store);
// The same with the executable's folder given by a function (it may raise).
void LoadTranslations(TLanguageStore* store, Text (*executableDir)());
// The same with the table file named.
void LoadTranslationsFrom(const Text& fileName, TLanguageStore* store);

// Writes CurrentLanguageCode to the store; nothing happens when it cannot be opened.
void SaveCurrentLanguage(TLanguageStore* store);

// Empties the table and goes back to English (tests, and the program's end).
void ResetTranslations();
