// The start-up measurement: the viewer as a process, ended by its first text on screen.

#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <regex>

namespace tervik::test {
namespace {

TEST(FirstPaint, ViewerReportsItsFirstTextAndEndsAtOnce) {
    CTempDir dir;
    const std::string ini = dir.Write("tervik.ini", "[Settings]\nFontName=Liberation Mono\n");
    qputenv("TERVIK_EXIT_AFTER_FIRST_PAINT", QByteArray("1"));
    const ProcessResult r =
        RunProcess(TERVIK_VIEWER_PATH, {"--ini", ini, dir.Write("a.log", "x\n")});
    qunsetenv("TERVIK_EXIT_AFTER_FIRST_PAINT");
    EXPECT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_TRUE(std::regex_search(r.err, std::regex("(^|\n)first-paint-ms: [0-9]+\n"))) << r.err;
}

} // namespace
} // namespace tervik::test
