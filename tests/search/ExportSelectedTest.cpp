#include "search/ExportSelected.h"

#include "../document/FakeDocumentHost.h"
#include "framework/MessageBoxTypes.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

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
            ++Doc().m_nSelected;
        }
    }
};

TEST_F(ExportSelectedTest, WritesSelectedLinesAsTheyAre) {
    struct Case {
        const char* name;
        std::string file;
        std::initializer_list<uint32_t> selected;
        std::string want;
    } cases[] = {
        {"tabs stay, empty line, every colour", "a\tb\n\nc\nd\r\n", {0, 1, 3}, "a\tb\r\n\r\nd\r\n"},
        {"UTF-16 written as cp1252",
         "\xFF\xFE" + test::Utf16(u"gr\u00FCn\nx\n", false),
         {0},
         "gr\xFCn\r\n"},
        {"UTF-8 written as cp1252",
         "\xEF\xBB\xBF"
         "gr\xC3\xBCn\n",
         {0},
         "gr\xFCn\r\n"},
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
        EXPECT_EQ(test::ReadWholeFile(out), c.want);
        EXPECT_EQ(m_host.m_nBusyDepth, 0);
    }
}

TEST_F(ExportSelectedTest, LongSelectionsGoOutInManyWrites) {
    std::string bytes, want;
    for (int i = 0; i < 60000; ++i) {
        const std::string line = std::to_string(i) + std::string(40, 'x');
        bytes += line + "\n";
        if (i % 2 == 0) want += line + "\r\n";
    }
    ASSERT_TRUE(OpenBytes(bytes));
    Doc().BeginBulkSelect();
    for (uint32_t r = 0; r < 60000; r += 2) {
        Doc().SetLineSelected(r, true, nullptr);
        ++Doc().m_nSelected;
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
        ++Doc().m_nSelected;
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
    // Deleting takes only the export itself, not what replaced it meanwhile.
    const ExportResult again = ExportSelectedLines(Doc(), out);
    std::filesystem::rename(out, out + ".moved");
    m_dir.Write("out.txt", "someone else's");
    EXPECT_FALSE(RemovePartialExport(out, again));
}

} // namespace
} // namespace tervik
