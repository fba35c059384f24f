#pragma once
// Shared set-up of the translation tests: the module's globals are reset around every test,
// the system language is pinned to English, and a fake store stands in for the user's.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/ScopedEnv.h"
#include "support/TempTree.h"
#include "support/TestTranslations.h"
#include "translation/Translation.h"

class TranslationTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSystemLanguage("en_US.UTF-8");
        ResetTranslations();
    }
    void TearDown() override { ResetTranslations(); }

    void SetSystemLanguage(const std::string& locale) {
        Env.Set("LANGUAGE", locale);
        Env.Set("LC_ALL", std::nullopt);
        Env.Set("LC_MESSAGES", std::nullopt);
        Env.Set("LANG", std::nullopt);
    }

    // The code of the language the program finds as the system's: the locale's on POSIX,
    // where the session sets it; on Windows the system's UI language, which no test can set.
    std::string SystemLanguage([[maybe_unused]] const std::string& locale) {
#ifndef _WIN32
        SetSystemLanguage(locale);
#endif
        return Platform::TextToUtf8(DetectSystemLanguage());
    }

    // Writes the table file and loads it with the given stored code.
    void Load(const std::string& bytes, std::optional<Text> stored = Text(u"de")) {
        Tree.File("transl.dt", bytes);
        Store.Stored = std::move(stored);
        LoadTranslationsFrom(Tree.TextPath("transl.dt"), &Store);
    }

    TScopedEnv Env;
    TTempTree Tree;
    TFakeLanguageStore Store;
};
