// The manual page and the bash completion must not drift from "tervik-cli --help".

#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace tervik {
namespace {

using test::RunCli;

std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(TERVIK_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Roff text as a reader sees it: font switches and quotes gone, "\-" a plain '-'.
std::string PlainRoff(std::string text) {
    text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
    text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
    return std::regex_replace(text, std::regex("\""), "");
}

std::set<std::string> FirstWords(const std::string& text, const std::regex& line) {
    std::set<std::string> words;
    std::istringstream in(text);
    for (std::string s; std::getline(in, s);) {
        std::smatch m;
        if (std::regex_search(s, m, line)) words.insert(m[1]);
    }
    return words;
}

std::set<std::string> Options(const std::string& text) {
    std::set<std::string> options;
    const std::regex option(R"(--[a-z0-9][a-z0-9-]*)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it)
        options.insert(it->str());
    return options;
}

std::string Join(const std::set<std::string>& words) {
    std::string s;
    for (const auto& w : words)
        s += w + " ";
    return s;
}

TEST(CliManPage, SubcommandsAndOptionsMatchTheHelp) {
    const auto help = RunCli({"--help"});
    ASSERT_EQ(help.nExitCode, 0);
    // The help's subcommand lines are indented by two blanks, their notes by more.
    const std::string helpList = help.out.substr(0, help.out.find("Allgemeine Optionen"));
    const std::set<std::string> helpSubcommands =
        FirstWords(helpList.substr(helpList.find("Unterbefehle:")), std::regex("^  ([a-z]+)\\b"));
    ASSERT_GE(helpSubcommands.size(), 11u) << Join(helpSubcommands);

    const std::string manPage = PlainRoff(ReadSource("data/man/tervik-cli.1"));
    const std::string completion = ReadSource("data/completion/tervik-cli.bash");
    std::smatch list;
    ASSERT_TRUE(std::regex_search(completion, list, std::regex("subcommands=\"([^\"]*)\"")));
    std::set<std::string> completionSubcommands;
    std::istringstream words(list[1].str());
    for (std::string w; words >> w;)
        completionSubcommands.insert(w);

    struct Document {
        const char* pszName;
        std::set<std::string> subcommands;
        std::string text;
    };
    const Document documents[] = {
        {"man page", FirstWords(manPage, std::regex("^\\.SS ([a-z]+)\\b")), manPage},
        {"bash completion", completionSubcommands, completion},
    };
    const std::set<std::string> helpOptions = Options(help.out);
    for (const auto& doc : documents) {
        EXPECT_EQ(doc.subcommands, helpSubcommands) << doc.pszName << ": " << Join(doc.subcommands)
                                                    << "\n--help: " << Join(helpSubcommands);
        const std::set<std::string> documented = Options(doc.text);
        for (const auto& option : helpOptions)
            EXPECT_TRUE(documented.count(option)) << doc.pszName << " lacks " << option;
    }
}

#ifdef TERVIK_VIEWER_PATH
TEST(CliManPage, ViewerOptionsMatchItsHelp) {
    // A viewer without --help would open its window instead: it runs offscreen, with a
    // configuration folder of its own, and is ended after a short wait.
    test::CTempDir config;
    const char* pszOldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string oldConfig = pszOldConfig ? pszOldConfig : "";
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto viewer = test::StartProcess(TERVIK_VIEWER_PATH, {"--help"});
    const auto help = test::WaitProcess(viewer, std::chrono::seconds(5));
    if (pszOldConfig)
        ::setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    const std::string text = help.out + help.err;
    if (help.nExitCode != 0 || text.find("--print-pdf") == std::string::npos)
        GTEST_SKIP() << "this viewer has no --help yet";

    const std::string manPage = PlainRoff(ReadSource("data/man/tervik.1"));
    const std::set<std::string> documented = Options(manPage);
    for (const auto& option : Options(text))
        EXPECT_TRUE(documented.count(option)) << "tervik.1 lacks " << option;
}
#endif

} // namespace
} // namespace tervik
