#pragma once
// Sets or clears environment variables for one test and puts the old values back.
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TScopedEnv {
public:
    TScopedEnv() = default;
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;
    ~TScopedEnv() {
        for (auto it = FSaved.rbegin(); it != FSaved.rend(); ++it)
            Apply(it->first, it->second);
    }
    // A value of nullopt removes the variable.
    void Set(const std::string& name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name.c_str());
        FSaved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        Apply(name, value);
    }

private:
    static void Apply(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
        ::_putenv_s(name.c_str(), value ? value->c_str() : "");  // "" removes it
#else
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
#endif
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> FSaved;
};
