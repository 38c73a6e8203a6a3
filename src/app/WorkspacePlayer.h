#pragma once

// Rebuilding a workspace from its lines, without windows: the player keeps the
// reader's state (current document, window index, the panes of a split window) and
// tells a target what to make. The viewer's target makes windows; the command line's
// dry run prints what would be made.

#include "app/WorkspaceFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tervik {

// Where a window goes: only a known state places it.
struct WsPlacement {
    WorkspaceState m_eState = WorkspaceState::kNormal; // never kOther
    std::optional<WsRect> m_rect;                      // the normal rectangle
    std::optional<WsPoint> m_point;                    // maximized or minimized position
};

// What the player asks for. The target keeps the current document D, its current
// window F and view V; every call after a successful OpenDocument is about D.
class IWorkspaceTarget {
public:
    virtual ~IWorkspaceTarget() = default;
    // Before each line, with the bytes read so far: false stops (Escape).
    virtual bool KeepGoing(uint64_t /*nRead*/, uint64_t /*nSize*/) { return true; }
    // FILE_OPEN: opens path (already resolved against the workspace), or finds it open;
    // it becomes D. The stored digest is in f. False when it could not be opened (the
    // target has said why); the lines up to the next FILE_OPEN are then skipped.
    virtual bool OpenDocument(const std::string& path, const WsFileOpen& f) = 0;
    // The first WINDOWS line of D: V = D's first view, F = its window.
    virtual void TakeFirstWindow() = 0;
    // A further window on D, modelled on F and shown activated: V = its view.
    virtual void NewWindow() = 0;
    // Splits F into two rows, the upper one nUpper pixels high; V = F's active view
    // (the new lower pane when the split could be made).
    virtual void SplitWindow(int nUpper) = 0;
    virtual void PlaceWindow(const WsPlacement& place) = 0;
    // Every WINDOWS line of D ends here: ID, LINE, ROW, DUMP, VIEW and HIDE for V.
    virtual void SetViewFields(const WsWindow& w) = 0;
    virtual void SelectRecord(const WsSelectRecord& s) = 0;
    // Whether a view carries that ID now.
    virtual bool HasView(uint64_t nId) = 0;
    // A complete bookmark for D; its view ID is 0 when no view carries the stored one.
    virtual void AddBookmark(const WsBookmark& b) = 0;
    // A bookmark line of D that lacks TEXT, LINE, COLUMN or LEN.
    virtual void DropBookmark() {}
    // ACTIVE_VIEW naming a view that HasView found.
    virtual void ActivateView(uint64_t nId) = 0;
};

class CWorkspacePlayer {
public:
    enum Outcome {
        kDone,      // all lines read
        kReadError, // reading failed (error code in the result)
        kStopped,   // the target said stop
        kForeign    // bytes, but no workspace line: not a workspace
    };
    struct Result {
        Outcome m_eOutcome = kDone;
        uint32_t m_nError = 0;
    };

    // workspace: the workspace file's path, which relative document names are
    // resolved against.
    CWorkspacePlayer(IWorkspaceTarget& target, std::string workspace);

    // Plays every line of an opened file.
    Result Play(CWorkspaceReader& in);
    // Plays one line (its line end may still be there).
    void PlayLine(std::string_view line);
    // Whether some line's command word was a workspace keyword.
    bool SawKeyword() const { return m_bKeyword; }

private:
    void FileOpen(const WorkspaceLine& cmd);
    void Window(const WsWindow& w);
    void Bookmark(const WsBookmark& b);

    IWorkspaceTarget& m_target;
    std::string m_workspace;
    bool m_bDocument = false; // there is a current document D
    uint64_t m_nWindow = 0;   // w: WINDOWS lines of D so far
    int m_nSplit = 0;         // n: panes of a split window seen; FILE_OPEN keeps it
    int m_nUpper = 0;         // h: the upper row's height for the split to come
    bool m_bKeyword = false;
};

// The placement a WINDOWS line asks for; none without STATE or with an unknown one.
std::optional<WsPlacement> PlacementOf(const WsWindow& w);

} // namespace tervik
