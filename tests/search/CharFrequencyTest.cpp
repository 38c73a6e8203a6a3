#include "search/CharFrequency.h"

#include "../document/FakeDocumentHost.h"
#include "base/TempFolder.h"
#include "platform/SysFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <vector>

namespace tervik {
namespace {

using test::CDocFixture;

std::string Line(const std::string& csv, int v) {
    size_t nStart = 0;
    for (int i = 0; i < v; ++i)
        nStart = csv.find("\r\n", nStart) + 2;
    return csv.substr(nStart, csv.find("\r\n", nStart) - nStart);
}

class CharFrequencyTest : public CDocFixture {
protected:
    std::string CsvOf(std::string_view bytes) {
        EXPECT_TRUE(OpenBytes(bytes));
        ByteCounts counts = {};
        EXPECT_EQ(CountFileBytes(Doc(), counts), 0u);
        return CharFrequencyCsv(counts);
    }
};

TEST_F(CharFrequencyTest, CsvLinesNamesAndCounts) {
    // An empty file does not open as a document; its counts are all 0.
    const ByteCounts zero = {};
    const std::string empty = CharFrequencyCsv(zero);
    const std::string ab = CsvOf("AB");
    struct Case {
        const std::string& csv;
        int nValue;
        std::string want;
    } cases[] = {
        {empty, 0, "0;0x00;\"NUL\";0"},     {empty, 1, "1;0x01;\"SOH\";0"},
        {empty, 2, "2;0x02;\"STX\";0"},     {empty, 9, "9;0x09;\"HT\";0"},
        {empty, 15, "15;0x0f;\"SI\";0"},    {empty, 16, "16;0x10;\"\x10\";0"},
        {empty, 31, "31;0x1f;\"\x1f\";0"},  {empty, 34, "34;0x22;\"\"\"\";0"},
        {empty, 127, "127;0x7f;\"DEL\";0"}, {empty, 255, "255;0xff;\"\xff\";0"},
        {ab, 64, "64;0x40;\"@\";0"},        {ab, 65, "65;0x41;\"A\";1"},
        {ab, 66, "66;0x42;\"B\";1"},        {ab, 67, "67;0x43;\"C\";0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Line(c.csv, c.nValue), c.want) << c.nValue;
    // 256 lines, each ended by CR LF, none else.
    size_t nLines = 0;
    for (size_t i = 0; (i = empty.find("\r\n", i)) != std::string::npos; i += 2)
        ++nLines;
    EXPECT_EQ(nLines, 256u);
    EXPECT_EQ(empty.substr(empty.size() - 2), "\r\n");
}

TEST_F(CharFrequencyTest, CountsMatchAByteWiseCountOnRandomData) {
    std::mt19937 rng(15);
    for (size_t nSize : {size_t{1}, size_t{15}, size_t{17}, size_t{65537}, size_t{3} << 20}) {
        std::string bytes(nSize, '\0');
        // Skewed values, so runs of equal bytes occur.
        for (char& c : bytes)
            c = static_cast<char>(rng() % 7 == 0 ? rng() : rng() % 4);
        ByteCounts want = {};
        for (unsigned char c : bytes)
            ++want[c];
        ByteCounts got = {};
        CountBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), got);
        for (int v = 0; v < 256; ++v)
            ASSERT_EQ(got[v], want[v]) << nSize << " " << v;
        // The file count adds over its blocks the same, in one pass and in two
        // halves at once.
        ASSERT_TRUE(OpenBytes(bytes));
        for (int64_t nSplitFrom : {int64_t{-1}, int64_t{0}}) {
            ByteCounts file = {};
            ASSERT_EQ(CountFileBytes(Doc(), file, nSplitFrom), 0u);
            for (int v = 0; v < 256; ++v)
                ASSERT_EQ(file[v], want[v]) << nSize << " " << nSplitFrom << " " << v;
        }
    }
}

TEST_F(CharFrequencyTest, AFailedReadInEitherHalfIsReportedAndWritesNoCsv) {
    constexpr int64_t kSize = int64_t{3} << 20;
    const std::string bytes(static_cast<size_t>(kSize), 'x');
    ASSERT_TRUE(OpenBytes(bytes));
    const std::string out = (m_dir.Path() / "fail.csv").string();
    for (int64_t nFailAt : {int64_t{0}, kSize / 2}) {
        CSysFile::SetReadFailureHook(
            [nFailAt](int64_t nOffset) -> uint32_t { return nOffset >= nFailAt ? EIO : 0; });
        ByteCounts counts = {};
        EXPECT_EQ(CountFileBytes(Doc(), counts, 0), static_cast<uint32_t>(EIO)) << nFailAt;
        EXPECT_EQ(WriteCharFrequency(Doc(), out), static_cast<uint32_t>(EIO)) << nFailAt;
        CSysFile::SetReadFailureHook(nullptr);
        EXPECT_FALSE(std::filesystem::exists(out)) << nFailAt;
    }
}

TEST_F(CharFrequencyTest, FileNameHasFolderNameAndTimeStamp) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 3;
    t.tm_sec = 9;
    EXPECT_EQ(GeneratedFileName("/tmp/x/", "/var/log/app.log", t, ".csv", "u1"),
              "/tmp/x/Tervik_app.log_20260105_070309_u1.csv");
}

#ifndef _WIN32
// A generated CSV goes only into a file of its own: whatever was planted under the
// name (a link to another file, a pipe that would block the open) is left alone.
TEST_F(CharFrequencyTest, ANewCsvNeverOpensWhatIsAlreadyThere) {
    ASSERT_TRUE(OpenBytes("AB"));
    const std::string victim = m_dir.Write("victim.txt", "mine");
    const std::string link = m_dir.File("link.csv");
    const std::string fifo = m_dir.File("fifo.csv");
    std::filesystem::create_symlink(victim, link);
    std::filesystem::create_symlink(m_dir.File("missing.txt"), m_dir.File("dangling.csv"));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {link, fifo, m_dir.File("dangling.csv"), victim})
        EXPECT_EQ(WriteCharFrequency(Doc(), path, true), static_cast<uint32_t>(EEXIST)) << path;
    EXPECT_EQ(test::ReadWholeFile(victim), "mine");
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("missing.txt")));

    const std::string fresh = m_dir.File("fresh.csv");
    ASSERT_EQ(WriteCharFrequency(Doc(), fresh, true), 0u);
    EXPECT_EQ(std::filesystem::status(fresh).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}
#endif

TEST_F(CharFrequencyTest, WriteReplacesAnExistingFile) {
    ASSERT_TRUE(OpenBytes("AB"));
    const std::string out = m_dir.Write("out.csv", std::string(20000, 'x'));
    ASSERT_EQ(WriteCharFrequency(Doc(), out), 0u);
    ByteCounts counts = {};
    counts['A'] = counts['B'] = 1;
    EXPECT_EQ(test::ReadWholeFile(out), CharFrequencyCsv(counts));
}

} // namespace
} // namespace tervik
