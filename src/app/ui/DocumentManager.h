#pragma once

// The open documents of the viewer: opening a file or finding it open, the windows
// on each document, follow mode, and the recent-file list.

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace tervik {

class CChildFrame;
class CFollowWatcher;
class CTervikApp;
class CTervikDoc;
class CTervikView;

class CDocumentManager : public QObject {
public:
    explicit CDocumentManager(CTervikApp& app);
    ~CDocumentManager() override;

    // --- documents ---
    // A document, its window and view; null when the open failed. A file that is
    // already open (under any name that resolves to it) is not read again: its window
    // is activated and its document returned. bRecent false keeps the file out of
    // the recent-file list.
    CTervikDoc* OpenDocumentFile(const std::string& path, bool bRecent = true);
    // A command that needs every record of the document waits here for the end of its
    // cut (with progress). False: Escape stopped the waiting, the cut goes on; or the
    // cut failed and the document's windows close.
    bool WholeDocument(CTervikDoc& doc);
    // The same for every open document (saving a workspace, opening another file).
    bool AllDocumentsWhole();
    CChildFrame* CreateFrame(CTervikDoc& doc);
    const std::vector<CTervikDoc*>& Documents() const { return m_documents; }
    // Whether the document is still open (it has a window).
    bool IsOpenDocument(const CTervikDoc* pDoc) const;
    // The windows on a document, oldest first.
    const std::vector<CChildFrame*>& FramesOf(const CTervikDoc& doc) const;
    void FrameCreated(CChildFrame* pFrame);
    void FrameDestroyed(CChildFrame* pFrame);
    // The documents report themselves when they are made and deleted.
    void AddDocument(CTervikDoc* pDoc);
    void RemoveDocument(CTervikDoc* pDoc);
    // Deletes the documents left at the program's end (their windows have gone).
    void DeleteAll();
    // "Datei verfolgen": per document, off at open; all its windows show the state.
    void ToggleFollow(CTervikDoc& doc);
    bool IsFollowing(const CTervikDoc& doc) const { return m_follow.count(&doc) != 0; }

    // --- many windows at once ---
    // While a workspace loads, windows are made without being activated; the one
    // that would be active is remembered and activated once at the end.
    void BeginLoadingFrames();
    void SetLoadedActive(CChildFrame& frame, CTervikView* pView);
    void FinishLoadingFrames();

    // --- recent files ---
    // The list as the settings keep it: read at start, written at the end and once
    // after a workspace has loaded.
    void ReadRecentFiles();
    void WriteRecentFiles();
    const std::vector<std::string>& RecentFiles() const { return m_recentFiles; }
    // A file that is gone leaves the list.
    void OpenRecentFile(int nIndex);

private:
    void AddToRecentFileList(const std::string& path);
    CTervikDoc* FindOpenDocument(const std::string& resolvedPath) const;
    void ActivateDocument(CTervikDoc& doc);
    bool LoadingWorkspace() const;
    // Takes up what the running cuts found; closes the windows of a document whose
    // cut failed.
    void PollCuts();

    // Documents whose windows show text while their file is still cut.
    std::vector<CTervikDoc*> m_cutting;
    QTimer m_cutTimer;

    CTervikApp& m_app;
    std::vector<CTervikDoc*> m_documents;
    // The resolved path of every opened document, for finding it again.
    std::map<CTervikDoc*, std::string> m_openKeys;
    std::unordered_map<std::string, CTervikDoc*> m_docsByKey;
    // The windows on each document, oldest first: the document closes with its last.
    std::unordered_map<const CTervikDoc*, std::vector<CChildFrame*>> m_frames;
    // The documents in follow mode, each with its watcher.
    std::map<const CTervikDoc*, std::unique_ptr<CFollowWatcher>> m_follow;
    std::vector<std::string> m_recentFiles;
    std::vector<QPointer<CChildFrame>> m_loadFrames;
    QPointer<CChildFrame> m_pLoadActive;
    QPointer<CTervikView> m_pLoadActiveView;
    bool m_bLoadActivates = false;
    bool m_bLoadOnTop = false; // a window stays on top
};

} // namespace tervik
