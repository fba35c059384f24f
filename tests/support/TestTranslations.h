#pragma once
// Translation tables for tests: a stored language choice held in memory, and a small table
// written for one test and loaded.
#include <optional>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "translation/Translation.h"

// The user's stored language choice, in memory. CanOpen false: writes fail, as with a
// settings file that cannot be written.
class TFakeLanguageStore : public TLanguageStore {
public:
    std::optional<Text> Stored;
    bool CanOpen = true;
    std::vector<Text> Writes;

    std::optional<Text> ReadCurrentLanguage() override { return Stored; }
    bool WriteCurrentLanguage(const Text& code) override {
        if (!CanOpen)
            return false;
        Writes.push_back(code);
        Stored = code;
        return true;
    }
};

// Loads the table given as the bytes of a transl.dt and makes the language code current, as
// a stored choice would.
void LoadTestTable(const std::string& bytes, const Text& code);
