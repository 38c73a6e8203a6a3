// Workspace files: any bytes must read without harm, a command the writer wrote back
// from what was read must read as the same command (write, read, write again gives
// the same bytes), and the player must ask its target only what the reader allows.

#include "app/WorkspacePlayer.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tervik;

void Check(bool b) {
    if (!b) std::abort();
}

std::string Write(const WorkspaceLine& ws) {
    switch (ws.m_eKind) {
    case WorkspaceLine::kWindows:
        return WorkspaceWindowLine(ws.m_window);
    case WorkspaceLine::kSelectRecord:
        return WorkspaceSelectLine(ws.m_select.m_nRecord, ws.m_select.m_nColour);
    case WorkspaceLine::kBookmark:
        return WorkspaceBookmarkLine(ws.m_bookmark);
    case WorkspaceLine::kActiveView:
        return WorkspaceActiveLine(ws.m_nActiveId.value_or(0));
    default:
        return {};
    }
}

// Windows as far as their view IDs go; checks that every call fits the reader's
// state: a document before its windows, a window before its view fields.
class CCheckingTarget : public IWorkspaceTarget {
public:
    bool OpenDocument(const std::string& path, const WsFileOpen& f) override {
        Check(path.find('"') == std::string::npos && f.m_path.find('"') == std::string::npos);
        m_pDoc = nullptr;
        m_bWindow = false;
        m_bFirstTaken = false;
        // A name with '?' stands for a file that cannot be opened.
        if (path.find('?') != std::string::npos) return false;
        m_pDoc = &m_docs[path];
        if (m_pDoc->empty()) m_pDoc->push_back({NewView()});
        return true;
    }
    void TakeFirstWindow() override {
        Check(m_pDoc && !m_bFirstTaken && !m_bWindow);
        m_bFirstTaken = m_bWindow = true;
        m_nFrame = 0;
        m_nPane = 0;
    }
    void NewWindow() override {
        Check(m_pDoc && m_bFirstTaken && !m_bWindow);
        m_bWindow = true;
        m_pDoc->push_back({NewView()});
        m_nFrame = m_pDoc->size() - 1;
        m_nPane = 0;
    }
    void SplitWindow(int nUpper) override {
        Check(m_pDoc && m_bFirstTaken && !m_bWindow && nUpper >= 2 && nUpper <= 100002);
        m_bWindow = true;
        m_bSplit = true;
        std::vector<uint64_t>& panes = (*m_pDoc)[m_nFrame];
        if (panes.size() < 2) panes.push_back(NewView());
        m_nPane = panes.size() - 1;
    }
    void PlaceWindow(const WsPlacement& place) override {
        Check(m_pDoc && m_bWindow && !m_bSplit && place.m_eState != WorkspaceState::kOther);
        Check(place.m_eState != WorkspaceState::kNormal || !place.m_point);
    }
    void SetViewFields(const WsWindow& w) override {
        Check(m_pDoc && m_bWindow);
        Check(!w.m_nMode || (*w.m_nMode >= 0 && *w.m_nMode <= 2));
        m_bWindow = false;
        m_bSplit = false;
        if (w.m_nId) {
            uint64_t& nView = (*m_pDoc)[m_nFrame][m_nPane];
            if (--m_views[nView] == 0) m_views.erase(nView);
            nView = *w.m_nId;
            ++m_views[nView];
        }
    }
    void SelectRecord(const WsSelectRecord& s) override {
        Check(m_pDoc && !m_bWindow && s.m_nColour >= 0 && s.m_nColour <= 2);
    }
    bool HasView(uint64_t nId) override { return m_views.count(nId) != 0; }
    void AddBookmark(const WsBookmark& b) override {
        Check(m_pDoc && !m_bWindow && b.IsComplete());
        Check(b.m_text->size() <= kWorkspaceMaxBookmarkText);
        Check(b.m_nViewId == 0 || HasView(b.m_nViewId));
    }
    void DropBookmark() override { Check(m_pDoc && !m_bWindow); }
    void ActivateView(uint64_t nId) override { Check(!m_bWindow && HasView(nId)); }

private:
    uint64_t NewView() {
        ++m_views[m_nFresh];
        return m_nFresh--;
    }
    // Per document its windows, per window the IDs of its panes.
    std::map<std::string, std::vector<std::vector<uint64_t>>> m_docs;
    std::map<uint64_t, int> m_views;
    uint64_t m_nFresh = UINT64_MAX;
    std::vector<std::vector<uint64_t>>* m_pDoc = nullptr;
    size_t m_nFrame = 0, m_nPane = 0;
    bool m_bFirstTaken = false; // the first WINDOWS line of the document was played
    bool m_bWindow = false;     // a window was made for a line whose view fields are due
    bool m_bSplit = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CCheckingTarget target;
    CWorkspacePlayer player(target, "/ws/w.tervik");
    for (const std::string& line : CWorkspaceReader::SplitLines(input)) {
        Check(line.size() <= kWorkspaceMaxLine);
        Check(line.find('\n') == std::string::npos);
        player.PlayLine(line);
        const WorkspaceLine ws = ParseWorkspaceLine(line);
        Check(ws.m_select.m_nColour >= 0 && ws.m_select.m_nColour <= 2);
        Check(!ws.m_window.m_nMode || (*ws.m_window.m_nMode >= 0 && *ws.m_window.m_nMode <= 2));
        Check(!ws.m_bookmark.m_text || ws.m_bookmark.m_text->size() <= kWorkspaceMaxBookmarkText);
        if (ws.m_eKind == WorkspaceLine::kFileOpen && ws.m_bHasPath)
            Check(ws.m_fileOpen.m_path.find('"') == std::string::npos);

        const std::string first = Write(ws);
        if (first.empty()) continue;
        Check(first.ends_with("\r\n") && first.size() <= kWorkspaceMaxLine);
        const auto again = CWorkspaceReader::SplitLines(first);
        Check(again.size() == 1);
        const WorkspaceLine back = ParseWorkspaceLine(again[0]);
        Check(back.m_eKind == ws.m_eKind);
        Check(Write(back) == first);
    }
    return 0;
}
