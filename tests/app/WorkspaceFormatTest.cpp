#include "app/WorkspaceFormat.h"

#include "../document/FakeDocumentHost.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tervik {
namespace {

// Reads every line of a workspace text and writes each parsed command again.
std::string Rewrite(std::string_view text) {
    std::string out;
    for (const std::string& line : CWorkspaceReader::SplitLines(text)) {
        const WorkspaceLine ws = ParseWorkspaceLine(line);
        switch (ws.m_eKind) {
        case WorkspaceLine::kFileOpen:
            out += WorkspaceFileOpenLine(ws.m_fileOpen);
            break;
        case WorkspaceLine::kWindows:
            out += WorkspaceWindowLine(ws.m_window);
            break;
        case WorkspaceLine::kSelectRecord: {
            // The writer leaves out the key only for a colour no setting has.
            out += WorkspaceSelectLine(ws.m_select.m_nRecord, ws.m_select.m_nColour);
            break;
        }
        case WorkspaceLine::kBookmark:
            out += WorkspaceBookmarkLine(ws.m_bookmark);
            break;
        case WorkspaceLine::kActiveView:
            out += WorkspaceActiveLine(ws.m_nActiveId.value_or(0));
            break;
        case WorkspaceLine::kIgnored:
            break;
        }
    }
    return out;
}

TEST(WorkspaceFormat, EveryCommandReadsBackAsWritten) {
    const std::string text =
        "FILE_OPEN \"./logs/a b.log\",MD5=0123456789abcdef0123456789abcdef,RECSIZE=80,TAB=8\r\n"
        "WINDOWS ID=18446744073709551615,POSITION=(-4,300,-8,500),STATE=MAXIMIZED,POINT=(-4,-4),"
        "SPLITTER=120,LINE=4294967295,ROW=7,DUMP=-1,HIDE=ON,VIEW=DUMP\r\n"
        "WINDOWS ID=2,POSITION=(0,1,2,3),STATE=MINIMIZED,POINT=(5,6),SPLITTER=80,LINE=0,ROW=0,"
        "DUMP=9223372036854775807,VIEW=HEX\r\n"
        "WINDOWS ID=3,POSITION=(0,600,0,900),STATE=NORMAL,LINE=1,ROW=2,DUMP=3,VIEW=TEXT\r\n"
        "SELECT_RECORD 0,COLOR=BLUE\r\n"
        "SELECT_RECORD 4294967294,COLOR=GREEN\r\n"
        "SELECT_RECORD 17,COLOR=RED\r\n"
        "BOOKMARK TEXT=\"say \"\"hi\"\", LINE=5,\",LINE=1,COLUMN=2,LEN=3,ID=2,FLAG=1\r\n"
        "BOOKMARK TEXT=\"\",LINE=0,COLUMN=0,LEN=0,ID=0,FLAG=0\r\n"
        "FILE_OPEN \"/abs/b.log\",MD5=ffffffffffffffffffffffffffffffff,TAB=4\r\n"
        "ACTIVE_VIEW ID=3\r\n";
    EXPECT_EQ(Rewrite(text), text);

    const auto lines = CWorkspaceReader::SplitLines(text);
    const WorkspaceLine bm = ParseWorkspaceLine(lines[7]);
    ASSERT_EQ(bm.m_eKind, WorkspaceLine::kBookmark);
    EXPECT_EQ(bm.m_bookmark.m_text, "say \"hi\", LINE=5,");
    EXPECT_EQ(bm.m_bookmark.m_nLine, 1u);
    const WorkspaceLine win = ParseWorkspaceLine(lines[1]);
    EXPECT_EQ(win.m_window.m_position, (WsRect{-4, 300, -8, 500}));
    EXPECT_EQ(win.m_window.State(), WorkspaceState::kMaximized);
    EXPECT_EQ(win.m_window.m_nDump, -1);
}

TEST(WorkspaceFormat, ReaderRules) {
    struct Case {
        const char* line;
        WorkspaceLine::Kind kind;
    } cases[] = {
        {"select_record 5,color=RED", WorkspaceLine::kSelectRecord}, // command in any case
        {"SELECT_RECORD", WorkspaceLine::kIgnored},                  // no argument
        {"SELECT_RECORD   ", WorkspaceLine::kIgnored},
        {"SELECT_RECORD ,COLOR=RED", WorkspaceLine::kIgnored}, // no record number
        {"UNKNOWN ID=1", WorkspaceLine::kIgnored},
        {"ACTIVE_VIEW ID=4\rACTIVE_VIEW ID=5", WorkspaceLine::kActiveView},
        {"FILE_OPEN no-quote.log,MD5=1", WorkspaceLine::kFileOpen},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseWorkspaceLine(c.line).m_eKind, c.kind) << c.line;

    // Keys in upper case only; values any case; COLOR other than GREEN/RED is blue.
    EXPECT_EQ(ParseWorkspaceLine("SELECT_RECORD 5,color=RED").m_select.m_nColour, 0);
    EXPECT_EQ(ParseWorkspaceLine("SELECT_RECORD 5,COLOR=red").m_select.m_nColour, 1);
    EXPECT_EQ(ParseWorkspaceLine("SELECT_RECORD 5,COLOR=PINK").m_select.m_nColour, 0);
    // A record number beyond 32 bits must not wrap to a small record.
    EXPECT_EQ(ParseWorkspaceLine("SELECT_RECORD 4294967296").m_select.m_nRecord, UINT32_MAX);
    EXPECT_EQ(ParseWorkspaceLine("ACTIVE_VIEW ID=4\rACTIVE_VIEW ID=5").m_nActiveId, 4u);
    const WorkspaceLine noQuote = ParseWorkspaceLine("FILE_OPEN no-quote.log,MD5=1");
    EXPECT_FALSE(noQuote.m_bHasPath);
    // An unknown VIEW is not applied; STATE keeps its text.
    const WorkspaceLine w = ParseWorkspaceLine("WINDOWS VIEW=Hex,STATE=odd,HIDE=on");
    EXPECT_EQ(w.m_window.m_nMode, 1);
    EXPECT_EQ(w.m_window.State(), WorkspaceState::kOther);
    EXPECT_TRUE(w.m_window.m_bHide);
    EXPECT_FALSE(ParseWorkspaceLine("WINDOWS VIEW=PICTURE").m_window.m_nMode);
    // A bookmark's TEXT is cut to 255 bytes; one without LEN is dropped.
    const WorkspaceLine b =
        ParseWorkspaceLine("BOOKMARK TEXT=\"" + std::string(300, 'x') + "\",LINE=1,COLUMN=2");
    EXPECT_EQ(b.m_bookmark.m_text->size(), 255u);
    EXPECT_FALSE(b.m_bookmark.IsComplete());
}

TEST(WorkspaceFormat, LineEndsAndOverlongLines) {
    const std::string longLine = "BOOKMARK TEXT=\"" + std::string(kWorkspaceMaxLine, 'x') + "\"";
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF", "A 1\r\nB 2\r\n", {"A 1", "B 2"}},
        {"LF only, no end", "A 1\nB 2", {"A 1", "B 2"}},
        {"empty lines", "\n\r\nA 1\n", {"", "", "A 1"}},
        // The tail of an over-long line must not come back as a command of its own.
        {"over-long line skipped whole",
         "A 1\n" + longLine + "SELECT_RECORD 5\nB 2\n",
         {"A 1", "B 2"}},
        {"longest allowed line",
         std::string(kWorkspaceMaxLine, 'y') + "\r\n",
         {std::string(kWorkspaceMaxLine, 'y')}},
    };
    test::CTempDir dir;
    for (const Case& c : cases) {
        EXPECT_EQ(CWorkspaceReader::SplitLines(c.text), c.lines) << c.name;
        // The file reader cuts as the in-memory one.
        CWorkspaceReader reader;
        uint32_t nError = 0;
        ASSERT_TRUE(reader.Open(dir.Write("w.tervik", c.text), nError));
        std::vector<std::string> got;
        std::string line;
        while (reader.NextLine(line, nError) == CWorkspaceReader::kLine)
            got.push_back(line);
        EXPECT_EQ(got, c.lines) << c.name;
    }
    // What the writer produces never exceeds the limit.
    WsBookmark bm;
    bm.m_text = std::string(1000, '"');
    const std::string written = WorkspaceBookmarkLine(bm);
    EXPECT_LT(written.size(), kWorkspaceMaxLine);
    EXPECT_EQ(ParseWorkspaceLine(written).m_bookmark.m_text, std::string(255, '"'));
}

TEST(WorkspaceFormat, RelativePaths) {
    struct Case {
        const char* workspace;
        const char* path;
        char sep;
        bool caseBlind;
        const char* stored;
    } cases[] = {
        {"/data/w.tervik", "/data/a.log", '/', false, "./a.log"},
        {"/data/w.tervik", "/data/logs/x/a.log", '/', false, "./logs/x/a.log"},
        {"/data/w.tervik", "/other/a.log", '/', false, "/other/a.log"},
        // Only a whole folder name counts as the workspace's folder.
        {"/data/w.tervik", "/database/a.log", '/', false, "/database/a.log"},
        // Here folder names differ by case: a case-blind match would reopen another file.
        {"/data/Logs/w.tervik", "/data/logs/a.log", '/', false, "/data/logs/a.log"},
        {"/w.tervik", "/a/b.log", '/', false, "./a/b.log"},
        {"C:\\Data\\w.tervik", "c:\\data\\Sub\\a.log", '\\', true, ".\\Sub\\a.log"},
        {"C:\\Data\\w.tervik", "D:\\a.log", '\\', true, "D:\\a.log"},
        {"w.tervik", "/data/a.log", '/', false, "/data/a.log"},
    };
    for (const Case& c : cases) {
        const std::string stored = MakeRelativePathWith(c.workspace, c.path, c.sep, c.caseBlind);
        EXPECT_EQ(stored, c.stored) << c.workspace << " " << c.path;
        if (!c.caseBlind) {
            EXPECT_EQ(ResolveRelativePathWith(c.workspace, stored, c.sep), c.path);
        }
    }
    // A workspace moved with its files finds them in the new place, whichever system
    // wrote the separators.
    EXPECT_EQ(ResolveRelativePathWith("/moved/w.tervik", ".\\logs\\a.log", '/'),
              "/moved/logs/a.log");
    EXPECT_EQ(ResolveRelativePathWith("E:\\moved\\w.tervik", "./logs/a.log", '\\'),
              "E:\\moved\\logs\\a.log");
    EXPECT_EQ(ResolveRelativePathWith("w.tervik", "./a.log", '/'), "./a.log");
    EXPECT_EQ(ResolveRelativePathWith("/x/w.tervik", "../a.log", '/'), "../a.log");
}

TEST(WorkspaceFormat, DigestsAndTheChangedFileMessage) {
    EXPECT_TRUE(SameWorkspaceDigest("F049ab", "f049AB"));
    EXPECT_FALSE(SameWorkspaceDigest("f049ab", "f049a"));
    // Messages are cp1252; the name is UTF-8 and must not come out as two characters.
    EXPECT_EQ(ChangedFileMessage("/d/\xC3\x9C"
                                 "bung.log"),
              "Der Inhalt der Datei \"/d/\xDC"
              "bung.log\"\nhat sich in der Zwischenzeit "
              "ver\xE4ndert. ");
}

class WorkspaceDocTest : public test::CDocFixture {};

TEST_F(WorkspaceDocTest, SelectedLinesWrittenFromTheIndexAndAppliedOnce) {
    ASSERT_TRUE(OpenBytes("a\nb\nc\nd\ne\n"));
    const ColorSettings& c = m_host.Colours();
    for (const auto& [r, colour] : {std::pair{4u, 1}, {0u, 0}, {2u, 2}})
        ASSERT_TRUE(ApplySelectRecord(Doc(), WsSelectRecord{r, colour}));
    EXPECT_FALSE(ApplySelectRecord(Doc(), WsSelectRecord{5, 0})); // beyond the file
    EXPECT_EQ(Doc().SelectedCount(), 3u);
    // The same file listed twice: recoloured, not counted again.
    ASSERT_TRUE(ApplySelectRecord(Doc(), WsSelectRecord{0, 2}));
    EXPECT_EQ(Doc().SelectedCount(), 3u);
    std::string out;
    AppendSelectRecordLines(Doc(), c, out);
    EXPECT_EQ(out, "SELECT_RECORD 0,COLOR=GREEN\r\nSELECT_RECORD 2,COLOR=GREEN\r\n"
                   "SELECT_RECORD 4,COLOR=RED\r\n");
    // Deselecting leaves the index consistent with the count.
    ASSERT_TRUE(Doc().SetLineSelected(2, false, nullptr));
    out.clear();
    AppendSelectRecordLines(Doc(), c, out);
    EXPECT_EQ(out, "SELECT_RECORD 0,COLOR=GREEN\r\nSELECT_RECORD 4,COLOR=RED\r\n");
}

TEST_F(WorkspaceDocTest, EqualMarkerColoursAreWrittenAsGreen) {
    m_host.SetSetting("RedMarkerColor", "RGB(0,128,0)");
    m_host.ReloadColours();
    ASSERT_TRUE(OpenBytes("a\nb\n"));
    ASSERT_TRUE(ApplySelectRecord(Doc(), WsSelectRecord{0, 1}));
    ASSERT_TRUE(ApplySelectRecord(Doc(), WsSelectRecord{1, 2}));
    std::string out;
    AppendSelectRecordLines(Doc(), m_host.Colours(), out);
    EXPECT_EQ(out, "SELECT_RECORD 0,COLOR=GREEN\r\nSELECT_RECORD 1,COLOR=GREEN\r\n");
}

} // namespace
} // namespace tervik
