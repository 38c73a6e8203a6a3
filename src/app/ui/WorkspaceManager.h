#pragma once

// The workspace of the running viewer: the four "Arbeitsplatz" commands, saving what
// is open, rebuilding it with windows, and closing it. The open workspace's path and
// flags stay on the application, where documents, windows and add-ons read them.

#include <cstdint>
#include <deque>
#include <string>
#include <utility>

namespace tervik {

class CCmdUI;
class CTervikApp;
class CTervikDoc;
class CWorkspaceWriter;

class CWorkspaceManager {
public:
    // A digest to compare once it is ready. A document is known by its address and
    // its name: a document closed meanwhile may leave its address to another file.
    struct PendingDigest {
        CTervikDoc* pDoc;
        std::string path;
        std::string md5;
    };

    explicit CWorkspaceManager(CTervikApp& app) : m_app(app) {}
    CWorkspaceManager(const CWorkspaceManager&) = delete;
    CWorkspaceManager& operator=(const CWorkspaceManager&) = delete;

    // The commands: open, save, save as, close; save and close need an open workspace.
    void OnOpen();
    void OnSave();
    void OnSaveAs();
    void OnClose();
    void OnUpdateCommand(CCmdUI& ui);

    // Reads the workspace the application names and rebuilds what it holds.
    void Load();
    // Writes the open documents and windows to the named workspace; false when the
    // file could not be written (the user has been told).
    bool Save();
    // Asks to save a changed workspace, closes every document and forgets it.
    void Close();

private:
    // Shows the failure of a workspace file; the unfinished temporary file of a
    // failed save may be deleted.
    void ReportError(uint32_t nCode, CWorkspaceWriter* pUnfinished = nullptr);
    // Digests still being computed after a load are compared when they are ready.
    void CheckDigestsLater();

    CTervikApp& m_app;
    std::deque<PendingDigest> m_pendingDigests;
};

} // namespace tervik
