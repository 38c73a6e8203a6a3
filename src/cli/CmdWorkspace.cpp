// The workspace subcommand: "show" reads a workspace as the viewer's loader does and
// prints what it would rebuild; "new" writes a workspace for a set of files.

#include "app/WorkspacePlayer.h"
#include "base/Strings.h"
#include "cli/CliDocument.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "platform/CodePage.h"
#include "platform/SysPaths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tervik::cli {

namespace {

// The place of a new document window in the viewer's default main window: the first
// window's cascade position with three quarters of its client area. Each further
// window sits this much further right and down, so none hides another.
constexpr WsRect kNewWindowRect{0, 600, 0, 900};
constexpr int32_t kNewWindowStep = 30;

WsRect NewWindowRect(uint64_t nIndex) {
    // Far beyond any screen long before the numbers could overflow.
    const int32_t nOffset = static_cast<int32_t>(std::min<uint64_t>(nIndex, 1000000) *
                                                 static_cast<uint64_t>(kNewWindowStep));
    return {kNewWindowRect.m_nTop + nOffset, kNewWindowRect.m_nBottom + nOffset,
            kNewWindowRect.m_nLeft + nOffset, kNewWindowRect.m_nRight + nOffset};
}

std::string AbsolutePath(const std::string& path) {
    // Through char8_t: the path is UTF-8 on every system, not the ANSI code page.
    std::error_code ec;
    const std::filesystem::path abs = std::filesystem::absolute(
        std::filesystem::path(std::u8string(path.begin(), path.end())), ec);
    if (ec) return path;
    const std::u8string text = abs.lexically_normal().u8string();
    return std::string(text.begin(), text.end());
}

std::string Slashed(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

template <typename T> void PutOptional(COutput& out, const std::optional<T>& v) {
    if (!v) {
        out.Put('-');
    } else if constexpr (std::is_signed_v<T>) {
        if (*v < 0) out.Put('-');
        out.PutNumber(*v < 0 ? 0 - static_cast<uint64_t>(*v) : static_cast<uint64_t>(*v));
    } else {
        out.PutNumber(*v);
    }
}

// A window the dry run made: the workspace IDs of its one or two panes, and the
// active one.
struct ShownWindow {
    uint64_t panes[2] = {0, 0};
    uint8_t nPanes = 1;
    uint8_t nActive = 0;
};

// A document the dry run opened, with its windows, oldest first.
struct ShownDocument {
    std::string path;
    OpenedFile file;
    std::vector<ShownWindow> windows;
};

struct IdentityHash {
    size_t operator()(const FileIdentity& id) const {
        return std::hash<uint64_t>()(id.m_nDevice * 0x9e3779b97f4a7c15ULL ^ id.m_nFile);
    }
};

// The documents of the run, found again by name or by file in constant time, and
// the views that carry each ID, so that no line walks all documents or windows.
class CShownDocuments {
public:
    ShownDocument* Find(const std::string& key, const std::optional<FileIdentity>& id) const {
        if (const auto it = m_byPath.find(key); it != m_byPath.end()) return it->second;
        if (id)
            if (const auto it = m_byId.find(*id); it != m_byId.end()) return it->second;
        return nullptr;
    }
    ShownDocument* Add(std::unique_ptr<ShownDocument> d, const std::optional<FileIdentity>& id) {
        ShownDocument* p = d.get();
        m_byPath.emplace(p->path, p);
        if (id) m_byId.emplace(*id, p);
        m_docs.push_back(std::move(d));
        return p;
    }
    // A new view; those the run makes get IDs no stored window has in practice.
    uint64_t NewView() {
        const uint64_t nId = m_nNextFreshId--;
        ++m_views[nId];
        return nId;
    }
    void SetViewId(uint64_t& nView, uint64_t nId) {
        if (--m_views[nView] == 0) m_views.erase(nView);
        nView = nId;
        ++m_views[nId];
    }
    bool HasView(uint64_t nId) const { return m_views.count(nId) != 0; }

private:
    std::vector<std::unique_ptr<ShownDocument>> m_docs;
    std::unordered_map<std::string, ShownDocument*> m_byPath;
    std::unordered_map<FileIdentity, ShownDocument*, IdentityHash> m_byId;
    std::unordered_map<uint64_t, int> m_views;
    uint64_t m_nNextFreshId = UINT64_MAX;
};

// The dry run's windows: each step of the loader printed as a line, the windows and
// panes kept as far as the view IDs need them.
class CShowTarget : public IWorkspaceTarget {
public:
    CShowTarget(const OpenArgs& open, COutput& out) : m_open(open), m_out(out) {}
    bool FailedDocument() const { return m_bFailedDocument; }

    bool OpenDocument(const std::string& path, const WsFileOpen& f) override {
        const std::string key = AbsolutePath(path);
        std::optional<FileIdentity> id;
        if (FileIdentity fid; PathIdentity(key, fid)) id = fid;
        m_pDoc = m_docs.Find(key, id);
        m_out.Put("open \"");
        m_out.Put(Slashed(key));
        if (!m_pDoc) {
            auto d = std::make_unique<ShownDocument>();
            int nExit = kExitOk;
            m_out.Flush();
            d->file = OpenFile(m_open, path, nExit);
            if (d->file.pDoc) {
                d->path = key;
                m_pDoc = m_docs.Add(std::move(d), id);
                m_pDoc->windows.push_back(ShownWindow{{m_docs.NewView(), 0}});
            } else {
                m_bFailedDocument = true;
            }
        }
        if (!m_pDoc) {
            m_out.Put("\" failed digest=-\n");
            return false;
        }
        m_out.Put("\" ok digest=");
        if (f.m_md5.empty()) {
            m_out.Put("-\n");
        } else if (SameWorkspaceDigest(f.m_md5, m_pDoc->file.pDoc->GetDigest())) {
            m_out.Put("same\n");
        } else {
            m_out.Put("changed\n");
            m_out.Flush();
            PrintMessage(ChangedFileMessage(path));
        }
        return true;
    }
    void TakeFirstWindow() override {
        m_nWindow = 0;
        m_nPane = 0;
    }
    void NewWindow() override {
        m_pDoc->windows.push_back(ShownWindow{{m_docs.NewView(), 0}});
        m_nWindow = m_pDoc->windows.size() - 1;
        m_nPane = 0;
    }
    void SplitWindow(int) override {
        // A window already split stays as it is; its active pane takes the line.
        ShownWindow& w = m_pDoc->windows[m_nWindow];
        if (w.nPanes < 2) {
            w.panes[w.nPanes++] = m_docs.NewView();
            w.nActive = 1;
        }
        m_nPane = w.nActive;
    }
    void PlaceWindow(const WsPlacement&) override {}
    void SetViewFields(const WsWindow& win) override {
        if (win.m_nId) m_docs.SetViewId(m_pDoc->windows[m_nWindow].panes[m_nPane], *win.m_nId);
        m_out.Put("window id=");
        PutOptional(m_out, win.m_nId);
        m_out.Put(" state=");
        m_out.Put(win.m_state ? *win.m_state : std::string("-"));
        m_out.Put(" line=");
        PutOptional(m_out, win.m_nLine);
        m_out.Put(" row=");
        PutOptional(m_out, win.m_nRow);
        m_out.Put(" dump=");
        PutOptional(m_out, win.m_nDump);
        m_out.Put(" view=");
        constexpr const char* kModes[] = {"TEXT", "HEX", "DUMP"};
        m_out.Put(win.m_nMode ? kModes[*win.m_nMode] : "-");
        m_out.Put(win.m_bHide ? " hide=on splitter=" : " hide=off splitter=");
        PutOptional(m_out, win.m_nSplitter);
        m_out.Put('\n');
    }
    void SelectRecord(const WsSelectRecord& s) override {
        if (!ApplySelectRecord(*m_pDoc->file.pDoc, s)) return;
        constexpr const char* kColours[] = {" blue\n", " red\n", " green\n"};
        m_out.Put("select ");
        m_out.PutNumber(s.m_nRecord);
        m_out.Put(kColours[s.m_nColour]);
    }
    bool HasView(uint64_t nId) override { return m_docs.HasView(nId); }
    void AddBookmark(const WsBookmark& b) override {
        m_out.Put("bookmark \"");
        m_out.Put(*b.m_text);
        m_out.Put("\" line=");
        m_out.PutNumber(*b.m_nLine);
        m_out.Put(" column=");
        m_out.PutNumber(*b.m_nColumn);
        m_out.Put(" len=");
        m_out.PutNumber(*b.m_nLen);
        m_out.Put(" view=");
        m_out.PutNumber(b.m_nViewId);
        m_out.Put(" flag=");
        m_out.PutNumber(b.m_nFlag);
        m_out.Put('\n');
    }
    void DropBookmark() override { m_out.Put("bookmark dropped\n"); }
    void ActivateView(uint64_t nId) override {
        m_out.Put("active ");
        m_out.PutNumber(nId);
        m_out.Put('\n');
    }

private:
    const OpenArgs& m_open;
    COutput& m_out;
    CShownDocuments m_docs;
    ShownDocument* m_pDoc = nullptr; // D
    size_t m_nWindow = 0;            // F, among D's windows
    size_t m_nPane = 0;              // V, among F's panes
    bool m_bFailedDocument = false;
};

int RunShow(const OpenArgs& open, const std::string& workspacePath) {
    const std::string workspace = AbsolutePath(workspacePath);
    CWorkspaceReader reader;
    uint32_t nError = 0;
    if (!reader.Open(workspace, nError)) {
        PrintMessage(ProcessingErrorText(workspace, nError));
        return kExitFailure;
    }
    COutput out;
    CShowTarget target(open, out);
    CWorkspacePlayer player(target, workspace);
    const CWorkspacePlayer::Result r = player.Play(reader);
    out.Flush();
    if (r.m_eOutcome == CWorkspacePlayer::kReadError) {
        PrintMessage(ProcessingErrorText(workspace, r.m_nError));
        return kExitFailure;
    }
    if (r.m_eOutcome == CWorkspacePlayer::kForeign) {
        PrintMessage(FormatString(IDS_NOT_A_WORKSPACE, PathToAnsi(workspace).c_str()));
        return kExitFailure;
    }
    // Each document that failed has given its own message.
    return target.FailedDocument() ? kExitFailure : kExitOk;
}

int RunNew(const OpenArgs& open, const std::optional<std::string>& script,
           const std::string& outPath, const std::vector<std::string>& files) {
    std::vector<std::string> paths;
    std::unordered_set<std::string> seen;
    for (const std::string& file : files) {
        const std::string abs = AbsolutePath(file);
        if (seen.insert(abs).second) paths.push_back(abs);
    }
    const std::string workspace = AbsolutePath(outPath);
    // Names the workspace cannot hold are refused before any file is read.
    if (const auto refusal = WorkspaceNamesRefusal(workspace, paths)) {
        PrintMessage(*refusal);
        return kExitFailure;
    }
    std::string text;
    uint64_t k = 0;
    for (const std::string& path : paths) {
        int nExit = kExitOk;
        OpenedFile f = OpenFile(open, path, nExit);
        if (!f.pDoc) return nExit;
        if (script && !PlayScriptForCli(f, *script)) return kExitFailure;
        const auto saveStart = std::chrono::steady_clock::now();
        WsDocument d;
        d.m_pDoc = f.pDoc.get();
        WsWindow& win = d.m_windows.emplace_back();
        win.m_position = NewWindowRect(k);
        win.m_nId = ++k;
        win.m_state = "NORMAL";
        win.m_nLine = 0;
        win.m_nRow = 0;
        win.m_nDump = 0;
        win.m_nMode = 0;
        AppendWorkspaceDocument(workspace, d, f.pHost->Colours(), text);
        // What saving this document costs: the digest and the selected lines.
        f.PrintTiming("save", saveStart);
    }
    text += WorkspaceActiveLine(1);

    // The old workspace is replaced only by a whole new one; a failed write leaves it
    // as it was and takes its temporary file away.
    CWorkspaceWriter writer;
    if (writer.Create(workspace) && writer.Put(text) && writer.Commit()) return kExitOk;
    PrintMessage(ProcessingErrorText(writer.TempPath().empty() ? workspace : writer.TempPath(),
                                     writer.LastError()));
    writer.Discard();
    return kExitFailure;
}

} // namespace

int RunWorkspace(CArgs& args) {
    const OpenArgs open = TakeOpenArgs(args);
    const std::optional<std::string> script = args.TakeValue("--select");
    const std::vector<std::string> rest = args.Positionals();
    const bool bShow = !rest.empty() && rest[0] == "show";
    const bool bNew = !rest.empty() && rest[0] == "new";
    if (!args.HasError()) {
        if (bShow && rest.size() != 2)
            args.SetError(rest.size() < 2 ? "Aufruf: workspace show W.tervik"
                                          : "Zu viele Argumente.");
        else if (bNew && rest.size() < 3)
            args.SetError("Aufruf: workspace new AUS.tervik DATEI... [--select SKRIPT]");
        else if (!bShow && !bNew)
            args.SetError("Aufruf: workspace show W.tervik | workspace new AUS.tervik DATEI...");
        else if (bShow && script)
            args.SetError("--select gehört zu workspace new.");
    }
    if (args.HasError()) return UsageError(Utf8ToCp1252(args.Error()));
    if (bShow) return RunShow(open, rest[1]);
    return RunNew(open, script, rest[1], std::vector<std::string>(rest.begin() + 2, rest.end()));
}

} // namespace tervik::cli
