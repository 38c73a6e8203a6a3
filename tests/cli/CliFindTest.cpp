#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tervik {
namespace {

using test::RunCli;

class CliFind : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    std::string m_ini = m_dir.Write("t.ini", "");
    std::string m_file = m_dir.Write("f.txt", "aaaa\nxaax\n\tab aa\n");
    test::ProcessResult Find(std::vector<std::string> args) {
        args.insert(args.begin(), "find");
        args.push_back("--ini");
        args.push_back(m_ini);
        return RunCli(args);
    }
};

TEST_F(CliFind, HitsInEveryDirectionAndMode) {
    struct Case {
        std::vector<std::string> args;
        const char* out;
    } cases[] = {
        // Overlapping hits, then columns after tab expansion (tab size 4).
        {{"aa", "FILE", "--all"}, "0 0 2\n0 1 2\n0 2 2\n1 1 2\n2 7 2\n"},
        {{"aa", "FILE"}, "0 0 2\n"},
        {{"aa", "FILE", "--line", "1", "--column", "2"}, "2 7 2\n"},
        {{"aa", "FILE", "--all", "--backward", "--line", "2", "--column", "7"},
         "2 7 2\n1 1 2\n0 2 2\n0 1 2\n0 0 2\n"},
        // Raw bytes in the dump, the tab not expanded.
        {{"%FLAGS(X)6161", "FILE", "--dump", "--all"}, "0 2\n1 2\n2 2\n6 2\n14 2\n"},
        {{"AB", "FILE"}, "2 4 2\n"},
        {{"%FLAGS(*)*b*", "FILE", "--all"}, "2 5 1\n"},
        // Each backward step lands before the hit it came from.
        {{"%FLAGS(*)*b*", "FILE", "--all", "--backward", "--line", "2", "--column", "7"},
         "2 5 1\n"},
    };
    for (auto& c : cases) {
        for (auto& a : c.args)
            if (a == "FILE") a = m_file;
        const auto r = Find(c.args);
        EXPECT_EQ(r.out, c.out) << c.args[0];
        EXPECT_EQ(r.nExitCode, 0) << r.err;
    }
}

TEST_F(CliFind, NothingFoundAndBadUsage) {
    auto r = Find({"%FLAGS(C)AB", m_file});
    EXPECT_EQ(r.nExitCode, 1);
    EXPECT_NE(r.err.find("Dateiende"), std::string::npos);
    r = Find({"zz", m_file, "--backward", "--line", "2"});
    EXPECT_EQ(r.nExitCode, 1);
    EXPECT_NE(r.err.find("Dateianfang"), std::string::npos);
    EXPECT_EQ(Find({"%FLAGS(*)**", m_file}).nExitCode, 1);
    EXPECT_EQ(Find({"aa"}).nExitCode, 2);
    EXPECT_EQ(Find({"aa", m_file, "--line", "x"}).nExitCode, 2);
    EXPECT_EQ(Find({"aa", m_dir.File("missing")}).nExitCode, 1);
}

} // namespace
} // namespace tervik
