#include "search/ExportSelected.h"

#include "../document/FakeDocumentHost.h"
#include "framework/MessageBoxTypes.h"
#include "platform/CodePage.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "search/LineSelection.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>

namespace tervik {
namespace {

using test::CDocFixture;

class ExportSelectedTest : public CDocFixture {
protected:
    ~ExportSelectedTest() override { CSysFile::SetWriteFailureHook({}); }
    void Select(std::initializer_list<uint32_t> records) {
        for (uint32_t r : records) {
            m_host.m_nSelectColour = static_cast<int>(r % 3);
            Doc().SetLineSelected(r, true, nullptr);
        }
    }
};

TEST_F(ExportSelectedTest, WritesSelectedLinesAsTheyAre) {
    const std::string kUtf16Mark = "\xFF\xFE", kUtf8Mark = "\xEF\xBB\xBF";
    struct Case {
        const char* name;
        std::string file;
        std::initializer_list<uint32_t> selected;
        std::string want;
    } cases[] = {
        {"tabs stay, empty line, every colour, CR LF kept",
         "a\tb\r\n\r\nc\r\nd\n",
         {0, 1, 3},
         "a\tb\r\n\r\nd\r\n"},
        {"LF stays LF, also behind the unterminated last line",
         "a\tb\n\nc\nd",
         {0, 1, 3},
         "a\tb\n\nd\n"},
        {"UTF-16 as its own units, the mark once",
         kUtf16Mark + test::Utf16(u"gr\u00FCn\r\nLee (\u674E\u5B89)\r\n", false),
         {0, 1},
         kUtf16Mark + test::Utf16(u"gr\u00FCn\r\nLee (\u674E\u5B89)\r\n", false)},
        {"UTF-8 as its own bytes, the mark once, even without its first line",
         kUtf8Mark + "x\nAndrew Lee (\xE6\x9D\x8E\xE5\xAE\x89)\n",
         {1},
         kUtf8Mark + "Andrew Lee (\xE6\x9D\x8E\xE5\xAE\x89)\n"},
        {"nothing selected", "a\n", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(OpenBytes(c.file));
        Select(c.selected);
        const std::string out = m_dir.File("out.txt");
        m_dir.Write("out.txt", "old contents that must go");
        const ExportResult r = ExportSelectedLines(Doc(), out);
        EXPECT_EQ(r.m_nError, 0u);
        EXPECT_EQ(r.m_nWritten, c.selected.size());
        EXPECT_EQ(test::ReadWholeFile(out), c.want);
        EXPECT_EQ(m_host.m_nBusyDepth, 0);
    }
}

// Characters as file bytes: cp1252, UTF-8 (with or without a mark), UTF-16 LE or BE.
std::string Encode(const std::u16string& text, int nKind) {
    if (nKind >= 3) return test::Utf16(text, nKind == 4);
    std::string s;
    for (char16_t c : text) {
        if (nKind == 0)
            s += static_cast<char>(UnicodeToCp1252(c));
        else
            AppendUtf8(s, c);
    }
    return s;
}

// Against a model of its own: the file's bytes cut at LF (a CR before it taken off)
// or into fixed lengths, the mark left out of the first line and written once, and
// the first line end met (the native one when there is none) behind every line.
TEST_F(ExportSelectedTest, WritesTheFilesOwnBytesWhateverTheDisplay) {
    // 0 cp1252, 1 UTF-8, 2 UTF-8 with a mark, 3 UTF-16 LE, 4 UTF-16 BE (both marked).
    const std::string kMarks[] = {"", "", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    // U+0A00 and U+0D0A hold an LF byte that ends no UTF-16 line.
    const std::u16string kChars = u"ab \t\r\u00FC\u20AC\u674E\u0A00\u0D0A";
#ifdef _WIN32
    const std::string kNative = "\r\n";
#else
    const std::string kNative = "\n";
#endif
    m_host.SetSetting("MaxRecSize", "1000000");
    std::mt19937 rng(4711);
    for (int round = 0; round < 120; ++round) {
        const int nKind = static_cast<int>(rng() % 5);
        const size_t nUnit = nKind >= 3 ? 2 : 1;
        const bool bLong = round % 10 == 3; // a line longer than the window
        uint32_t nFixed = 0;
        if (rng() % 4 == 0)
            nFixed = static_cast<uint32_t>(bLong ? 70000 + rng() % 9000 : 1 + rng() % 9);
        std::u16string text;
        const int nLines = static_cast<int>(bLong ? 2 + rng() % 4 : rng() % 12);
        for (int i = 0; i < nLines; ++i) {
            const size_t nLength = bLong && i == 1 ? 70000 + rng() % 70000 : rng() % 8;
            for (size_t k = 0; k < nLength; ++k)
                text += kChars[rng() % kChars.size()];
            if (i + 1 < nLines || rng() % 2) text += rng() % 2 ? u"\r\n" : u"\n";
        }
        const std::string bytes = kMarks[nKind] + Encode(text, nKind);
        const size_t nMark = kMarks[nKind].size();

        // The model's records and line end.
        auto unitIs = [&](size_t i, char c) {
            if (nUnit == 1) return bytes[i] == c;
            return nKind == 3 ? bytes[i] == c && bytes[i + 1] == 0
                              : bytes[i] == 0 && bytes[i + 1] == c;
        };
        test::Spans spans;
        std::string lineEnd;
        if (nFixed != 0) {
            for (size_t off = 0; off < bytes.size(); off += nFixed)
                spans.emplace_back(
                    off, static_cast<uint32_t>(std::min<size_t>(nFixed, bytes.size() - off)));
        } else {
            size_t nStart = 0;
            for (size_t i = 0; i + nUnit <= bytes.size(); i += nUnit) {
                if (!unitIs(i, '\n')) continue;
                const bool bCr = i >= nStart + nUnit && unitIs(i - nUnit, '\r');
                if (lineEnd.empty()) lineEnd = bCr ? "\r\n" : "\n";
                spans.emplace_back(nStart, static_cast<uint32_t>(i - nStart - (bCr ? nUnit : 0)));
                nStart = i + nUnit;
            }
            if (nStart < bytes.size())
                spans.emplace_back(nStart, static_cast<uint32_t>(bytes.size() - nStart));
        }
        if (lineEnd.empty()) lineEnd = kNative;
        if (nUnit == 2) lineEnd = Encode(std::u16string(lineEnd.begin(), lineEnd.end()), nKind);

        m_host.m_options.m_nFixRecSize = nFixed;
        ASSERT_TRUE(OpenBytes(bytes));
        ASSERT_EQ(test::SpansOf(Doc()), spans) << "round " << round;

        // Lines by hand and by runs, then the display switched at random.
        std::vector<bool> selected(spans.size());
        const auto nRecords = static_cast<uint32_t>(spans.size());
        for (int op = static_cast<int>(rng() % 6); nRecords != 0 && op > 0; --op) {
            if (rng() % 3 == 0) {
                SelectCriteria c;
                c.m_nFirstLine = static_cast<uint32_t>(rng() % (nRecords + 1));
                c.m_nEndLine =
                    c.m_nFirstLine + static_cast<uint32_t>(rng() % (nRecords + 1 - c.m_nFirstLine));
                const bool bSelect = rng() % 3 != 0;
                c.m_nMode = bSelect ? 1 : 0;
                bSelect ? SelectByCriteria(Doc(), c) : DeselectByCriteria(Doc(), c);
                for (uint32_t r = c.m_nFirstLine; r < c.m_nEndLine; ++r)
                    selected[r] = bSelect;
            } else {
                // By hand, as the pen and the eraser do, the count kept with it.
                const auto r = static_cast<uint32_t>(rng() % nRecords);
                selected[r] = rng() % 4 != 0;
                m_host.m_nSelectColour = static_cast<int>(rng() % 3);
                Doc().SetLineSelected(r, selected[r], nullptr);
            }
        }
        for (int n = static_cast<int>(rng() % 4); n > 0; --n) {
            void (CTervikDoc::*toggles[])() = {&CTervikDoc::OnUnicode,
                                               &CTervikDoc::OnUnicodeBigEndian, &CTervikDoc::OnUtf8,
                                               &CTervikDoc::OnOem, &CTervikDoc::OnEbcdic};
            (Doc().*toggles[rng() % 5])();
        }

        std::string want;
        uint64_t nWant = 0;
        for (size_t r = 0; r < spans.size(); ++r) {
            if (!selected[r]) continue;
            if (nWant == 0) want = kMarks[nKind]; // only before lines
            const auto nFrom = static_cast<size_t>(std::max<uint64_t>(spans[r].first, nMark));
            const auto nEnd = static_cast<size_t>(spans[r].first + spans[r].second);
            if (nFrom < nEnd) want += bytes.substr(nFrom, nEnd - nFrom);
            want += lineEnd;
            ++nWant;
        }
        const std::string out = m_dir.File("out.txt");
        const ExportResult r = ExportSelectedLines(Doc(), out);
        EXPECT_TRUE(r.Ok()) << "round " << round;
        EXPECT_EQ(r.m_nWritten, nWant) << "round " << round;
        EXPECT_TRUE(test::SameBytes(test::ReadWholeFile(out), want)) << "round " << round;
    }
}

TEST_F(ExportSelectedTest, LongSelectionsGoOutInManyWrites) {
    std::string bytes, want;
    for (int i = 0; i < 60000; ++i) {
        const std::string line = std::to_string(i) + std::string(40, 'x');
        bytes += line + "\n";
        if (i % 2 == 0) want += line + "\n";
    }
    ASSERT_TRUE(OpenBytes(bytes));
    Doc().BeginBulkSelect();
    for (uint32_t r = 0; r < 60000; r += 2) {
        Doc().SetLineSelected(r, true, nullptr);
    }
    Doc().EndBulkSelect();
    int nWrites = 0;
    CSysFile::SetWriteFailureHook([&](size_t) {
        ++nWrites;
        return 0u;
    });
    const std::string out = m_dir.File("out.txt");
    const ExportResult r = ExportSelectedLines(Doc(), out);
    EXPECT_EQ(r.m_nError, 0u);
    EXPECT_EQ(r.m_nWritten, 30000u);
    EXPECT_TRUE(test::SameBytes(test::ReadWholeFile(out), want));
    EXPECT_GT(nWrites, 1);
}

TEST_F(ExportSelectedTest, FailuresTellTheUserAndMayDeleteTheFile) {
    std::string bytes;
    for (int i = 0; i < 40000; ++i)
        bytes += std::string(60, 'y') + "\n";
    ASSERT_TRUE(OpenBytes(bytes));
    Doc().BeginBulkSelect();
    for (uint32_t r = 0; r < 40000; ++r) {
        Doc().SetLineSelected(r, true, nullptr);
    }
    Doc().EndBulkSelect();
    const std::string out = m_dir.File("out.txt");

    // Lines written, then an error: the box asks, Yes deletes.
    int nWrite = 0;
    CSysFile::SetWriteFailureHook([&](size_t) { return ++nWrite == 2 ? uint32_t{EIO} : 0u; });
    ExportResult r = ExportSelectedLines(Doc(), out);
    EXPECT_EQ(r.m_nError, uint32_t{EIO});
    EXPECT_GT(r.m_nWritten, 0u);
    m_host.AnswerNext(IDYES);
    ReportExportFailure(m_host, out, r);
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.m_messages[0].nType, MB_YESNO | MB_ICONHAND);
    EXPECT_EQ(m_host.m_messages[0].text.rfind("Verarbeitungsfehler in Datei '" + out + "'\n\n", 0),
              0u);
    EXPECT_NE(m_host.m_messages[0].text.find("Fehlercode 5\n\nSoll die Datei wieder gel\xF6schet "
                                             "werden ?"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));

    // A full disk asks even before the first line; No keeps the file.
    CSysFile::SetWriteFailureHook([](size_t) { return kErrDiskFull; });
    r = ExportSelectedLines(Doc(), out);
    EXPECT_EQ(r.m_nWritten, 0u);
    ReportExportFailure(m_host, out, r);
    EXPECT_EQ(m_host.m_messages.back().nType, MB_YESNO | MB_ICONHAND);
    EXPECT_TRUE(std::filesystem::exists(out));

    // Nothing written for another reason: only OK.
    CSysFile::SetWriteFailureHook({});
    const std::string bad = m_dir.File("missing/out.txt");
    r = ExportSelectedLines(Doc(), bad);
    EXPECT_NE(r.m_nError, 0u);
    ReportExportFailure(m_host, bad, r);
    EXPECT_EQ(m_host.m_messages.back().nType, MB_OK | MB_ICONHAND);
    EXPECT_EQ(m_host.m_messages.size(), 3u);
}

// Lines the file lost after it was opened are no empty lines: the export stops at
// the first of them, says so and offers to delete what it wrote.
TEST_F(ExportSelectedTest, AFileThatBecameShorterStopsTheExport) {
    std::string data;
    for (int i = 0; i < 3000; ++i)
        data += "Zeile " + std::to_string(i) + std::string(80, '.') + "\n";
    const std::string path = Write(data);
    ASSERT_TRUE(Open(path));
    Select({0, 1000, 2999});
    std::filesystem::resize_file(path, data.size() / 2);
    const std::string out = m_dir.File("out.txt");
    const ExportResult r = ExportSelectedLines(Doc(), out);
    EXPECT_TRUE(r.m_bShorter);
    EXPECT_EQ(test::ReadWholeFile(out), "");
    m_host.AnswerNext(IDYES);
    ReportExportFailure(m_host, out, r);
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.m_messages[0].text.rfind("Die Datei ist k\xFCrzer geworden", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(out));
    // Lines the document's window still holds from before count as lost all the same.
    ASSERT_TRUE(Open(Write(data)));
    Select({2999});
    EXPECT_EQ(test::TextOf(Doc(), 2999).substr(0, 10), "Zeile 2999");
    std::filesystem::resize_file(path, data.size() - 10);
    EXPECT_TRUE(ExportSelectedLines(Doc(), out).m_bShorter);
    EXPECT_EQ(test::ReadWholeFile(out), "");
    // Deleting takes only the export itself, not what replaced it meanwhile.
    const ExportResult again = ExportSelectedLines(Doc(), out);
    std::filesystem::rename(out, out + ".moved");
    m_dir.Write("out.txt", "someone else's");
    EXPECT_FALSE(RemovePartialExport(out, again));

    // A line longer than the write buffer goes out whole, and nothing of it once the
    // file has lost its end.
    m_host.SetSetting("MaxRecSize", "4000000");
    const std::string longLine(3000000, 'L');
    const std::string longPath = Write("kurz\n" + longLine + "\n", "long.txt");
    ASSERT_TRUE(Open(longPath));
    Select({0, 1});
    EXPECT_TRUE(ExportSelectedLines(Doc(), out).Ok());
    EXPECT_TRUE(test::SameBytes(test::ReadWholeFile(out), "kurz\n" + longLine + "\n"));
    std::filesystem::resize_file(longPath, 2000000);
    const ExportResult cut = ExportSelectedLines(Doc(), out);
    EXPECT_TRUE(cut.m_bShorter);
    EXPECT_EQ(test::ReadWholeFile(out).find('L'), std::string::npos);
}

} // namespace
} // namespace tervik
