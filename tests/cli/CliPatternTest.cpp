#include "support/RunProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace tervik {
namespace {

using test::RunCli;

TEST(CliPattern, PrintsTheDecodedPattern) {
    struct Case {
        std::string line;
        int nExit;
        std::string out;
    } cases[] = {
        {"%FLAGS(C)Abc", 0, "flags: 0x001\nlength: 3\nbytes: 41 62 63\nfixed-length: 3\n"},
        {"%FLAGS(UB)ab", 0, "flags: 0x040\nlength: 4\nbytes: 00 61 00 62\nfixed-length: 4\n"},
        {"%FLAGS(X)414", 0, "flags: 0x008\nlength: 2\nbytes: 04 14\nfixed-length: 2\n"},
        {"%FLAGS(*c)a*/", 0, "flags: 0x101\nlength: 3\nbytes: 61 2a 2f\nfixed-length: 2\n"},
        // The terminal's UTF-8 arrives as cp1252 before decoding.
        {"\xC3\xA4\xE2\x82\xAC", 0, "flags: 0x000\nlength: 2\nbytes: e4 80\nfixed-length: 2\n"},
        {"%FLAGS(U8)\xC3\xA4", 0, "flags: 0x080\nlength: 2\nbytes: c3 a4\nfixed-length: 2\n"},
        // A line starting like an option still is a pattern behind "--".
        {"-x", 0, "flags: 0x000\nlength: 2\nbytes: 2d 78\nfixed-length: 2\n"},
        // Nothing to search: the same lines, exit 1.
        {"%FLAGS(*)**", 1, "flags: 0x100\nlength: 2\nbytes: 2a 2a\nfixed-length: 0\n"},
        {"%FLAGS(C", 1, "flags: 0x000\nlength: 0\nbytes:\nfixed-length: 0\n"},
        {"", 1, "flags: 0x000\nlength: 0\nbytes:\nfixed-length: 0\n"},
    };
    for (const auto& c : cases) {
        const auto r = RunCli({"pattern", c.line});
        EXPECT_EQ(r.nExitCode, c.nExit) << c.line << r.err;
        EXPECT_EQ(r.out, c.out) << c.line;
    }
    const auto r = RunCli({"pattern", "--", "--x"});
    EXPECT_EQ(r.nExitCode, 0);
    EXPECT_EQ(r.out, "flags: 0x000\nlength: 3\nbytes: 2d 2d 78\nfixed-length: 3\n");
}

TEST(CliPattern, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"pattern"}, {"pattern", "a", "b"}, {"pattern", "--bogus", "a"}};
    for (const auto& args : cases) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.nExitCode, 2) << args.size();
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("--help"), std::string::npos);
    }
}

} // namespace
} // namespace tervik
