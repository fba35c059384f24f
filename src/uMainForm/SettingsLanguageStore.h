#pragma once
// The language choice in the toolkit's per-user settings of organisation "Twinseek": on
// Windows the registry key HKCU\Software\Twinseek, elsewhere Twinseek.conf in the user's
// configuration folder, where the command line reads it too.
#include "translation/Translation.h"

class TSettingsLanguageStore : public TLanguageStore {
public:
    std::optional<Text> ReadCurrentLanguage() override;
    bool WriteCurrentLanguage(const Text& code) override;
};
