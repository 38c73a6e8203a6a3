// The start-up measurement: the viewer as a process, ended by its first text on screen.

#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <QByteArray>
#include <QtGlobal>
#include <chrono>
#include <gtest/gtest.h>
#include <regex>

namespace tervik::test {
namespace {

TEST(FirstPaint, ViewerReportsItsFirstTextAndEndsAtOnce) {
    CTempDir dir;
    const std::string ini = dir.Write("tervik.ini", "[Settings]\nFontName=Liberation Mono\n");
    const std::string file = dir.Write("a.log", "erste Zeile\nzweite Zeile\n");
    qputenv("TERVIK_EXIT_AFTER_FIRST_PAINT", QByteArray("1"));
    RunningProcess viewer = StartProcess(TERVIK_VIEWER_PATH, {"--ini", ini, file});
    qunsetenv("TERVIK_EXIT_AFTER_FIRST_PAINT");
    const ProcessResult r = WaitProcess(viewer, std::chrono::minutes(2));
    EXPECT_EQ(r.nExitCode, 0) << r.err;
    // One line, whatever else Qt has to say on stderr.
    const std::regex line("(^|\n)first-paint-ms: [0-9]+\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(r.err, match, line)) << r.err;
    EXPECT_EQ(r.err.find("first-paint-ms", static_cast<size_t>(match.position(0)) + 16),
              std::string::npos);
}

} // namespace
} // namespace tervik::test
