#include "support/RunProcess.h"

#include <gtest/gtest.h>
#include <regex>

namespace tervik {
namespace {

using test::RunCli;

TEST(CliUsage, HelpAndVersion) {
    const auto help = RunCli({"--help"});
    EXPECT_EQ(help.nExitCode, 0);
    EXPECT_NE(help.out.find("Unterbefehle"), std::string::npos);
    const auto version = RunCli({"--version"});
    EXPECT_EQ(version.nExitCode, 0);
    EXPECT_EQ(version.out.rfind("tervik-cli ", 0), 0u);
    EXPECT_EQ(version.out.back(), '\n');
}

TEST(CliUsage, BadUsageExitsWithTwoAndAGermanMessage) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"nonsense"},
    };
    for (const auto& args : cases) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.nExitCode, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("--help"), std::string::npos);
    }
}

// What was typed comes back as typed: arguments are UTF-8 and so is the message.
TEST(CliUsage, MistypedWordsAreEchoedAsTyped) {
    const struct {
        std::vector<std::string> args;
        const char* pszMessage;
    } cases[] = {
        {{"infö"}, "Unbekannter Unterbefehl: infö\n"},
        {{"info", "--größe", "x.log"}, "Unbekannte Option: --größe\n"},
        {{"text", "x.log", "--from", "zwölf"}, "Ungültiger Wert für --from: zwölf\n"},
    };
    for (const auto& c : cases) {
        const auto r = RunCli(c.args);
        EXPECT_EQ(r.nExitCode, 2) << c.pszMessage;
        EXPECT_EQ(r.err.rfind(c.pszMessage, 0), 0u) << r.err;
    }
}

// The German help names its arguments in German, as the manual page does.
TEST(CliUsage, HelpSpeaksGermanThroughout) {
    const std::string help = RunCli({"--help"}).out;
    for (const char* pszWord : {"FILE", "LINE", "SCRIPT", "PATH", "OUT", "LIB"})
        EXPECT_FALSE(std::regex_search(help, std::regex(std::string("\\b") + pszWord + "\\b")))
            << pszWord;
}

} // namespace
} // namespace tervik
