#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tervik {
namespace {

using namespace std::chrono_literals;
using test::RunCli;
using test::StartCli;

// One write per call, as a logging program's flush.
void Append(const std::string& path, std::string_view bytes) {
#ifdef _WIN32
    // Shared as a logging program shares its file, so the follower may keep it open.
    HANDLE h = CreateFileW(test::U8Path(path).c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr));
    CloseHandle(h);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        ASSERT_GT(n, 0);
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    ::close(fd);
#endif
}

// Waits until the follower printed exactly `out`.
bool WaitForOutput(const test::RunningProcess& p, const std::string& out) {
    for (auto until = std::chrono::steady_clock::now() + 5s;
         std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(5ms))
        if (p.OutSoFar() == out) return true;
    return false;
}

// Waits until the follower has opened its file (`--timing` says so). Its idle time
// counts from there: a test that starts several processes (slow under Wine and on a
// loaded machine) must not let the first ones time out before the first piece comes.
bool WaitUntilFollowing(const test::RunningProcess& p) {
    for (auto until = std::chrono::steady_clock::now() + 30s;
         std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(5ms))
        if (p.ErrSoFar().find("ready-ms:") != std::string::npos) return true;
    return false;
}

// Log lines with LF and CR LF ends, tabs, empty and long lines, a stray CR, a
// cp1252 letter; the last line at times without its end.
std::string RandomLog(std::mt19937& rng, size_t nBytes) {
    static constexpr char kChars[] = "abcXYZ 019:;-\t\t\xE9";
    std::string log;
    while (log.size() < nBytes) {
        const auto nKind = rng() % 10;
        const size_t nLength = nKind == 0 ? 0 : nKind < 8 ? rng() % 30 : 30 + rng() % 70;
        for (size_t i = 0; i < nLength; ++i)
            log += rng() % 50 == 0 ? '\r' : kChars[rng() % (sizeof kChars - 1)];
        log += rng() % 2 ? "\r\n" : "\n";
    }
    if (rng() % 2) log += "tail\twithout end";
    return log;
}

std::string Utf16Le(std::string_view text) {
    std::string wide = "\xFF\xFE";
    for (char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

class CliFollow : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    std::string m_ini = m_dir.Write("t.ini", "");
    std::vector<std::string> WithIni(std::vector<std::string> args) {
        args.push_back("--ini");
        args.push_back(m_ini);
        return args;
    }
    test::RunningProcess Follow(const std::string& path, std::vector<std::string> extra) {
        std::vector<std::string> args = {"follow", path, "--interval", "20"};
        args.insert(args.end(), extra.begin(), extra.end());
        return StartCli(WithIni(args));
    }
    // What `text` prints of the final file is taken from a copy: under Wine the followed
    // file may stay locked for a moment after the follower has ended.
    std::string FinalCopy(const std::string& path, const std::string& bytes) {
        EXPECT_EQ(test::ReadWholeFile(path), bytes);
        return m_dir.Write(std::filesystem::path(path).filename().string() + ".final", bytes);
    }
    std::string Text(const std::string& path, std::vector<std::string> extra = {"--no-expand"}) {
        std::vector<std::string> args = {"text", path};
        args.insert(args.end(), extra.begin(), extra.end());
        const auto r = RunCli(WithIni(args));
        EXPECT_EQ(r.nExitCode, 0) << r.err;
        return r.out;
    }
};

// A writer appends pieces of any size (splitting lines, CR from LF, UTF-16 units)
// with pauses shorter and longer than the poll; the follower's output must equal the
// final file as `text` prints it: no line lost, doubled or split.
TEST_F(CliFollow, OutputEqualsTheFinalFileWhileAWriterAppendsPieces) {
    struct Case {
        const char* name;
        bool bUtf16;
        std::vector<std::string> options;
        size_t nBytes;
    } cases[] = {
        {"lines", false, {"--no-expand"}, 5000},
        {"records cut at 16 bytes, display text", false, {"--maxrec", "16", "--display"}, 3000},
        {"utf-16", true, {"--no-expand"}, 2000},
    };
    // The cases run at once, each with its own writer.
    const auto Run = [this](const Case& c, const std::string& path, unsigned nSeed) {
        SCOPED_TRACE(c.name);
        std::mt19937 rng(nSeed);
        std::string bytes = RandomLog(rng, c.nBytes);
        if (c.bUtf16) bytes = Utf16Le(bytes);
        // A fresh log is empty: the follower waits for it. (UTF-16 shows with its mark.)
        size_t nDone = c.bUtf16 ? 2 : 0;
        Append(path, bytes.substr(0, nDone));
        std::vector<std::string> options = c.options;
        for (const char* o : {"--from", "0", "--idle-exit", "1500"})
            options.push_back(o);
        auto follower = Follow(path, options);
        while (nDone < bytes.size()) {
            size_t n = std::min<size_t>(bytes.size() - nDone, 1 + rng() % (rng() % 8 ? 40 : 300));
            // Often a piece ends right behind a CR.
            const size_t nCr = bytes.find('\r', nDone);
            if (nCr != std::string::npos && nCr < nDone + n && rng() % 2) n = nCr + 1 - nDone;
            Append(path, std::string_view(bytes).substr(nDone, n));
            nDone += n;
            std::this_thread::sleep_for(rng() % 16 ? std::chrono::microseconds(rng() % 4000)
                                                   : std::chrono::microseconds(25000));
        }
        const auto r = test::WaitProcess(follower, 20s);
        EXPECT_EQ(r.nExitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, Text(FinalCopy(path, bytes), c.options));
    };
    std::vector<std::thread> writers;
    for (const Case& c : cases) {
        const auto nCase = static_cast<unsigned>(&c - cases);
        writers.emplace_back(Run, std::cref(c), m_dir.File("log" + std::to_string(nCase)),
                             12 + nCase);
    }
    for (auto& t : writers)
        t.join();
}

// Pieces that end inside a line end or a UTF-16 unit, after a record cut at the
// longest record size, inside a fixed-length record; each read between two pieces.
TEST_F(CliFollow, PiecesSplittingLineEndsAndCuts) {
    using namespace std::string_literals;
    const struct Case {
        std::vector<std::string> pieces;
        std::vector<std::string> options;
    } cases[] = {
        {{"ab\r", "\ncd\r", "\n"}, {}},
        {{"x\t", "y", "\r\n\r", "\n", "last"}, {}},
        // The CR behind a cut is no record of its own once its LF comes.
        {{"AAAAAAAAAAAAAAAA\r", "\nB\n"}, {"--maxrec", "16"}},
        {{"AAAA", "\n\n", "B"}, {"--maxrec", "4"}},
        {{"abc", "\r", "\n", "de"}, {"--maxrec", "3"}},
        {{"abcdef", "gh", "ij"}, {"--fixed", "4"}},
        {{"\xFF\xFE"
          "a\0\r"s,
          "\0\n"s, "\0b\0\r\0"s, "\n\0"s},
         {}},
        // Half a UTF-16 LF behind a record cut at the longest size: the cut is decided
        // again once the LF is whole.
        {{"\xFF\xFEx\0\n\0a\0\r\0\n"s, "\0b\0\n\0"s}, {"--maxrec", "4"}},
    };
    // The cases run at once, each with its own writer: its pieces follow as soon as its
    // follower has the file open, whatever the other followers are still doing.
    const auto Run = [this](const Case& c, const std::string& path) {
        std::vector<std::string> options = c.options;
        for (const char* o : {"--timing", "--from", "0", "--idle-exit", "1500", "--no-expand"})
            options.push_back(o);
        auto follower = Follow(path, options);
        ASSERT_TRUE(WaitUntilFollowing(follower)) << follower.ErrSoFar();
        for (size_t nStep = 1; nStep < c.pieces.size(); ++nStep) {
            std::this_thread::sleep_for(80ms);
            Append(path, c.pieces[nStep]);
        }
        const auto r = test::WaitProcess(follower, 20s);
        options = c.options;
        options.push_back("--no-expand");
        std::string bytes;
        for (const std::string& piece : c.pieces)
            bytes += piece;
        EXPECT_EQ(r.out, Text(FinalCopy(path, bytes), options)) << path;
    };
    std::vector<std::thread> writers;
    for (const Case& c : cases)
        writers.emplace_back(Run, std::cref(c),
                             m_dir.Write("p" + std::to_string(&c - cases), c.pieces[0]));
    for (auto& t : writers)
        t.join();
}

// Rotation: renamed away and written anew (at once, or empty first), or truncated in
// place. The old file's records come in full, then the new file's from record 0.
TEST_F(CliFollow, TruncatedOrReplacedFileStartsOverWithAMessage) {
    enum class Change { Rename, RenameEmptyFirst, Truncate };
    const struct Case {
        const char* name;
        Change change;
    } cases[] = {
        {"renamed", Change::Rename},
        {"renamed, new file empty at first", Change::RenameEmptyFirst},
        {"truncated", Change::Truncate},
    };
    const auto Run = [this](const Case& c, const std::string& path) {
        SCOPED_TRACE(c.name);
        Append(path, "old 1\nold 2\tx\r\n");
        // The unterminated last line is printed when the old file is left.
        Append(path, "old 3");
        auto follower = Follow(path, {"--from", "0", "--idle-exit", "1500", "--no-expand"});
        ASSERT_TRUE(WaitForOutput(follower, "old 1\nold 2\tx\n"));
        switch (c.change) {
        case Change::Rename:
            std::filesystem::rename(path, path + ".1");
            Append(path, "new 1\r\nnew 2");
            break;
        case Change::RenameEmptyFirst:
            std::filesystem::rename(path, path + ".1");
            Append(path, "");
            std::this_thread::sleep_for(100ms);
            Append(path, "new 1\r\nnew 2");
            break;
        case Change::Truncate:
            std::filesystem::resize_file(test::U8Path(path), 0);
            Append(path, "new 1\r\nnew 2");
            break;
        }
        const auto r = test::WaitProcess(follower, 20s);
        EXPECT_EQ(r.nExitCode, 0);
        EXPECT_EQ(r.out, "old 1\nold 2\tx\nold 3\nnew 1\nnew 2\n");
        EXPECT_NE(r.err.find(".log\" wurde gekürzt oder ersetzt; sie wird von vorn gelesen."),
                  std::string::npos)
            << r.err;
    };
    std::vector<std::thread> runs;
    for (const Case& c : cases)
        runs.emplace_back(Run, std::cref(c),
                          m_dir.File("rot" + std::to_string(&c - cases) + ".log"));
    for (auto& t : runs)
        t.join();
}

#ifndef _WIN32 // Ctrl+C reaches another process only through its console
TEST_F(CliFollow, CtrlCPrintsWhatWasReadAndEndsWith130) {
    const std::string path = m_dir.Write("int.log", "one\ntwo\r\nthr");
    auto follower = Follow(path, {"--from", "0"});
    ASSERT_TRUE(WaitForOutput(follower, "one\ntwo\n"));
    // Appended just before Ctrl+C and still without a line end: printed all the same.
    Append(path, "ee");
    ::kill(follower.nPid, SIGINT);
    const auto r = test::WaitProcess(follower, 2s);
    EXPECT_EQ(r.nExitCode, 130);
    EXPECT_EQ(r.out, "one\ntwo\nthree\n");
}
#endif

TEST_F(CliFollow, StartRecordAndUsage) {
    std::string lines;
    for (int i = 0; i < 15; ++i)
        lines += "l\t" + std::to_string(i) + (i % 2 ? "\n" : "\r\n");
    const std::string path = m_dir.Write("f.log", lines + "\x01last");
    // Static files: follow prints what `text` prints from the same record on.
    const struct {
        std::vector<std::string> follow, text;
    } cases[] = {
        {{}, {"--from", "6"}}, // the last 10 records
        {{"--from", "14", "--display"}, {"--from", "14", "--display"}},
        {{"--from", "0", "--no-expand", "--skip", "2"}, {"--no-expand", "--skip", "2"}},
        {{"--from", "99"}, {"--from", "99"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.follow;
        args.push_back("--idle-exit");
        args.push_back("50");
        auto follower = Follow(path, args);
        const auto r = test::WaitProcess(follower, 5s);
        EXPECT_EQ(r.nExitCode, 0) << r.err;
        EXPECT_EQ(r.out, Text(path, c.text)) << c.follow.size();
    }

    // A start record beyond the end waits for it.
    const std::string shortLog = m_dir.Write("s.log", "a\nb\n");
    auto follower = Follow(shortLog, {"--timing", "--from", "3", "--idle-exit", "1500"});
    ASSERT_TRUE(WaitUntilFollowing(follower));
    Append(shortLog, "c\nd\ne\n");
    EXPECT_EQ(test::WaitProcess(follower, 20s).out, "d\ne\n");

    // An empty file that never grows: nothing printed, a normal end.
    const auto empty = RunCli(WithIni({"follow", m_dir.Write("e.log", ""), "--idle-exit", "50"}));
    EXPECT_EQ(empty.nExitCode, 0);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(RunCli(WithIni({"follow", m_dir.File("missing.log")})).nExitCode, 1);
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"follow"}, {"follow", path, "--interval", "0"}, {"follow", path, "--bogus"}})
        EXPECT_EQ(RunCli(WithIni(bad)).nExitCode, 2);
}

} // namespace
} // namespace tervik
