#include "FakeDocumentHost.h"

#include "document/BlockList.h"
#include "document/DigestWorker.h"
#include "document/Md5.h"
#include "document/TervikDoc.h"
#include "framework/MessageBoxTypes.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"

#include <cerrno>
#ifndef _WIN32
#include <fcntl.h>
#endif
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <vector>

namespace tervik {
namespace {

using test::CDocFixture;
using test::CFakeDocumentHost;
using test::SameBytes;
using test::Spans;
using test::SpansOf;
using test::TextOf;

constexpr size_t kBlock = 65536;

std::string Md5Of(std::initializer_list<std::string_view> parts) {
    CMd5 md5;
    for (std::string_view p : parts)
        md5.Update(p.data(), p.size());
    char hex[kMd5HexSize];
    md5.FinalHex(hex, sizeof hex);
    return hex;
}

// Lines of 20..79 letters ended by eol, cut to exactly nSize bytes.
std::string LinesOf(size_t nSize, const std::string& eol = "\n", unsigned nSeed = 1) {
    std::mt19937 rng(nSeed);
    std::string s;
    while (s.size() < nSize) {
        const size_t n = 20 + rng() % 60;
        for (size_t i = 0; i < n; ++i)
            s += static_cast<char>('a' + rng() % 26);
        s += eol;
    }
    s.resize(nSize);
    return s;
}

// Single-byte data cut by the line rules (no fixed length): a record ends before
// LF (a CR before it taken off) or when it has nMax bytes; nBase is the offset of data[0].
Spans CutLines(std::string_view data, uint64_t nBase, uint32_t nMax) {
    Spans out;
    uint64_t start = nBase;
    uint32_t n = 0;
    bool bEmptyOk = true;
    for (size_t i = 0; i < data.size(); ++i) {
        const bool bLf = data[i] == '\n';
        if (bLf || n == nMax) {
            uint32_t len = n;
            if (bLf && i > 0 && data[i - 1] == '\r' && len > 0) --len;
            if (len != 0 || bEmptyOk) out.emplace_back(start, len);
            n = 0;
            start = nBase + i + (bLf ? 1 : 0);
            bEmptyOk = bLf;
        }
        if (!bLf) ++n;
    }
    if (n != 0) out.emplace_back(start, n);
    return out;
}

Spans LastOf(const Spans& s, size_t n) {
    return s.size() <= n ? s : Spans(s.end() - static_cast<std::ptrdiff_t>(n), s.end());
}

std::string CannotOpenText(const std::string& path) {
    return "Die Datei \"" + path +
           "\" konnte nicht ge\xF6"
           "ffnet werden\n";
}

std::string ReadingText(const std::string& path) {
    return "Die Datei \"" + path + "\" wird eingelesen ...\n";
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartsWith(const std::string& s, const std::string& head) {
    return s.compare(0, head.size(), head) == 0;
}

// ============================================================ lifecycle

using TervikDocLifecycle = CDocFixture;

TEST_F(TervikDocLifecycle, ConstructionTakesTabSizeAndStartsClean) {
    struct Case {
        std::optional<std::string> setting;
        int nTabSize;
        std::optional<std::string> afterwards;
    };
    const Case cases[] = {
        {std::nullopt, 4, "4"},                               // the default is written back
        {"8", 8, "8"},          {"1", 1, "1"}, {"0", 4, "0"}, // unusable widths fall back to 4
        {"-3", 4, "-3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting.value_or("(missing)"));
        CFakeDocumentHost host(c.setting ? "[Settings]\nTabSize=" + *c.setting + "\n" : "");
        CTervikDoc doc(host);
        EXPECT_EQ(doc.m_nTabSize, c.nTabSize);
        EXPECT_EQ(host.Setting("TabSize"), c.afterwards);
        for (uint32_t n : doc.m_nGotoHistory)
            EXPECT_EQ(n, UINT32_MAX);
        EXPECT_EQ(doc.m_bUtf16 | doc.m_bUtf8 | doc.m_bOem | doc.m_bEbcdic, 0);
        EXPECT_EQ(doc.m_nLineEnd, 0u);
        EXPECT_EQ(doc.SelectedCount(), 0u);
        EXPECT_EQ(doc.m_nFixedSize, 0u);
        EXPECT_EQ(doc.m_bDeleteOnClose, 0);
        EXPECT_EQ(host.m_documents, std::vector<CTervikDoc*>{&doc});
    }
}

TEST_F(TervikDocLifecycle, WorkspaceAndDeleteOnCloseBookkeeping) {
    struct Case {
        bool bWorkspace;
        bool bDeleteOnClose;
        int nModifiedByConstruction;
        int nModifiedByDestruction;
        bool bFileRemains;
    };
    const Case cases[] = {
        {false, false, 0, 0, true},
        {true, false, 1, 1, true},
        {true, true, 1, 0, false},
        {false, true, 0, 0, false},
    };
    int nCase = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(nCase);
        const std::string path = Write("x\n", "file" + std::to_string(nCase++));
        CFakeDocumentHost host;
        host.m_bWorkspaceOpen = c.bWorkspace;
        auto doc = std::make_unique<CTervikDoc>(host);
        EXPECT_EQ(host.m_nWorkspaceModified, c.nModifiedByConstruction);
        ASSERT_TRUE(doc->OnOpenDocument(path));
        doc->m_bDeleteOnClose = c.bDeleteOnClose;
        doc->OnCloseDocument();
        const int nBefore = host.m_nWorkspaceModified;
        doc.reset();
        EXPECT_EQ(host.m_nWorkspaceModified - nBefore, c.nModifiedByDestruction);
        EXPECT_TRUE(host.m_documents.empty());
        EXPECT_EQ(std::filesystem::exists(path), c.bFileRemains);
    }
}

TEST_F(TervikDocLifecycle, CloseReleasesFileBufferAndTables) {
    ASSERT_TRUE(OpenBytes("one\ntwo\n"));
    ASSERT_TRUE(Doc().SetLineSelected(1, true, nullptr));
    ASSERT_EQ(m_host.m_openDocuments, std::vector<CTervikDoc*>{&Doc()});
    Doc().OnCloseDocument();
    EXPECT_FALSE(Doc().m_hFile.IsOpen());
    EXPECT_EQ(Doc().m_pBuffer, nullptr);
    EXPECT_EQ(Doc().m_pRecords, nullptr);
    uint32_t nRecord = 0;
    EXPECT_FALSE(Doc().NthSelected(0, nRecord));
    EXPECT_TRUE(m_host.m_openDocuments.empty());
    EXPECT_EQ(m_host.m_removedOpenDocuments, std::vector<CTervikDoc*>{&Doc()});
    // Late callers get nothing instead of a crash.
    char buf[16];
    EXPECT_EQ(Doc().ReadBytes(buf, sizeof buf, 0), 0u);
    EXPECT_EQ(Doc().GetRecordText(0, buf, sizeof buf, 0, true, false), 0u);
    EXPECT_EQ(Doc().GetRecordLength(0, true), 0u);
    uint64_t nOffset = 0;
    EXPECT_FALSE(Doc().GetRecordOffset(0, nOffset));
}

// ============================================================ opening

using TervikDocOpen = CDocFixture;

TEST_F(TervikDocOpen, OpensWithProgressTextsAndRestoresTheStatusBar) {
    const std::string path = Write("one\r\ntwo\r\n\r\nthree");
    ASSERT_TRUE(Open(path));
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 3}, {5, 3}, {10, 0}, {12, 5}}));
    EXPECT_EQ(Doc().m_nRecords, 4u);
    EXPECT_EQ(Doc().m_nLineEnd, 2u);
    EXPECT_EQ(Doc().m_nMaxLength, 5u);
    EXPECT_EQ(Doc().m_nFileSize, 17);
    EXPECT_EQ(Doc().m_nBytesDone.load(), 17);
    EXPECT_EQ(Doc().GetPathName(), path);
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_EQ(m_host.m_openDocuments, std::vector<CTervikDoc*>{&Doc()});
    ASSERT_FALSE(m_host.m_statusHistory.empty());
    EXPECT_EQ(m_host.m_statusHistory.front(), ReadingText(path));
    EXPECT_EQ(m_host.m_status, "Bereit");
    ASSERT_FALSE(m_host.m_positions.empty());
    EXPECT_EQ(m_host.m_positions.front(), (test::PositionCall{1, 0, 1}));
    EXPECT_GE(m_host.m_nStatusRepaints, 2);
    EXPECT_TRUE(m_host.m_progressBars.empty());
    EXPECT_EQ(m_host.m_nBusyDepth, 0);
    // The default of MaxRecSize is written back so that the key is present.
    EXPECT_EQ(m_host.Setting("MaxRecSize"), "32768");
}

TEST_F(TervikDocOpen, CutsRecordsByTheLineRules) {
    struct Case {
        const char* name;
        std::string data;
        const char* maxRecSize; // nullptr = default
        uint32_t nFixed;
        Spans spans;
        uint32_t nLineEnd;
        uint32_t nMaxLength;
    };
    std::string fixedData;
    for (int i = 0; i < 40; ++i)
        fixedData += "line\n";
    const Case cases[] = {
        {"empty line", "a\n\nb", nullptr, 0, {{0, 1}, {2, 0}, {3, 1}}, 1, 1},
        {"two empty CR LF lines", "\r\n\r\n", nullptr, 0, {{0, 0}, {2, 0}}, 2, 0},
        {"final LF adds nothing", "abc\n", nullptr, 0, {{0, 3}}, 1, 3},
        {"leading LF", "\nabc", nullptr, 0, {{0, 0}, {1, 3}}, 1, 3},
        {"no line end at all", "abc", nullptr, 0, {{0, 3}}, 0, 3},
        {"first line end decides LF", "a\nb\r\nc", nullptr, 0, {{0, 1}, {2, 1}, {5, 1}}, 1, 1},
        {"first line end decides CR LF", "a\r\nb\nc", nullptr, 0, {{0, 1}, {3, 1}, {5, 1}}, 2, 1},
        {"lone CR is data", "a\rb\n", nullptr, 0, {{0, 3}}, 1, 3},
        {"max size then LF", "abcd\nxy", "4", 0, {{0, 4}, {5, 2}}, 1, 4},
        {"max size then CR LF", "abcd\r\nxy", "4", 0, {{0, 4}, {6, 2}}, 2, 4},
        {"long line split, no byte lost", "abcdefghij\n", "4", 0, {{0, 4}, {4, 4}, {8, 2}}, 1, 4},
        {"split ending at LF", "abcdefgh\n", "4", 0, {{0, 4}, {4, 4}}, 1, 4},
        {"fixed 80 on 200 bytes", fixedData, nullptr, 80, {{0, 80}, {80, 80}, {160, 40}}, 0, 80},
        {"fixed length keeps empty-looking data", "\n\n\n\n", nullptr, 2, {{0, 2}, {2, 2}}, 0, 2},
        {"fixed length above the max size", "abcdefgh", "3", 5, {{0, 3}, {3, 3}, {6, 2}}, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.maxRecSize) m_host.SetSetting("MaxRecSize", c.maxRecSize);
        m_host.m_options.m_nFixRecSize = c.nFixed;
        ASSERT_TRUE(Open(Write(c.data)));
        EXPECT_EQ(SpansOf(Doc()), c.spans);
        EXPECT_EQ(Doc().m_nRecords, c.spans.size());
        EXPECT_EQ(Doc().m_nLineEnd, c.nLineEnd);
        EXPECT_EQ(Doc().m_nMaxLength, c.nMaxLength);
        EXPECT_EQ(Doc().m_nFixedSize, c.nFixed);
        m_host.SetSetting("MaxRecSize", "32768");
    }
}

TEST_F(TervikDocOpen, NoTabFlagMarksRecordsWithoutTab) {
    ASSERT_TRUE(OpenBytes("a\tb\nc\nd\te\nf\ng"));
    const std::vector<bool> noTab = {false, true, false, true, false}; // "g" is last
    ASSERT_EQ(Doc().m_nRecords, noTab.size());
    for (uint32_t i = 0; i < noTab.size(); ++i)
        EXPECT_EQ((Doc().Record(i)->m_nFlags & RF_NO_TAB) != 0, noTab[i]) << i;
}

TEST_F(TervikDocOpen, BinaryDataWithoutLineEndsIsCutAtMaxRecSize) {
    std::string data(2 * 32768 + 1000, '\0');
    for (size_t i = 0; i < data.size(); ++i) {
        const auto b = static_cast<unsigned char>(i * 37 % 251);
        data[i] = static_cast<char>(b == 0x0A || b == 0x09 ? 0 : b);
    }
    ASSERT_TRUE(OpenBytes(data));
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 32768}, {32768, 32768}, {65536, 1000}}));
    EXPECT_EQ(Doc().m_nLineEnd, 0u);
    EXPECT_EQ(Doc().m_nMaxLength, 32768u);
    EXPECT_NE(Doc().Record(0)->m_nFlags & RF_NO_TAB, 0u);
    EXPECT_NE(Doc().Record(1)->m_nFlags & RF_NO_TAB, 0u);
    EXPECT_EQ(Doc().Record(2)->m_nFlags & RF_NO_TAB, 0u);
    EXPECT_TRUE(SameBytes(TextOf(Doc(), 1), data.substr(32768, 32768)));
    EXPECT_TRUE(SameBytes(TextOf(Doc(), 2), data.substr(65536)));
}

TEST_F(TervikDocOpen, MaxRecSizeSettingAndItsFallback) {
    struct Case {
        std::optional<std::string> setting;
        uint32_t nCut;
        std::string afterwards;
    };
    const Case cases[] = {
        {std::nullopt, 32768, "32768"},
        {"1000", 1000, "1000"},
        {"0", 32768, "0"}, // zero would never end a record
        {"-5", 32768, "-5"},
    };
    const std::string path = Write(std::string(40000, 'x'));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting.value_or("(missing)"));
        CFakeDocumentHost host(c.setting ? "[Settings]\nMaxRecSize=" + *c.setting + "\n" : "");
        CTervikDoc doc(host);
        ASSERT_TRUE(doc.OnOpenDocument(path));
        EXPECT_EQ(doc.m_nMaxRecSize, c.nCut);
        EXPECT_EQ(doc.m_nRecords, (40000 + c.nCut - 1) / c.nCut);
        EXPECT_EQ(doc.Record(0)->m_nLength, c.nCut);
        EXPECT_EQ(host.Setting("MaxRecSize"), c.afterwards);
    }
}

TEST_F(TervikDocOpen, FixedLengthShowsTabsAsOneColumn) {
    m_host.SetSetting("TabSize", "8");
    const std::string path = Write("a\tb\tcd\tefghi");
    ASSERT_TRUE(Open(path));
    EXPECT_EQ(Doc().m_nTabSize, 8);
    EXPECT_EQ(Doc().GetRecordLength(0, true), 29u);

    m_host.m_options.m_nFixRecSize = 5;
    ASSERT_TRUE(Open(path));
    EXPECT_EQ(Doc().m_nTabSize, 1);
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 5}, {5, 5}, {10, 2}}));
    EXPECT_EQ(TextOf(Doc(), 0, true), "a\tb\tc");
    EXPECT_EQ(Doc().GetRecordLength(0, true), 5u);
    EXPECT_EQ(Doc().GetRecordLength(1, true), 5u);
}

TEST_F(TervikDocOpen, ProgressBarOnlyForLargeFilesAndWideStatusBars) {
    const std::string small = Write(LinesOf(999999), "small.txt");
    const std::string large = Write(LinesOf(1000000), "large.txt");
    const auto nLeft = static_cast<int>(ReadingText(large).size() * 5 + 45);
    struct Case {
        const char* name;
        const std::string& path;
        std::optional<PixelRect> pane;
        bool bBar;
    };
    const Case cases[] = {
        {"below a million bytes", small, PixelRect{0, 2, 3000, 22}, false},
        {"a million bytes", large, PixelRect{0, 2, 3000, 22}, true},
        {"no status bar", large, std::nullopt, false},
        {"149 pixels wide", large, PixelRect{0, 2, nLeft + 50 + 149, 22}, false},
        {"150 pixels wide", large, PixelRect{0, 2, nLeft + 50 + 150, 22}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFakeDocumentHost host;
        host.m_pane = c.pane;
        CTervikDoc doc(host);
        ASSERT_TRUE(doc.OnOpenDocument(c.path));
        if (!c.bBar) {
            EXPECT_TRUE(host.m_progressBars.empty());
            EXPECT_EQ(host.m_nProgressBarsRemoved, 0);
            continue;
        }
        ASSERT_EQ(host.m_progressBars.size(), 1u);
        EXPECT_EQ(host.m_progressBars[0], (PixelRect{nLeft, 3, c.pane->m_nRight - 50, 21}));
        EXPECT_EQ(host.m_progressRanges, std::vector<int>{1000});
        EXPECT_EQ(host.m_nProgressBarsRemoved, 1);
        EXPECT_EQ(host.m_status, "Bereit");
    }
}

TEST_F(TervikDocOpen, ProgressFollowsTheReadingWhileWaiting) {
    m_host.m_pane = PixelRect{0, 0, 4000, 20};
    m_host.m_nWaitMs = 1; // many short waits instead of one-second ones
    ASSERT_TRUE(OpenBytes(LinesOf(3000000)));
    uint32_t nLast = 0;
    for (const test::PositionCall& p : m_host.m_positions) {
        EXPECT_EQ(p.nLine, 1u);
        EXPECT_EQ(p.nColumn, 1u);
        EXPECT_GE(p.nTotal, nLast);
        EXPECT_LE(p.nTotal, Doc().m_nRecords);
        nLast = p.nTotal;
    }
    int nPos = 0;
    for (int n : m_host.m_progress) {
        EXPECT_GE(n, nPos);
        EXPECT_LE(n, 1000);
        nPos = n;
    }
}

// ============================================================ failures and messages

using TervikDocMessages = CDocFixture;

// The document refused the file and left no trace in the status bar or the lists.
void ExpectRefused(const CFakeDocumentHost& host) {
    EXPECT_EQ(host.m_status, "Bereit");
    ASSERT_FALSE(host.m_statusHistory.empty());
    EXPECT_EQ(host.m_statusHistory.back(), "Bereit");
    EXPECT_TRUE(host.m_openDocuments.empty());
    EXPECT_EQ(host.m_nBusyDepth, 0);
}

TEST_F(TervikDocMessages, EmptyFileOpensWithoutRecordsAndSaysSo) {
    const std::string path = Write("");
    ASSERT_TRUE(Open(path));
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_EQ(Doc().m_nRecords, 0u);
    EXPECT_EQ(Doc().m_nFileSize, 0);
    EXPECT_EQ(m_host.m_status, "Die Datei ist leer.");
    EXPECT_EQ(m_host.m_openDocuments.size(), 1u);
    EXPECT_EQ(m_host.m_nBusyDepth, 0);
    EXPECT_STREQ(Doc().GetDigest(), Md5Of({}).c_str());
    // Its first lines take the note away again.
    std::ofstream(path, std::ios::binary | std::ios::app) << "a\nb\n";
    ASSERT_TRUE(Doc().Extend());
    EXPECT_EQ(Doc().m_nRecords, 2u);
    EXPECT_EQ(m_host.m_status, "Bereit");
}

TEST_F(TervikDocMessages, MissingFileNamesTheCause) {
    const std::string path = m_dir.File("nowhere.txt");
    EXPECT_FALSE(Open(path));
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    const std::string& text = m_host.m_messages[0].text;
    EXPECT_TRUE(StartsWith(text, CannotOpenText(path) + "Ursache: ")) << text;
    EXPECT_TRUE(EndsWith(text, " (Code=2)")) << text;
    EXPECT_EQ(m_host.m_messages[0].nType & MB_TYPEMASK, unsigned{MB_OK});
    ExpectRefused(m_host);
}

TEST_F(TervikDocMessages, FolderIsRefused) {
    const std::string path = m_dir.Path().string();
    EXPECT_FALSE(Open(path));
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    const std::string& text = m_host.m_messages[0].text;
    EXPECT_TRUE(StartsWith(text, CannotOpenText(path) + "Ursache: ")) << text;
    ExpectRefused(m_host);
}

#ifndef _WIN32 // POSIX file modes, pipes and sparse files
TEST_F(TervikDocMessages, UnreadableFileIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
    const std::string path = Write("secret\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    EXPECT_FALSE(Open(path));
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    const std::string& text = m_host.m_messages[0].text;
    EXPECT_TRUE(StartsWith(text, CannotOpenText(path) + "Ursache: ")) << text;
    EXPECT_TRUE(EndsWith(text, "(Code=" + std::to_string(EACCES) + ")")) << text;
    ExpectRefused(m_host);
}
#endif

#ifndef _WIN32 // POSIX file modes, pipes and sparse files
TEST_F(TervikDocMessages, PipesAndDevicesAreRefusedWithTheirCause) {
    // Neither can be read again at an offset; /dev/zero would never end.
    const std::string pipe = m_dir.File("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const auto& [path, nCode] :
         {std::pair<std::string, int>{pipe, ESPIPE}, {"/dev/zero", ENODEV}}) {
        m_host.m_messages.clear();
        EXPECT_FALSE(Open(path));
        ASSERT_EQ(m_host.m_messages.size(), 1u);
        const std::string& text = m_host.m_messages[0].text;
        EXPECT_TRUE(StartsWith(text, CannotOpenText(path) + "Ursache: ")) << text;
        EXPECT_TRUE(EndsWith(text, "(Code=" + std::to_string(nCode) + ")")) << text;
        ExpectRefused(m_host);
    }
}
#endif

// A read that fails behind the first block ends the open with the read message;
// one in the first block as well.
TEST_F(TervikDocMessages, ReadErrorWhileCuttingNamesTheCause) {
    const std::string path = Write(LinesOf(5 * kBlock));
    for (const int64_t nFailAt : {int64_t{0}, int64_t{3 * kBlock}}) {
        m_host.m_messages.clear();
        CSysFile::SetReadFailureHook(
            [&](int64_t nOffset) -> uint32_t { return nOffset >= nFailAt ? EIO : 0; });
        EXPECT_FALSE(Open(path)) << nFailAt;
        CSysFile::SetReadFailureHook(nullptr);
        ASSERT_EQ(m_host.m_messages.size(), 1u);
        EXPECT_EQ(m_host.m_messages[0].text,
                  "Die Datei \"" + path + "\" konnte nicht gelesen werden\n" + CauseText(EIO));
        ExpectRefused(m_host);
    }
    EXPECT_TRUE(Open(path));
}

TEST_F(TervikDocMessages, PathsUpTo511CharactersOpen) {
    // Folders of 200 characters until the rest fits into one file name.
    std::string folder = m_dir.Path().string();
    while (511 - folder.size() > 250) {
        folder += "/" + std::string(200, 'd');
        ASSERT_TRUE(std::filesystem::create_directory(folder));
    }
    const std::string p511 = folder + "/" + std::string(511 - folder.size() - 1, 'f');
    const std::string p512 = p511 + "g";
    ASSERT_EQ(p511.size(), 511u);
    std::ofstream(p511) << "x\n";
    std::ofstream(p512) << "x\n";

    ASSERT_TRUE(Open(p511));
    EXPECT_EQ(Doc().GetPathName(), p511);
    // The status bar shows at most 255 characters of the path.
    EXPECT_EQ(m_host.m_statusHistory.front(), ReadingText(p511.substr(0, 255)));
    EXPECT_TRUE(m_host.m_messages.empty());

    CFakeDocumentHost host;
    CTervikDoc doc(host);
    EXPECT_FALSE(doc.OnOpenDocument(p512));
    EXPECT_EQ(host.m_messages.size(), 1u);
    ExpectRefused(host);
}

// Replaces the open of one path by the outcome a test wants; records each attempt.
class CSharingHook {
public:
    enum class Fail { UnlessShareWrite, Always };
    CSharingHook(const std::string& path, Fail fail, uint32_t nCode) {
        CSysFile::SetOpenFailureHook([this, path, fail, nCode](const std::string& p, bool bShare) {
            if (p != path) return uint32_t{0};
            m_attempts.push_back(bShare);
            return fail == Fail::Always || !bShare ? nCode : uint32_t{0};
        });
    }
    ~CSharingHook() { CSysFile::SetOpenFailureHook({}); }
    CSharingHook(const CSharingHook&) = delete;
    CSharingHook& operator=(const CSharingHook&) = delete;
    std::vector<bool> m_attempts;
};

TEST_F(TervikDocMessages, SharingViolationAsksToAllowWriters) {
    using Fail = CSharingHook::Fail;
    const std::string question = "\nSoll die Datei mit Schreiberlaubnis ge\xF6"
                                 "ffnet werden ?";
    const std::string busyCode = "(Code=" + std::to_string(kErrSharingViolation) + ")";
    struct Case {
        const char* name;
        bool bShareWrite;
        Fail fail;
        uint32_t nCode;
        std::vector<int> answers;
        bool bOpens;
        std::vector<bool> attempts;
        bool bQuestion;   // first box is the question
        size_t nMessages; // boxes in all
    };
    const Case cases[] = {
        {"Yes retries with writers allowed",
         false,
         Fail::UnlessShareWrite,
         kErrSharingViolation,
         {IDYES},
         true,
         {false, true},
         true,
         1},
        {"No gives up",
         false,
         Fail::UnlessShareWrite,
         kErrSharingViolation,
         {IDNO},
         false,
         {false},
         true,
         1},
        {"a failed retry is reported plainly",
         false,
         Fail::Always,
         kErrSharingViolation,
         {IDYES},
         false,
         {false, true},
         true,
         2},
        {"READWRITE asks nothing",
         true,
         Fail::UnlessShareWrite,
         kErrSharingViolation,
         {},
         true,
         {true},
         false,
         0},
        {"READWRITE refused is reported plainly",
         true,
         Fail::Always,
         kErrSharingViolation,
         {},
         false,
         {true},
         false,
         1},
        {"other errors ask nothing", false, Fail::Always, EACCES, {}, false, {false}, false, 1},
    };
    int nCase = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write("shared\n", "shared" + std::to_string(nCase++));
        CSharingHook hook(path, c.fail, c.nCode);
        CFakeDocumentHost host;
        host.m_options.m_bShareWrite = c.bShareWrite;
        for (int a : c.answers)
            host.AnswerNext(a);
        CTervikDoc doc(host);
        EXPECT_EQ(doc.OnOpenDocument(path), c.bOpens);
        EXPECT_EQ(hook.m_attempts, c.attempts);
        ASSERT_EQ(host.m_messages.size(), c.nMessages);
        const std::string code = "(Code=" + std::to_string(c.nCode) + ")";
        for (size_t i = 0; i < host.m_messages.size(); ++i) {
            const test::ShownMessage& m = host.m_messages[i];
            EXPECT_TRUE(StartsWith(m.text, CannotOpenText(path) + "Ursache: ")) << m.text;
            if (i == 0 && c.bQuestion) {
                EXPECT_TRUE(EndsWith(m.text, busyCode + question)) << m.text;
                EXPECT_EQ(m.nType, unsigned{MB_YESNO | MB_ICONQUESTION});
            } else {
                EXPECT_TRUE(EndsWith(m.text, code)) << m.text;
                EXPECT_EQ(m.nType & MB_TYPEMASK, unsigned{MB_OK});
            }
        }
        if (c.bOpens) {
            EXPECT_EQ(doc.m_nRecords, 1u);
            EXPECT_EQ(host.m_openDocuments, std::vector<CTervikDoc*>{&doc});
        } else {
            ExpectRefused(host);
        }
    }
}

#ifdef _WIN32
// The same question, reached through a real writer that holds the file open.
TEST_F(TervikDocMessages, WriterWithoutSharingMakesTheRealSharingViolation) {
    const std::string question = "\nSoll die Datei mit Schreiberlaubnis ge\xF6"
                                 "ffnet werden ?";
    struct Case {
        const char* name;
        DWORD nWriterShare; // what the writer lets others do
        bool bOpens;        // after "Yes"
        size_t nMessages;
    } cases[] = {
        {"a writer sharing reads: Yes opens with writers allowed", FILE_SHARE_READ, true, 1},
        {"a writer sharing nothing: the retry fails too", 0, false, 2},
    };
    int nCase = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write("shared\n", "held" + std::to_string(nCase++));
        HANDLE hWriter = CreateFileW(test::U8Path(path).c_str(), GENERIC_WRITE, c.nWriterShare,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(hWriter, INVALID_HANDLE_VALUE);
        CFakeDocumentHost host;
        host.m_options.m_bShareWrite = false;
        host.AnswerNext(IDYES);
        CTervikDoc doc(host);
        EXPECT_EQ(doc.OnOpenDocument(path), c.bOpens);
        ASSERT_EQ(host.m_messages.size(), c.nMessages);
        EXPECT_TRUE(EndsWith(host.m_messages[0].text, "(Code=32)" + question))
            << host.m_messages[0].text;
        if (c.bOpens) {
            EXPECT_EQ(doc.m_nRecords, 1u);
        }
        doc.OnCloseDocument();
        CloseHandle(hWriter);
    }
}
#endif

// ============================================================ byte-order marks

using TervikDocBom = CDocFixture;

TEST_F(TervikDocBom, OnlyAMarkSwitchesADisplayOn) {
    struct Case {
        const char* name;
        std::string data;
        int bLe, bBe, bUtf8Mark, bUtf16, bUtf8;
    };
    const Case cases[] = {
        {"UTF-16 LE",
         std::string("\xFF\xFE"
                     "A\0",
                     4),
         1, 0, 0, 1, 0},
        {"UTF-16 BE", std::string("\xFE\xFF\0A", 4), 0, 1, 0, 1, 0},
        {"UTF-8",
         "\xEF\xBB\xBF"
         "abc",
         0, 0, 1, 0, 1},
        {"LE mark alone", "\xFF\xFE", 1, 0, 0, 1, 0},
        {"BE mark alone", "\xFE\xFF", 0, 1, 0, 1, 0},
        {"UTF-8 mark alone", "\xEF\xBB\xBF", 0, 0, 1, 0, 1},
        {"half a UTF-8 mark", "\xEF\xBB", 0, 0, 0, 0, 0},
        {"one byte", "\xFF", 0, 0, 0, 0, 0},
        {"UTF-16 without mark is not guessed", std::string("\0A\0B\0\n", 6), 0, 0, 0, 0, 0},
        {"plain text", "abc\n", 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(OpenBytes(c.data));
        EXPECT_EQ(Doc().m_bBomUtf16Le, c.bLe);
        EXPECT_EQ(Doc().m_bBomUtf16Be, c.bBe);
        EXPECT_EQ(Doc().m_bBomUtf8, c.bUtf8Mark);
        EXPECT_EQ(Doc().m_bUtf16, c.bUtf16);
        EXPECT_EQ(Doc().m_bUtf8, c.bUtf8);
        EXPECT_EQ(Doc().m_bOem | Doc().m_bEbcdic, 0);
    }
}

// ============================================================ record limits

using TervikDocLimit = CDocFixture;

TEST_F(TervikDocLimit, FromTheStartKeepsTheFirstRecordsWhole) {
    const std::string data = LinesOf(100000, "\r\n");
    const Spans all = CutLines(data, 0, 32768);
    ASSERT_GT(all.size(), 101u);
    struct Case {
        uint32_t nLimit;
        size_t nExpected;
    };
    for (const Case c :
         {Case{100, 100}, Case{1, 1}, Case{static_cast<uint32_t>(all.size()), all.size()},
          Case{100000, all.size()}}) {
        SCOPED_TRACE(c.nLimit);
        m_host.m_options.m_nRecordLimit = c.nLimit;
        ASSERT_TRUE(OpenBytes(data));
        EXPECT_EQ(SpansOf(Doc()),
                  Spans(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(c.nExpected)));
        const auto [nOff, nLen] = all[c.nExpected - 1];
        EXPECT_EQ(TextOf(Doc(), static_cast<uint32_t>(c.nExpected - 1)), data.substr(nOff, nLen));
        EXPECT_EQ(Doc().m_nLineEnd, 2u);
        EXPECT_TRUE(m_host.m_messages.empty());
    }
}

// The window from the end is W = (L + 1) * (S + 2) bytes; reading jumps to size - W
// when 2 * W < size. The records kept are the last L of the cut from there on, and
// the digest covers the first block and the bytes from the jump target to the end.
TEST_F(TervikDocLimit, FromTheEndKeepsTheLastRecords) {
    std::string twelve;
    for (int i = 0; i < 12; ++i)
        twelve += "abcde\n";
    std::string binary(200000, '\0');
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>('A' + i % 23);
    struct Case {
        const char* name;
        std::string data;
        uint32_t nMax;
        uint32_t nLimit;
        std::optional<Spans> spans; // by hand where small
    };
    const Case cases[] = {
        {"2W equal to the size: no jump", twelve, 10, 2, Spans{{60, 5}, {66, 5}}},
        {"2W one below the size: jump", twelve + "x", 10, 2, Spans{{66, 5}, {72, 1}}},
        {"short file read whole", LinesOf(50000), 32768, 100, std::nullopt},
        {"multi-block file with a jump", LinesOf(300000, "\n", 7), 100, 10, std::nullopt},
        {"CR LF lines with a jump", LinesOf(250001, "\r\n", 9), 90, 25, std::nullopt},
        // Without line ends the pieces count from the jump target, not from 0.
        {"one long line", binary, 1000, 3, Spans{{197992, 1000}, {198992, 1000}, {199992, 8}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_host.SetSetting("MaxRecSize", std::to_string(c.nMax));
        m_host.m_options.m_nRecordLimit = c.nLimit;
        m_host.m_options.m_bLimitFromEnd = true;
        ASSERT_TRUE(OpenBytes(c.data));
        const uint64_t nSize = c.data.size();
        const uint64_t nWindow = (c.nLimit + uint64_t{1}) * (c.nMax + 2);
        const uint64_t nJump = 2 * nWindow < nSize ? nSize - nWindow : 0;
        const std::string_view all(c.data);
        const Spans expected =
            c.spans ? *c.spans : LastOf(CutLines(all.substr(nJump), nJump, c.nMax), c.nLimit);
        EXPECT_EQ(SpansOf(Doc()), expected);
        EXPECT_EQ(Doc().m_nRecords, expected.size());
        const std::string digest =
            nJump == 0 ? Md5Of({all}) : Md5Of({all.substr(0, kBlock), all.substr(nJump)});
        EXPECT_EQ(std::string(Doc().GetDigest()), digest);
        EXPECT_TRUE(m_host.m_messages.empty());
    }
}

TEST_F(TervikDocLimit, FromTheEndLongestLengthCountsEveryRecordSeen) {
    m_host.m_options.m_nRecordLimit = 2;
    m_host.m_options.m_bLimitFromEnd = true;
    ASSERT_TRUE(OpenBytes("aaaaaaaaaa\nb\nc\n"));
    EXPECT_EQ(SpansOf(Doc()), (Spans{{11, 1}, {13, 1}}));
    EXPECT_EQ(Doc().m_nMaxLength, 10u);
}

// UTF-16 records of units; a line ends at U+000A and drops a U+000D before it.
Spans CutUnits(const std::u16string& u) {
    Spans out;
    size_t start = 0;
    for (size_t j = 0; j < u.size(); ++j) {
        if (u[j] != u'\n') continue;
        const size_t end = j > start && u[j - 1] == u'\r' ? j - 1 : j;
        out.emplace_back(2 * start, static_cast<uint32_t>(2 * (end - start)));
        start = j + 1;
    }
    if (start < u.size())
        out.emplace_back(2 * start, static_cast<uint32_t>(2 * (u.size() - start)));
    return out;
}

// An odd jump target puts the two bytes of code units into different blocks: the
// LF of a line end sits in the last byte pair across the second block's edge.
TEST_F(TervikDocLimit, FromTheEndInUtf16WithAnOddWindowStart) {
    constexpr uint32_t kMax = 4999, kLimit = 20;
    constexpr size_t kSize = 300000;
    constexpr uint64_t kWindow = (kLimit + 1) * (kMax + 2); // 105,021: odd
    constexpr uint64_t kJump = kSize - kWindow;
    static_assert(2 * kWindow < kSize && kJump % 2 == 1);
    // The byte pair of this unit straddles the edge at kJump + 65536.
    constexpr size_t kStraddle = (kJump + kBlock - 1) / 2;
    std::u16string u(kSize / 2, u'x');
    u[0] = 0xFEFF;
    size_t pos = 1;
    while (pos < u.size()) {
        size_t lf = pos + 1991;
        if (kStraddle > pos + 2 && kStraddle <= lf) lf = kStraddle;
        if (lf >= u.size()) break;
        for (size_t i = pos; i + 1 < lf; ++i)
            u[i] = static_cast<char16_t>(i % 5 == 0 ? 0x4E0A : 'a' + i % 26); // 0A bytes inside
        u[lf - 1] = u'\r';
        u[lf] = u'\n';
        pos = lf + 1;
    }
    u[u.size() - 2] = u'\r';
    u[u.size() - 1] = u'\n';
    ASSERT_EQ(u[kStraddle], u'\n');
    const Spans expected = LastOf(CutUnits(u), kLimit);
    ASSERT_LT(expected.front().first, 2 * kStraddle);

    for (const bool bBigEndian : {false, true}) {
        SCOPED_TRACE(bBigEndian ? "big endian" : "little endian");
        m_host.SetSetting("MaxRecSize", std::to_string(kMax));
        m_host.m_options.m_nRecordLimit = kLimit;
        m_host.m_options.m_bLimitFromEnd = true;
        const std::string data = test::Utf16(u, bBigEndian);
        ASSERT_TRUE(OpenBytes(data));
        EXPECT_EQ(SpansOf(Doc()), expected);
        for (const auto& [nOff, nLen] : SpansOf(Doc())) {
            EXPECT_EQ(nOff % 2, 0u);
            EXPECT_EQ(nLen % 2, 0u);
        }
        EXPECT_EQ(Doc().m_nLineEnd, 2u);
        const std::string_view all(data);
        EXPECT_EQ(std::string(Doc().GetDigest()),
                  Md5Of({all.substr(0, kBlock), all.substr(kJump)}));
    }
}

// ============================================================ Escape

using TervikDocEscape = CDocFixture;

TEST_F(TervikDocEscape, KeepsTheRecordsReadSoFar) {
    std::string lines;
    while (lines.size() < 300000)
        lines += std::string(99, 'q') + "\n";
    const std::string longFirst = std::string(100000, 'a') + "\n" + std::string(100000, 'b') + "\n";
    struct Case {
        const char* name;
        const std::string& data;
        const char* maxRecSize;
        uint32_t nLimitFromEnd;
        Spans spans;
        size_t nDigested;
    };
    const std::string abc = "abc";
    const Case cases[] = {
        {"many lines", lines, "32768", 0, {{0, 99}}, kBlock},
        {"first line ends in the second block", longFirst, "200000", 0, {{0, 100000}}, 2 * kBlock},
        {"no record end at all", abc, "32768", 0, {{0, 3}}, 3},
        {"with a limit from the end", lines, "32768", 5, {{0, 99}}, kBlock},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_host.SetSetting("MaxRecSize", c.maxRecSize);
        m_host.m_options.m_nRecordLimit = c.nLimitFromEnd;
        m_host.m_options.m_bLimitFromEnd = c.nLimitFromEnd != 0;
        m_host.m_bEscape = true; // pressed before the first record ends
        ASSERT_TRUE(OpenBytes(c.data));
        EXPECT_EQ(SpansOf(Doc()), c.spans);
        EXPECT_TRUE(m_host.m_messages.empty());
        EXPECT_EQ(m_host.m_openDocuments.size(), 1u);
        EXPECT_EQ(std::string(Doc().GetDigest()),
                  Md5Of({std::string_view(c.data).substr(0, c.nDigested)}));
        m_host.m_openDocuments.clear();
    }
}

// ============================================================ digest

using TervikDocDigest = CDocFixture;

TEST_F(TervikDocDigest, WholeFileGivesTheStandardMd5) {
    ASSERT_TRUE(OpenBytes("abc"));
    EXPECT_STREQ(Doc().GetDigest(), "900150983cd24fb0d6963f7d28e17f72");

    std::mt19937 rng(42);
    for (const size_t nSize :
         {size_t{1}, kBlock - 1, kBlock, kBlock + 1, 2 * kBlock, size_t{300001}}) {
        SCOPED_TRACE(nSize);
        std::string data(nSize, '\0');
        for (char& ch : data)
            ch = static_cast<char>(rng() % 8 == 0 ? '\n' : rng() & 0xFF);
        ASSERT_TRUE(OpenBytes(data));
        EXPECT_EQ(std::string(Doc().GetDigest()), Md5Of({data}));
        EXPECT_TRUE(Doc().IsDigestReady());
        EXPECT_STREQ(Doc().m_szDigest, Doc().GetDigest());
    }
}

TEST_F(TervikDocDigest, SameContentSameDigestOneChangedByteAnother) {
    std::string data = LinesOf(100000);
    const std::string path = Write(data);
    ASSERT_TRUE(Open(path));
    const std::string first = Doc().GetDigest();
    ASSERT_TRUE(Open(path));
    EXPECT_EQ(std::string(Doc().GetDigest()), first);
    data.back() = data.back() == 'z' ? 'y' : 'z';
    Write(data);
    ASSERT_TRUE(Open(path));
    EXPECT_NE(std::string(Doc().GetDigest()), first);
    EXPECT_EQ(std::string(Doc().GetDigest()), Md5Of({data}));
}

// A file cut short while it is read: the document knows its records and digest
// are not the file's.
TEST_F(TervikDocDigest, FileThatShrankWhileItWasCutIsKnown) {
    const std::string path = Write(LinesOf(1000000));
    CSysFile::SetReadFailureHook([&](int64_t nOffset) {
        if (nOffset >= 196608) std::filesystem::resize_file(path, 196608);
        return 0u;
    });
    ASSERT_TRUE(Open(path));
    CSysFile::SetReadFailureHook({});
    EXPECT_TRUE(Doc().ShrankWhileCut());
    Write(LinesOf(1000000));
    ASSERT_TRUE(Open(path));
    EXPECT_FALSE(Doc().ShrankWhileCut());
}

// With a limit from the start, reading stops at the first byte after the last record
// kept; the digest covers every 64 KB block read up to and including that byte's.
TEST_F(TervikDocDigest, LimitFromTheStartDigestsTheBlocksRead) {
    const auto lfAt = [](size_t nLfOffset) {
        std::string s;
        while (s.size() + 100 <= 65500)
            s += std::string(99, 'a') + "\n";
        s += std::string(nLfOffset - s.size(), 'b') + "\n";
        while (s.size() < 200000)
            s += std::string(49, 'c') + "\n";
        return s;
    };
    const std::string noLf(200000, 'z');
    const std::string lf65534 = lfAt(65534);
    const uint64_t nTail = lf65534.size() - 50; // the last line of 49 letters
    struct Case {
        const char* name;
        std::string data;
        const char* maxRecSize;
        uint32_t nLimit;
        std::pair<uint64_t, uint32_t> last; // last record kept
        uint64_t nStopByte;                 // first byte not consumed
    };
    const Case cases[] = {
        {"LF two bytes before the block end", lf65534, "32768", 656, {65500, 34}, 65535},
        {"LF at the block end", lfAt(65535), "32768", 656, {65500, 35}, 65536},
        {"cut at the last byte of the block", noLf, "65535", 1, {0, 65535}, 65536},
        {"cut two bytes before the block end", noLf, "65534", 1, {0, 65534}, 65535},
        {"cut behind the block end", noLf, "65536", 1, {0, 65536}, 65537},
        {"limit above the record count", lf65534, "32768", 100000, {nTail, 49}, nTail + 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_host.SetSetting("MaxRecSize", c.maxRecSize);
        m_host.m_options.m_nRecordLimit = c.nLimit;
        ASSERT_TRUE(OpenBytes(c.data));
        const Spans spans = SpansOf(Doc());
        ASSERT_FALSE(spans.empty());
        EXPECT_EQ(spans.back(), c.last);
        if (c.nLimit < 100000) {
            EXPECT_EQ(spans.size(), c.nLimit);
        }
        const size_t nEnd = std::min(c.data.size(), (c.nStopByte / kBlock + 1) * kBlock);
        EXPECT_EQ(std::string(Doc().GetDigest()),
                  Md5Of({std::string_view(c.data).substr(0, nEnd)}));
    }
}

// ============================================================ largest record count

using TervikDocRecordCap = CDocFixture;

TEST_F(TervikDocRecordCap, StopsWithTheRecordsKeptAndSaysSo) {
    const std::string path = Write("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
    ASSERT_TRUE(Open(path, 5));
    EXPECT_TRUE(Doc().HitRecordCap());
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 1}, {2, 1}, {4, 1}, {6, 1}, {8, 1}}));
    EXPECT_EQ(Doc().m_nRecords, 5u);
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    const std::string& text = m_host.m_messages[0].text;
    EXPECT_NE(text.find("\"" + path + "\""), std::string::npos) << text;
    EXPECT_NE(text.find(" 5 "), std::string::npos) << text;
    EXPECT_EQ(m_host.m_messages[0].nType & MB_TYPEMASK, unsigned{MB_OK});
    EXPECT_EQ(m_host.m_openDocuments, std::vector<CTervikDoc*>{&Doc()});
    EXPECT_EQ(m_host.m_status, "Bereit");
}

TEST_F(TervikDocRecordCap, ExactlyTheCapIsNoOverflow) {
    for (const char* data : {"1\n2\n3\n4\n5\n", "1\n2\n3\n4\n5"}) {
        SCOPED_TRACE(data);
        ASSERT_TRUE(Open(Write(data), 5));
        EXPECT_FALSE(Doc().HitRecordCap());
        EXPECT_EQ(Doc().m_nRecords, 5u);
        EXPECT_TRUE(m_host.m_messages.empty());
    }
}

// ============================================================ out of memory

class TervikDocNoMemory : public CDocFixture {
protected:
    void TearDown() override {
        CBlockList::SetAllocFailureHook({});
        CDigestWorker::SetAllocFailureHook({});
    }
    // Fails the nth request for memory (1-based) and lets every other one pass.
    static void FailRequest(int nFailing) {
        CBlockList::SetAllocFailureHook([nFailing, n = 0]() mutable { return ++n == nFailing; });
    }
    static constexpr const char* kNoMemory = "Speicher konnte nicht angefordert werden";
    static constexpr size_t kPerBlock = CRecordTable::kBlockRecords;
};

// The cut stops at the first failure: every record before it is exact, none after
// it is stored, the open succeeds and says so once.
TEST_F(TervikDocNoMemory, CutStopsWithTheRecordsBeforeTheFailure) {
    std::string data;
    for (int i = 0; i < 9000; ++i)
        data += "Zeile " + std::to_string(i) + (i % 7 ? "\r\n" : "\tmit Tab\n");
    const Spans all = CutLines(data, 0, 32768);
    Spans tens; // fixed length 10
    for (size_t at = 0; at < data.size(); at += 10)
        tens.emplace_back(at, static_cast<uint32_t>(std::min<size_t>(10, data.size() - at)));
    struct Case {
        const char* name;
        uint32_t nFixed;
        uint32_t nLimitFromEnd;
        int nFailing; // request that fails: one per block of records
        Spans want;
    };
    const Case cases[] = {
        {"lines, third block", 0, 0, 3, Spans(all.begin(), all.begin() + 2 * kPerBlock)},
        {"lines, second block", 0, 0, 2, Spans(all.begin(), all.begin() + kPerBlock)},
        {"fixed length", 10, 0, 2, Spans(tens.begin(), tens.begin() + kPerBlock)},
        {"limit from the end", 0, 5000, 2, Spans(all.begin(), all.begin() + kPerBlock)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_host.m_messages.clear();
        m_host.m_openDocuments.clear();
        m_host.m_options.m_nFixRecSize = c.nFixed;
        m_host.m_options.m_nRecordLimit = c.nLimitFromEnd;
        m_host.m_options.m_bLimitFromEnd = c.nLimitFromEnd != 0;
        FailRequest(c.nFailing);
        ASSERT_TRUE(OpenBytes(data));
        CBlockList::SetAllocFailureHook({});
        EXPECT_EQ(SpansOf(Doc()), c.want);
        EXPECT_EQ(Doc().m_nRecords, c.want.size());
        EXPECT_FALSE(Doc().HitRecordCap());
        EXPECT_TRUE(Doc().RanOutOfMemory());
        ASSERT_EQ(m_host.m_messages.size(), 1u);
        EXPECT_EQ(m_host.m_messages[0].text, kNoMemory);
        EXPECT_EQ(m_host.m_openDocuments, std::vector<CTervikDoc*>{&Doc()});
        EXPECT_EQ(m_host.m_status, "Bereit");
    }
}

TEST_F(TervikDocNoMemory, NoRoomForTheFirstRecordRefusesTheOpen) {
    FailRequest(1);
    EXPECT_FALSE(OpenBytes("eins\nzwei\n"));
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.m_messages[0].text, kNoMemory);
    EXPECT_TRUE(m_host.m_openDocuments.empty());
    EXPECT_EQ(m_host.m_status, "Bereit");
}

// F5 stops the same way, and the next F5 goes on exactly where it stopped.
TEST_F(TervikDocNoMemory, RefreshStopsAndTheNextRefreshGoesOn) {
    auto lines = [](int nFrom, int nTo) {
        std::string s;
        for (int i = nFrom; i < nTo; ++i)
            s += "Satz " + std::to_string(i) + "\r\n";
        return s;
    };
    const std::string path = Write(lines(0, 3000));
    ASSERT_TRUE(Open(path));
    const std::string data = lines(0, 9000);
    Write(data);
    const Spans all = CutLines(data, 0, 32768);
    FailRequest(1); // the block after the one the open left unfilled
    Doc().OnRefresh();
    CBlockList::SetAllocFailureHook({});
    EXPECT_EQ(SpansOf(Doc()), Spans(all.begin(), all.begin() + (3000 / kPerBlock + 1) * kPerBlock));
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.m_messages[0].text, kNoMemory);
    Doc().OnRefresh();
    EXPECT_EQ(SpansOf(Doc()), all);
    EXPECT_EQ(Doc().m_nFileSize, static_cast<int64_t>(data.size()));
    EXPECT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(TextOf(Doc(), 8999), "Satz 8999");
}

// The digest thread without memory leaves no digest; the document is whole.
TEST_F(TervikDocNoMemory, DigestWithoutMemoryIsEmpty) {
    CDigestWorker::SetAllocFailureHook([] { return true; });
    ASSERT_TRUE(OpenBytes("abc\ndef\n"));
    EXPECT_STREQ(Doc().GetDigest(), "");
    EXPECT_TRUE(Doc().DigestOutOfMemory());
    EXPECT_FALSE(Doc().RanOutOfMemory());
    EXPECT_TRUE(Doc().IsDigestReady());
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 3}, {4, 3}}));
    EXPECT_TRUE(m_host.m_messages.empty());
}

// ============================================================ files beyond 4 GiB

using TervikDocLargeFile = CDocFixture;

#ifndef _WIN32 // POSIX file modes, pipes and sparse files
TEST_F(TervikDocLargeFile, SparseFileBeyondFourGigabytes) {
    constexpr int64_t kSize = int64_t{5} << 30;
    constexpr int64_t kMark = (int64_t{4} << 30) + 100;
    const std::string tail = "\nalpha\nbeta\n";
    const std::string path = m_dir.File("sparse.bin");
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const bool bOk =
            ::ftruncate(fd, kSize) == 0 && ::pwrite(fd, "MARK", 4, kMark) == 4 &&
            ::pwrite(fd, tail.data(), tail.size(), kSize - static_cast<int64_t>(tail.size())) ==
                static_cast<ssize_t>(tail.size());
        ::close(fd);
        if (!bOk) GTEST_SKIP() << "no sparse files here";
    }
    m_host.m_options.m_nRecordLimit = 3;
    m_host.m_options.m_bLimitFromEnd = true;
    ASSERT_TRUE(Open(path));
    EXPECT_EQ(Doc().m_nFileSize, kSize);

    constexpr uint64_t kWindow = 4 * (32768 + 2);
    constexpr uint64_t kJump = kSize - kWindow;
    // Zeros from the jump target, cut at 32768, until the LF in front of "alpha".
    const uint64_t nZeros = kWindow - tail.size();
    EXPECT_EQ(SpansOf(Doc()), (Spans{{kJump + 3 * 32768, static_cast<uint32_t>(nZeros - 3 * 32768)},
                                     {kSize - 11, 5},
                                     {kSize - 5, 4}}));
    EXPECT_EQ(TextOf(Doc(), 1), "alpha");
    EXPECT_EQ(TextOf(Doc(), 2), "beta");
    EXPECT_TRUE(SameBytes(TextOf(Doc(), 0), std::string(nZeros - 3 * 32768, '\0')));

    char buf[100] = {};
    EXPECT_EQ(Doc().ReadBytes(buf, 4, kMark), 4u);
    EXPECT_EQ(std::string(buf, 4), "MARK");
    EXPECT_EQ(Doc().ReadBytes(buf, 100, kSize - 10), 10u);
    EXPECT_EQ(std::string(buf, 10), "lpha\nbeta\n");
    EXPECT_EQ(Doc().ReadBytes(buf, 100, kSize), 0u);

    std::string window(nZeros, '\0');
    window += tail;
    EXPECT_EQ(std::string(Doc().GetDigest()), Md5Of({std::string(kBlock, '\0'), window}));
}
#endif

// ============================================================ selection

class TervikDocSelection : public CDocFixture {
protected:
    void SetUp() override {
        // Distinct backgrounds show which colour pair was answered.
        m_host.SetSetting("BackgroundBlueMarkerColor", "RGB(1,1,1)");
        m_host.SetSetting("BackgroundGreenMarkerColor", "RGB(2,2,2)");
        m_host.SetSetting("BackgroundRedMarkerColor", "RGB(3,3,3)");
        m_host.ReloadColours();
        ASSERT_TRUE(OpenBytes("0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n"));
    }
    uint32_t Bits(uint32_t n) { return Doc().Record(n)->m_nFlags & RF_COLOUR_MASK; }
    std::vector<uint32_t> Index() {
        std::vector<uint32_t> v;
        for (uint32_t i = 0, r = 0; Doc().NthSelected(i, r); ++i)
            v.push_back(r);
        return v;
    }
    static constexpr COLORREF kBlue = MakeRgb(0, 0, 255);
    static constexpr COLORREF kGreen = MakeRgb(0, 128, 0);
    static constexpr COLORREF kRed = MakeRgb(255, 0, 0);
};

TEST_F(TervikDocSelection, ColourOfASelection) {
    const COLORREF other = MakeRgb(1, 2, 3);
    struct Case {
        const char* name;
        const COLORREF* pColour;
        int nSelectColour;
        uint32_t nBits;
        COLORREF text, background;
    };
    const Case cases[] = {
        {"green value", &kGreen, 1, RF_GREEN, kGreen, MakeRgb(2, 2, 2)},
        {"red value", &kRed, 2, RF_RED, kRed, MakeRgb(3, 3, 3)},
        {"blue value", &kBlue, 1, RF_BLUE, kBlue, MakeRgb(1, 1, 1)},
        {"any other value", &other, 2, RF_BLUE, kBlue, MakeRgb(1, 1, 1)},
        {"frame colour red", nullptr, 1, RF_RED, kRed, MakeRgb(3, 3, 3)},
        {"frame colour green", nullptr, 2, RF_GREEN, kGreen, MakeRgb(2, 2, 2)},
        {"frame colour blue", nullptr, 0, RF_BLUE, kBlue, MakeRgb(1, 1, 1)},
        {"frame colour unknown", nullptr, 7, RF_BLUE, kBlue, MakeRgb(1, 1, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_host.m_nSelectColour = c.nSelectColour;
        EXPECT_TRUE(Doc().SetLineSelected(3, true, c.pColour));
        EXPECT_EQ(Bits(3), c.nBits);
        EXPECT_NE(Doc().Record(3)->m_nFlags & RF_NO_TAB, 0u); // other bits stay
        COLORREF text = 0, background = 0;
        EXPECT_TRUE(Doc().IsLineSelected(3, &text, &background));
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(background, c.background);
        text = 0;
        EXPECT_TRUE(Doc().IsLineSelected(3, &text, nullptr));
        EXPECT_EQ(text, c.text);
        EXPECT_TRUE(Doc().SetLineSelected(3, false, nullptr));
        EXPECT_EQ(Bits(3), 0u);
        EXPECT_FALSE(Doc().IsLineSelected(3, nullptr, nullptr));
    }
}

TEST_F(TervikDocSelection, BadNumbersAndUnselectedRecords) {
    COLORREF text = 12345;
    EXPECT_FALSE(Doc().IsLineSelected(4, &text, nullptr));
    EXPECT_FALSE(Doc().IsLineSelected(10, &text, nullptr));
    EXPECT_EQ(text, 12345u);
    EXPECT_FALSE(Doc().SetLineSelected(10, true, nullptr));
    EXPECT_FALSE(Doc().ChangeLineColour(10, kRed));
    EXPECT_FALSE(Doc().ChangeLineColour(4, kRed)); // not selected
    EXPECT_EQ(Bits(4), 0u);
    ASSERT_TRUE(Doc().SetLineSelected(2, true, nullptr));
    EXPECT_TRUE(Doc().IsLineSelected(2, nullptr, nullptr));
    uint64_t nOffset = 0;
    EXPECT_TRUE(Doc().GetRecordOffset(9, nOffset));
    EXPECT_EQ(nOffset, 18u);
    EXPECT_FALSE(Doc().GetRecordOffset(10, nOffset));
}

TEST_F(TervikDocSelection, ChangeLineColourKeepsTheIndex) {
    ASSERT_TRUE(Doc().SetLineSelected(6, true, &kBlue));
    for (const auto& [colour, bits] : {std::pair{kGreen, RF_GREEN}, std::pair{kRed, RF_RED},
                                       std::pair{MakeRgb(9, 9, 9), RF_BLUE}}) {
        EXPECT_TRUE(Doc().ChangeLineColour(6, colour));
        EXPECT_EQ(Bits(6), bits);
        EXPECT_EQ(Index(), std::vector<uint32_t>{6});
    }
}

TEST_F(TervikDocSelection, NextAndPreviousSelected) {
    for (uint32_t n : {7u, 2u, 5u})
        ASSERT_TRUE(Doc().SetLineSelected(n, true, nullptr));
    EXPECT_EQ(Index(), (std::vector<uint32_t>{2, 5, 7}));
    struct Step {
        bool bNext;
        uint32_t nFrom;
        std::optional<uint32_t> to;
    };
    const Step steps[] = {
        {true, 0, 2},
        {true, 2, 5},
        {true, 3, 5},
        {true, 7, std::nullopt},
        {true, 9, std::nullopt},
        {false, 0, std::nullopt},
        {false, 2, std::nullopt},
        {false, 6, 5},
        {false, 7, 5},
        {false, 100, 7},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.bNext ? "next from " : "previous from ") +
                     std::to_string(s.nFrom));
        uint32_t n = s.nFrom;
        EXPECT_EQ(s.bNext ? Doc().NextSelected(n) : Doc().PrevSelected(n), s.to.has_value());
        EXPECT_EQ(n, s.to.value_or(s.nFrom));
    }
    ASSERT_TRUE(Doc().SetLineSelected(5, false, nullptr));
    uint32_t n = 2;
    EXPECT_TRUE(Doc().NextSelected(n));
    EXPECT_EQ(n, 7u);
    ASSERT_TRUE(Doc().SetLineSelected(2, false, nullptr));
    ASSERT_TRUE(Doc().SetLineSelected(7, false, nullptr));
    EXPECT_EQ(Index(), std::vector<uint32_t>{});
    EXPECT_EQ(Doc().SelectedCount(), 0u);
    n = 0;
    EXPECT_FALSE(Doc().NextSelected(n));
    n = 9;
    EXPECT_FALSE(Doc().PrevSelected(n));
}

TEST_F(TervikDocSelection, BulkSelectionRebuildsTheIndex) {
    ASSERT_TRUE(Doc().SetLineSelected(0, true, nullptr));
    Doc().BeginBulkSelect();
    for (uint32_t n : {8u, 1u, 4u})
        ASSERT_TRUE(Doc().SetLineSelected(n, true, &kRed));
    ASSERT_TRUE(Doc().SetLineSelected(0, false, nullptr));
    EXPECT_EQ(Index(), std::vector<uint32_t>{0}); // untouched meanwhile
    EXPECT_EQ(Doc().SelectedCount(), 3u);         // counted meanwhile
    Doc().EndBulkSelect();
    EXPECT_FALSE(Doc().InBulkSelect());
    EXPECT_EQ(Index(), (std::vector<uint32_t>{1, 4, 8}));

    Doc().BeginBulkSelect();
    for (uint32_t n : {8u, 1u, 4u})
        ASSERT_TRUE(Doc().SetLineSelected(n, false, nullptr));
    Doc().EndBulkSelect();
    EXPECT_EQ(Index(), std::vector<uint32_t>{});
    EXPECT_EQ(Doc().SelectedCount(), 0u);
}

// Only a change of state counts: selecting again, a new colour or deselecting a line
// that is not selected leave the count as it is.
TEST_F(TervikDocSelection, TheCountFollowsChangesOfStateOnly) {
    struct Step {
        const char* name;
        uint32_t nRecord;
        int nAction; // 1 select, 0 deselect, 2 recolour
        uint32_t nCount;
    };
    const Step steps[] = {
        {"select", 3, 1, 1},      {"select again", 3, 1, 1},  {"select another", 5, 1, 2},
        {"new colour", 5, 2, 2},  {"deselect", 3, 0, 1},      {"deselect again", 3, 0, 1},
        {"bad number", 10, 1, 1}, {"deselect last", 5, 0, 0}, {"deselect none", 5, 0, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.nAction == 2)
            Doc().ChangeLineColour(s.nRecord, kRed);
        else
            Doc().SetLineSelected(s.nRecord, s.nAction == 1, &kGreen);
        EXPECT_EQ(Doc().SelectedCount(), s.nCount);
        EXPECT_EQ(Index().size(), s.nCount);
    }
}

} // namespace
} // namespace tervik
