#include "app/WorkspacePlayer.h"

#include <algorithm>
#include <utility>

namespace tervik {

namespace {

// The upper row of a split window is made 2 pixels taller than stored; an absurd
// height is cut to what any screen could show.
int UpperRowHeight(int64_t nStored) {
    return static_cast<int>(std::clamp<int64_t>(nStored, 0, 100000)) + 2;
}

} // namespace

std::optional<WsPlacement> PlacementOf(const WsWindow& w) {
    const std::optional<WorkspaceState> state = w.State();
    if (!state || *state == WorkspaceState::kOther) return std::nullopt;
    WsPlacement p;
    p.m_eState = *state;
    p.m_rect = w.m_position;
    if (*state != WorkspaceState::kNormal) p.m_point = w.m_point;
    return p;
}

CWorkspacePlayer::CWorkspacePlayer(IWorkspaceTarget& target, std::string workspace)
    : m_target(target), m_workspace(std::move(workspace)) {}

CWorkspacePlayer::Result CWorkspacePlayer::Play(CWorkspaceReader& in) {
    Result r;
    std::string line;
    for (;;) {
        const CWorkspaceReader::Result read = in.NextLine(line, r.m_nError);
        if (read == CWorkspaceReader::kError) {
            r.m_eOutcome = kReadError;
            return r;
        }
        if (read == CWorkspaceReader::kEnd) break;
        if (!m_target.KeepGoing(in.BytesRead(), in.FileSize())) {
            r.m_eOutcome = kStopped;
            return r;
        }
        PlayLine(line);
    }
    if (IsForeignToWorkspace(in.BytesRead(), m_bKeyword)) r.m_eOutcome = kForeign;
    return r;
}

void CWorkspacePlayer::PlayLine(std::string_view line) {
    const WorkspaceLine cmd = ParseWorkspaceLine(line);
    m_bKeyword = m_bKeyword || cmd.m_bKeyword;
    switch (cmd.m_eKind) {
    case WorkspaceLine::kFileOpen:
        FileOpen(cmd);
        break;
    case WorkspaceLine::kWindows:
        if (m_bDocument) Window(cmd.m_window);
        break;
    case WorkspaceLine::kSelectRecord:
        if (m_bDocument) m_target.SelectRecord(cmd.m_select);
        break;
    case WorkspaceLine::kBookmark:
        if (m_bDocument) Bookmark(cmd.m_bookmark);
        break;
    case WorkspaceLine::kActiveView:
        // A view of any document: the last FILE_OPEN may have failed.
        if (cmd.m_nActiveId && m_target.HasView(*cmd.m_nActiveId))
            m_target.ActivateView(*cmd.m_nActiveId);
        break;
    case WorkspaceLine::kIgnored:
        break;
    }
}

void CWorkspacePlayer::FileOpen(const WorkspaceLine& cmd) {
    m_bDocument = false;
    m_nWindow = 0;
    if (!cmd.m_bHasPath) return;
    m_bDocument = m_target.OpenDocument(ResolveRelativePath(m_workspace, cmd.m_fileOpen.m_path),
                                        cmd.m_fileOpen);
}

void CWorkspacePlayer::Window(const WsWindow& w) {
    const std::optional<WsPlacement> place = PlacementOf(w);
    if (m_nWindow == 0) {
        // The window that opening made.
        m_target.TakeFirstWindow();
        if (place) m_target.PlaceWindow(*place);
        if (w.m_nSplitter) {
            ++m_nSplit;
            m_nUpper = UpperRowHeight(*w.m_nSplitter);
        }
    } else {
        bool bNewWindow = true;
        if (w.m_nSplitter) {
            ++m_nSplit;
            if (m_nSplit == 2) {
                // The lower pane of the window the line before began.
                m_target.SplitWindow(m_nUpper);
                m_nSplit = 0;
                bNewWindow = false;
            } else if (m_nSplit == 1) {
                m_nUpper = UpperRowHeight(*w.m_nSplitter);
            }
        }
        if (bNewWindow) {
            m_target.NewWindow();
            if (place) m_target.PlaceWindow(*place);
        }
    }
    m_target.SetViewFields(w);
    ++m_nWindow;
}

void CWorkspacePlayer::Bookmark(const WsBookmark& b) {
    if (!b.IsComplete()) {
        m_target.DropBookmark();
        return;
    }
    WsBookmark found = b;
    if (found.m_nViewId && !m_target.HasView(found.m_nViewId)) found.m_nViewId = 0;
    m_target.AddBookmark(found);
}

} // namespace tervik
