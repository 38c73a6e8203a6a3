#include "support/RunProcess.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace tervik
