// What the command line says of itself: --version, and the manual page and the bash
// completion that are installed with it, which must know every option of --help.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "TwinseekVersion.h"
#include "cli/CliOptions.h"
#include "support/Process.h"

namespace {

using TNames = std::set<std::string>;

std::string SourceFile(const std::string& relative) {
    std::ifstream in(std::string(TWINSEEK_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every option name of the help text: "  -q,--quiet   no status output" gives -q and --quiet.
TNames HelpOptions() {
    const char* argv[] = {"twinseek-cli", "--help"};
    const TCliParse parse = ParseCliOptions(2, argv);
    EXPECT_EQ(parse.Kind, TCliParse::pkHelp);
    TNames names;
    const std::regex line(R"(^  (-[^ ]*))");
    const std::regex name(R"(--?[a-z][a-z-]*)");
    std::istringstream text(parse.Message);
    for (std::string row; std::getline(text, row);) {
        std::smatch first;
        if (!std::regex_search(row, first, line))
            continue;
        const std::string flags = first[1].str();
        for (std::sregex_iterator i(flags.begin(), flags.end(), name), end; i != end; ++i)
            names.insert(i->str());
    }
    return names;
}

// The options the manual page describes: the first line of each .TP entry of OPTIONS.
TNames ManPageOptions(const std::string& page) {
    const std::size_t from = page.find("\n.SH OPTIONS\n");
    const std::size_t to = page.find("\n.SH ", from + 1);
    const std::string options = page.substr(from, to - from);
    TNames names;
    const std::regex entry(R"(\n\.TP\n\.BR? ([^\n]*))");
    const std::regex name(R"((?:^|[ "])((?:\\-){1,2}[a-z][a-z\\-]*))");
    for (std::sregex_iterator e(options.begin(), options.end(), entry), end; e != end; ++e) {
        const std::string head = (*e)[1].str();
        for (std::sregex_iterator i(head.begin(), head.end(), name); i != end; ++i)
            names.insert(std::regex_replace((*i)[1].str(), std::regex(R"(\\-)"), "-"));
    }
    return names;
}

TEST(CliDocs, VersionComesFromTheBuildAndRunsNoScan) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--version"}, {"--version", "/no/such/folder"}}) {
        const TProcessResult r = RunProgram("twinseek-cli", args);
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(r.Out, std::string("twinseek-cli ") + TwinseekVersion + "\n");
        EXPECT_EQ(r.Err, "");
    }
    EXPECT_EQ(std::string(TwinseekVersion),
              std::to_string(TwinseekVersionMajor) + "." + std::to_string(TwinseekVersionMinor));
}

TEST(CliDocs, TheManualPageDescribesEveryOptionAndNoOther) {
    const std::string page = SourceFile("data/twinseek-cli.1");
    ASSERT_NE(page.find("\n.SH OPTIONS\n"), std::string::npos);
    const TNames help = HelpOptions();
    ASSERT_TRUE(help.contains("--version"));
    ASSERT_TRUE(help.contains("-q"));
    EXPECT_EQ(ManPageOptions(page), help);
}

TEST(CliDocs, TheBashCompletionOffersEveryOptionAndNoOther) {
    const std::string script = SourceFile("data/twinseek-cli.bash-completion");
    // The words offered for "-": the list of the compgen that completes options.
    const std::size_t from = script.find("compgen -W '--");
    ASSERT_NE(from, std::string::npos);
    const std::size_t open = script.find('\'', from);
    const std::string words = script.substr(open + 1, script.find('\'', open + 1) - open - 1);
    TNames offered;
    const std::regex name(R"(--?[a-z][a-z-]*)");
    for (std::sregex_iterator i(words.begin(), words.end(), name), end; i != end; ++i)
        offered.insert(i->str());
    EXPECT_EQ(offered, HelpOptions());

    // Options that take a value are completed on their own: each must be a real option.
    const TNames help = HelpOptions();
    const std::regex casePattern(R"(\n\s+((?:--?[a-z][a-z-]*)(?: \| --?[a-z][a-z-]*)*)\))");
    for (std::sregex_iterator c(script.begin(), script.end(), casePattern), end; c != end; ++c) {
        const std::string alternatives = (*c)[1].str();
        for (std::sregex_iterator i(alternatives.begin(), alternatives.end(), name); i != end; ++i)
            EXPECT_TRUE(help.contains(i->str())) << i->str();
    }
}

}  // namespace
