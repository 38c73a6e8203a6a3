#include "app/WorkspacePlayer.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tervik {
namespace {

// The workspace's folder with the system's separator, as the player resolves "./" names.
#ifdef _WIN32
const std::string kWs = "/ws\\";
#else
const std::string kWs = "/ws/";
#endif

// The expected calls name the folder as "/ws/".
std::string Native(std::string calls) {
    for (size_t n = calls.find("/ws/"); n != std::string::npos; n = calls.find("/ws/", n + 1))
        calls.replace(n, 4, kWs);
    return calls;
}

// Writes down every call; a file whose name holds "missing" cannot be opened, and
// the views are those the lines gave an ID.
class CRecordingTarget : public IWorkspaceTarget {
public:
    std::string m_log;
    std::set<uint64_t> m_views;
    int m_nLinesLeft = -1; // lines until Escape; negative: never

    bool KeepGoing(uint64_t, uint64_t) override { return m_nLinesLeft-- != 0; }
    bool OpenDocument(const std::string& path, const WsFileOpen& f) override {
        const bool bOpened = path.find("missing") == std::string::npos;
        Put("open " + path + (f.m_md5.empty() ? "" : " md5=" + f.m_md5) +
            (bOpened ? "" : " failed"));
        return bOpened;
    }
    void TakeFirstWindow() override { Put("first"); }
    void NewWindow() override { Put("new"); }
    void SplitWindow(int nUpper) override { Put("split " + std::to_string(nUpper)); }
    void PlaceWindow(const WsPlacement& p) override {
        static const char* const kStates[] = {"normal", "max", "min"};
        std::string s = std::string("place ") + kStates[static_cast<int>(p.m_eState)];
        if (p.m_rect) s += " rect";
        if (p.m_point) s += " " + std::to_string(p.m_point->m_nX);
        Put(s);
    }
    void SetViewFields(const WsWindow& w) override {
        if (w.m_nId) m_views.insert(*w.m_nId);
        Put("view " + (w.m_nId ? std::to_string(*w.m_nId) : "-"));
    }
    void SelectRecord(const WsSelectRecord& s) override {
        Put("select " + std::to_string(s.m_nRecord) + "/" + std::to_string(s.m_nColour));
    }
    bool HasView(uint64_t nId) override { return m_views.count(nId) != 0; }
    void AddBookmark(const WsBookmark& b) override {
        Put("bookmark " + *b.m_text + " view=" + std::to_string(b.m_nViewId));
    }
    void DropBookmark() override { Put("dropped"); }
    void ActivateView(uint64_t nId) override { Put("active " + std::to_string(nId)); }

private:
    void Put(const std::string& s) { m_log += (m_log.empty() ? "" : "; ") + s; }
};

std::string Play(const std::string& text) {
    CRecordingTarget target;
    CWorkspacePlayer player(target, kWs + "w.tervik");
    for (const std::string& line : CWorkspaceReader::SplitLines(text))
        player.PlayLine(line);
    return target.m_log;
}

TEST(WorkspacePlayer, LinesBecomeTheReadersSteps) {
    struct Case {
        const char* name;
        std::string text;
        std::string calls;
    } cases[] = {
        {"a document with a split window, a second window, selections and bookmarks",
         "FILE_OPEN \"./a.log\",MD5=AB\r\n"
         "WINDOWS ID=1,POSITION=(1,2,3,4),STATE=MAXIMIZED,POINT=(7,8),SPLITTER=100\r\n"
         "WINDOWS ID=2,SPLITTER=50,STATE=NORMAL\r\n"
         "WINDOWS ID=3,STATE=MINIMIZED,POINT=(9,9)\r\n"
         "SELECT_RECORD 4,COLOR=RED\r\n"
         "BOOKMARK TEXT=\"b\",LINE=1,COLUMN=0,LEN=2,ID=2\r\n"
         "BOOKMARK TEXT=\"lost\",LINE=1,COLUMN=0,LEN=2,ID=99\r\n"
         "BOOKMARK TEXT=\"half\",LINE=1\r\n"
         "ACTIVE_VIEW ID=3\r\n",
         "open /ws/a.log md5=AB; first; place max rect 7; view 1; split 102; view 2; new; "
         "place min 9; view 3; select 4/1; bookmark b view=2; bookmark lost view=0; dropped; "
         "active 3"},
        // Up to the next FILE_OPEN nothing is made; the views made before still count.
        {"a document that cannot be opened",
         "FILE_OPEN \"/x/a.log\"\nWINDOWS ID=5\nFILE_OPEN \"/x/missing.log\"\nWINDOWS ID=6\n"
         "SELECT_RECORD 1\nBOOKMARK TEXT=\"t\",LINE=0,COLUMN=0,LEN=1\nACTIVE_VIEW ID=6\n"
         "ACTIVE_VIEW ID=5\n",
         "open /x/a.log; first; view 5; open /x/missing.log failed; active 5"},
        {"a path without quotes opens nothing", "FILE_OPEN a.log\nWINDOWS ID=1\nSELECT_RECORD 0\n",
         ""},
        // A split's two lines may straddle a FILE_OPEN: the counter is not reset.
        {"the split counter runs on over documents",
         "FILE_OPEN \"/a\"\nWINDOWS ID=1,SPLITTER=10\nFILE_OPEN \"/b\"\nWINDOWS ID=2\n"
         "WINDOWS ID=3,SPLITTER=20\n",
         "open /a; first; view 1; open /b; first; view 2; split 12; view 3"},
        {"a third pane line begins a new window",
         "FILE_OPEN \"/a\"\nWINDOWS ID=1,SPLITTER=10\nFILE_OPEN \"/b\"\n"
         "WINDOWS ID=2,SPLITTER=20\nWINDOWS ID=3,SPLITTER=30\nWINDOWS ID=4,SPLITTER=40\n",
         "open /a; first; view 1; open /b; first; view 2; new; view 3; new; view 4"},
        {"only a known state places a window",
         "FILE_OPEN \"/a\"\nWINDOWS ID=1,STATE=odd\nWINDOWS POSITION=(1,2,3,4)\n"
         "WINDOWS STATE=NORMAL,POINT=(5,5)\n",
         "open /a; first; view 1; new; view -; new; place normal; view -"},
        {"ignored lines and absurd values",
         "NONSENSE 1\nFILE_OPEN\nWINDOWS ID=1\nACTIVE_VIEW ID=x\nACTIVE_VIEW\n"
         "FILE_OPEN \"/a\"\nWINDOWS ID=1,SPLITTER=999999999\nWINDOWS SPLITTER=-5\n",
         "open /a; first; view 1; split 100002; view -"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Play(c.text), Native(c.calls)) << c.name;
}

TEST(WorkspacePlayer, AFileIsPlayedToItsEndOrUntilStopped) {
    test::CTempDir dir;
    struct Case {
        const char* text;
        int nStopAfter;
        CWorkspacePlayer::Outcome outcome;
        const char* calls;
    } cases[] = {
        {"", -1, CWorkspacePlayer::kDone, ""},
        {"FILE_OPEN \"/a\"\r\nWINDOWS ID=1\r\n", -1, CWorkspacePlayer::kDone,
         "open /a; first; view 1"},
        {"FILE_OPEN \"/a\"\r\nWINDOWS ID=1\r\n", 1, CWorkspacePlayer::kStopped, "open /a"},
        // A log chosen by mistake is no workspace, even if it mentions one.
        {"2026-01-01 FILE_OPEN failed\n", -1, CWorkspacePlayer::kForeign, ""},
        {"FILE_OPEN\n", -1, CWorkspacePlayer::kDone, ""},
    };
    for (const Case& c : cases) {
        CWorkspaceReader in;
        uint32_t nError = 0;
        ASSERT_TRUE(in.Open(dir.Write("w.tervik", c.text), nError));
        CRecordingTarget target;
        target.m_nLinesLeft = c.nStopAfter;
        CWorkspacePlayer player(target, kWs + "w.tervik");
        EXPECT_EQ(player.Play(in).m_eOutcome, c.outcome) << c.text;
        EXPECT_EQ(target.m_log, Native(c.calls)) << c.text;
    }
}

} // namespace
} // namespace tervik
