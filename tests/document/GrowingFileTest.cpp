// Files that grow while they are open. Whatever pieces a writer appends, and whenever
// the document reads them (during the open or with F5), the records must be those
// of a fresh open of the final file: no duplicate, no line split in two.

#include "FakeDocumentHost.h"

#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "platform/CodePage.h"
#include "platform/SysFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace tervik {
namespace {

using test::CDocFixture;
using test::CFakeView;

void Append(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::app)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// What a document knows of its records, without the colour bits.
struct Table {
    std::vector<std::tuple<uint64_t, uint32_t, uint32_t>> records;
    uint32_t nMaxLength = 0;
    uint32_t nLineEnd = 0;
    int64_t nKnown = 0;
    bool operator==(const Table&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Table& t) {
    os << t.records.size() << " records, max " << t.nMaxLength << ", line end " << t.nLineEnd
       << ", known " << t.nKnown << ":";
    for (const auto& [o, n, f] : t.records)
        os << " (" << o << "," << n << "," << std::hex << f << std::dec << ")";
    return os;
}

Table TableOf(const CTervikDoc& doc) {
    Table t;
    for (uint32_t i = 0; const auto e = doc.Record(i); ++i)
        t.records.emplace_back(e->m_nOffset, e->m_nLength, e->m_nFlags & ~RF_COLOUR_MASK);
    t.nMaxLength = doc.m_nMaxLength;
    t.nLineEnd = doc.m_nLineEnd;
    t.nKnown = doc.m_nFileSize;
    return t;
}

// How the file is written and opened.
struct Kind {
    const char* name;
    std::string bom;
    int nUnit; // 1 single-byte, 2 UTF-16 (big endian when bBigEndian)
    bool bBigEndian;
    uint32_t nFixed;
    const char* maxRecSize;
};

const Kind kKinds[] = {
    {"lines", "", 1, false, 0, nullptr},
    {"lines cut at 16 bytes", "", 1, false, 0, "16"},
    {"fixed length 7", "", 1, false, 7, nullptr},
    {"UTF-8", "\xEF\xBB\xBF", 1, false, 0, nullptr},
    {"UTF-16 little endian", "\xFF\xFE", 2, false, 0, nullptr},
    {"UTF-16 big endian", "\xFE\xFF", 2, true, 0, nullptr},
    {"UTF-16 little endian cut at 4 bytes", "\xFF\xFE", 2, false, 0, "4"},
    {"UTF-16 big endian cut at 6 bytes", "\xFE\xFF", 2, true, 0, "6"},
};

// Text with short and empty lines, CR LF and LF, tabs and the odd lone CR.
std::string RandomText(std::mt19937& rng, const Kind& kind, size_t nChars) {
    static const char kAlphabet[] = "abcdefgh \t\t\r\n\n\n\r\n";
    std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
    std::string s = kind.bom;
    for (size_t i = 0; i < nChars; ++i) {
        const char c = kAlphabet[pick(rng)];
        if (kind.nUnit == 1) {
            s += c;
        } else if (kind.bBigEndian) {
            s += '\0';
            s += c;
        } else {
            s += c;
            s += '\0';
        }
    }
    return s;
}

class GrowingFileTest : public CDocFixture {
protected:
    void UseKind(const Kind& kind) {
        m_host.m_options = {};
        m_host.m_options.m_nFixRecSize = kind.nFixed;
#ifdef _WIN32
        m_host.m_options.m_bShareWrite = true; // the test appends while the file is open
#endif
        m_host.SetSetting("MaxRecSize", kind.maxRecSize ? kind.maxRecSize : "32768");
    }
    Table Fresh(const std::string& path) {
        CTervikDoc doc(m_host);
        EXPECT_TRUE(doc.OnOpenDocument(path));
        Table t = TableOf(doc);
        doc.OnCloseDocument();
        return t;
    }
};

// The writer appends pieces of any size (splitting CR from LF and UTF-16 code
// units); F5 after each piece gives the records of a fresh open of the file.
TEST_F(GrowingFileTest, RefreshAfterEveryPieceEqualsAFreshOpen) {
    for (const Kind& kind : kKinds) {
        UseKind(kind);
        for (unsigned nSeed = 1; nSeed <= 25; ++nSeed) {
            SCOPED_TRACE(std::string(kind.name) + ", seed " + std::to_string(nSeed));
            std::mt19937 rng(nSeed);
            const std::string all = RandomText(rng, kind, 300);
            std::uniform_int_distribution<size_t> cut(kind.bom.size() + 1, all.size() / 2);
            size_t nAt = cut(rng);
            const std::string path = Write(all.substr(0, nAt), "grow.txt");
            ASSERT_TRUE(Open(path));
            CFakeView view;
            Doc().AddView(&view);
            std::uniform_int_distribution<size_t> piece(1, 40);
            while (nAt < all.size()) {
                const size_t n = std::min(piece(rng), all.size() - nAt);
                Append(path, std::string_view(all).substr(nAt, n));
                nAt += n;
                view.m_hints.clear();
                EXPECT_TRUE(Doc().Extend());
                EXPECT_EQ(view.m_hints, std::vector<unsigned>{HINT_RECORDS_APPENDED});
                // The last record is complete exactly when a fresh cut would keep it.
                if (kind.nFixed == 0 && !kind.maxRecSize) {
                    const auto pLast = Doc().Record(Doc().m_nRecords - 1);
                    EXPECT_EQ(Doc().LastRecordComplete(),
                              pLast->m_nOffset + pLast->m_nLength < nAt);
                }
            }
            view.m_hints.clear();
            EXPECT_FALSE(Doc().Extend()); // nothing new: nothing changes, nobody is told
            EXPECT_TRUE(view.m_hints.empty());
            Table grown = TableOf(Doc());
            Doc().RemoveView(&view);
            const Table fresh = Fresh(path);
            // The widest line may remember an unfinished line with its line end half
            // there (a CR, half a UTF-16 unit): never narrower than a fresh cut.
            EXPECT_GE(grown.nMaxLength, fresh.nMaxLength);
            EXPECT_LE(grown.nMaxLength, fresh.nMaxLength + 3);
            grown.nMaxLength = fresh.nMaxLength;
            EXPECT_EQ(grown, fresh);
            EXPECT_EQ(grown.nKnown, static_cast<int64_t>(all.size()));
        }
    }
}

// A log opened before anything was written to it: whatever comes (with its mark in
// the writer's first piece) gives the records and character set of a fresh open.
TEST_F(GrowingFileTest, AFileEmptyAtOpenGrowsIntoAFreshOpen) {
    for (const Kind& kind : kKinds) {
        UseKind(kind);
        for (unsigned nSeed = 1; nSeed <= 5; ++nSeed) {
            SCOPED_TRACE(std::string(kind.name) + ", seed " + std::to_string(nSeed));
            std::mt19937 rng(nSeed);
            const std::string all = RandomText(rng, kind, 200);
            const std::string path = Write("", "empty.txt");
            ASSERT_TRUE(Open(path));
            EXPECT_EQ(Doc().m_nRecords, 0u);
            std::uniform_int_distribution<size_t> piece(1, 40);
            for (size_t nAt = 0; nAt < all.size();) {
                const size_t n = std::min(std::max(piece(rng), kind.bom.size()), all.size() - nAt);
                Append(path, std::string_view(all).substr(nAt, n));
                nAt += n;
                EXPECT_TRUE(Doc().Extend());
            }
            const auto flags = [](const CTervikDoc& d) {
                return std::tuple(d.m_bUtf16, d.m_bUtf8, d.m_bBomUtf16Le, d.m_bBomUtf16Be,
                                  d.m_bBomUtf8);
            };
            Table grown = TableOf(Doc());
            const auto grownFlags = flags(Doc());
            CTervikDoc fresh(m_host);
            ASSERT_TRUE(fresh.OnOpenDocument(path));
            EXPECT_EQ(grownFlags, flags(fresh));
            EXPECT_LE(grown.nMaxLength, TableOf(fresh).nMaxLength + 3);
            grown.nMaxLength = fresh.m_nMaxLength;
            EXPECT_EQ(grown, TableOf(fresh));
            fresh.OnCloseDocument();
        }
    }
}

// The file grows while the read thread cuts it: the cut takes what it met, the known
// part ends there, and F5 goes on behind it without reading anything twice.
TEST_F(GrowingFileTest, GrowthDuringTheOpenIsKnownAndRefreshGoesOnBehindIt) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        UseKind(kind);
        std::mt19937 rng(7);
        const std::string start = RandomText(rng, kind, 90000);
        const std::string during =
            RandomText(rng, {"", "", kind.nUnit, kind.bBigEndian, 0, ""}, 30000);
        const std::string after =
            RandomText(rng, {"", "", kind.nUnit, kind.bBigEndian, 0, ""}, 777);
        const std::string path = Write(start, "during.txt");
        // Every read the thread makes behind the first block appends a third of the
        // growth, ending in the middle of a line.
        int nAppends = 0;
        CSysFile::SetReadFailureHook([&](int64_t nOffset) -> uint32_t {
            if (nOffset > 0 && nAppends < 3) {
                const size_t n = during.size() / 3;
                Append(path, std::string_view(during).substr(static_cast<size_t>(nAppends) * n, n));
                ++nAppends;
            }
            return 0;
        });
        const bool bOpened = Open(path);
        CSysFile::SetReadFailureHook({});
        ASSERT_TRUE(bOpened);
        ASSERT_EQ(nAppends, 3);
        const size_t nThird = during.size() / 3;
        const int64_t nGrown = static_cast<int64_t>(start.size() + 3 * nThird);
        EXPECT_EQ(Doc().m_nFileSize, nGrown);
        EXPECT_EQ(TableOf(Doc()), Fresh(path));
        // Everything cut can be read: the last byte of the file, too.
        uint8_t b = 0;
        EXPECT_EQ(Doc().ReadBytes(&b, 1, static_cast<uint64_t>(nGrown - 1)), 1u);
        EXPECT_EQ(b, static_cast<uint8_t>(during[3 * nThird - 1]));
        Append(path, after);
        Doc().OnRefresh();
        EXPECT_EQ(TableOf(Doc()), Fresh(path));
    }
}

TEST_F(GrowingFileTest, TheColourOfAGrowingLastLineStays) {
    const std::string path = Write("erste\nzwei", "colour.txt");
    ASSERT_TRUE(Open(path));
    ASSERT_TRUE(Doc().SetLineSelected(1, true, nullptr));
    Append(path, "te Zeile\ndritte");
    ASSERT_TRUE(Doc().Extend());
    ASSERT_EQ(Doc().m_nRecords, 3u);
    EXPECT_EQ(test::TextOf(Doc(), 1), "zweite Zeile");
    EXPECT_TRUE(Doc().IsLineSelected(1, nullptr, nullptr));
    EXPECT_FALSE(Doc().IsLineSelected(2, nullptr, nullptr));
    uint32_t n = 0;
    EXPECT_TRUE(Doc().NextSelected(n));
    EXPECT_EQ(n, 1u);
}

// Log rotation: the file is cut short, or the path names a new file. F5 adds
// nothing and says why; Reopen reads the path from the start.
TEST_F(GrowingFileTest, TruncatedAndReplacedFilesAreRecognisedAndReadAgain) {
    struct Case {
        const char* name;
        FileChange eChange;
        const char* pszHint;
    };
    const Case cases[] = {
        {"truncated", FileChange::Shorter, "Die Datei ist kürzer geworden"},
        {"replaced", FileChange::Replaced, "Die Datei wurde durch eine neue ersetzt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write("alt 1\nalt 2\nalt 3\n", "rotate.log");
        ASSERT_TRUE(Open(path));
        EXPECT_EQ(Doc().CheckFileChange(), FileChange::None);
        ASSERT_TRUE(Doc().SetLineSelected(2, true, nullptr));
        if (c.eChange == FileChange::Shorter) {
            std::filesystem::resize_file(path, 0);
        } else {
            std::filesystem::rename(path, path + ".1");
            // Between the rename and the new file the path is missing: no change yet.
            EXPECT_EQ(Doc().CheckFileChange(), FileChange::None);
        }
        Append(path, "neu\n");
        EXPECT_EQ(Doc().CheckFileChange(), c.eChange);
        const Table before = TableOf(Doc());
        Doc().OnRefresh();
        EXPECT_EQ(TableOf(Doc()), before); // nothing added, nothing duplicated
        EXPECT_EQ(m_host.m_status.rfind(PathToAnsi(c.pszHint), 0), 0u) << m_host.m_status;

        CFakeView view;
        Doc().AddView(&view);
        const size_t nMessages = m_host.m_messages.size();
        EXPECT_TRUE(Doc().Reopen());
        EXPECT_EQ(view.m_hints, std::vector<unsigned>{HINT_RELOADED});
        Doc().RemoveView(&view);
        EXPECT_EQ(Doc().m_nRecords, 1u);
        EXPECT_EQ(test::TextOf(Doc(), 0), "neu");
        EXPECT_EQ(Doc().SelectedCount(), 0u);
        EXPECT_FALSE(Doc().IsLineSelected(0, nullptr, nullptr));
        EXPECT_EQ(Doc().CheckFileChange(), FileChange::None);
        EXPECT_EQ(m_host.m_messages.size(), nMessages); // quietly
        Append(path, "weiter\n");
        EXPECT_TRUE(Doc().Extend());
        EXPECT_EQ(Doc().m_nRecords, 2u);
        std::filesystem::remove(path + ".1");
    }
}

} // namespace
} // namespace tervik
