#include "search/CharFrequency.h"

#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tervik {
namespace {

using test::RunCli;

TEST(CliCharfreq, StdoutAndOutFileAreTheViewersCsv) {
    test::CTempDir dir;
    const std::string ini = dir.Write("t.ini", "");
    std::string bytes("a\"b\r\n\0\xff\xff\n", 9);
    bytes.append(200000, 'z');
    const std::string file = dir.Write("f.bin", bytes);
    ByteCounts counts = {};
    CountBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), counts);
    const std::string want = CharFrequencyCsv(counts);

    const auto r = RunCli({"charfreq", file, "--ini", ini, "--timing"});
    EXPECT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(r.out, want);
    EXPECT_NE(r.err.find("charfreq-ms: "), std::string::npos) << r.err;

    const std::string out = dir.File("out.csv");
    const auto w = RunCli({"charfreq", file, "--out", out, "--ini", ini});
    EXPECT_EQ(w.nExitCode, 0) << w.err;
    EXPECT_EQ(w.out, "");
    EXPECT_EQ(test::ReadWholeFile(out), want);

    // An output that cannot be created is a failure with the file's message.
    const auto bad = RunCli({"charfreq", file, "--out", dir.File("no/such/x.csv"), "--ini", ini});
    EXPECT_EQ(bad.nExitCode, 1);
    EXPECT_NE(bad.err.find("x.csv"), std::string::npos) << bad.err;
}

} // namespace
} // namespace tervik
