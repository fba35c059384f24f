#pragma once
// Loads a small translation table written for one test and makes one of its languages
// current, as a stored choice would.
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "translation/Translation.h"

inline void LoadTestTable(const std::string& bytes, const Text& code) {
    struct TStore : TLanguageStore {
        Text Code;
        std::optional<Text> ReadCurrentLanguage() override { return Code; }
        bool WriteCurrentLanguage(const Text&) override { return true; }
    } store;
    store.Code = code;
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "twinseek-update-test-transl.dt";
    std::ofstream(file, std::ios::binary) << bytes;
    LoadTranslationsFrom(Platform::Utf8ToText(file.string()), &store);
    std::filesystem::remove(file);
}
