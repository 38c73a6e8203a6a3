// The workspace subcommand: "show" reads a workspace as the viewer's loader does and
// prints what it would rebuild; "new" writes a workspace for a set of files.

#include "app/WorkspaceFormat.h"
#include "base/Strings.h"
#include "cli/CliDocument.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "platform/CodePage.h"
#include "platform/SysPaths.h"

#include <algorithm>
#include <cctype>
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

bool SameDigest(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
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

// A document the dry run opened, with the workspace IDs of its views.
struct ShownDocument {
    std::string path;
    OpenedFile file;
    std::vector<uint64_t> views;
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
    void AddView(ShownDocument& d, uint64_t nId) {
        d.views.push_back(nId);
        ++m_views[nId];
    }
    void SetViewId(ShownDocument& d, size_t nView, uint64_t nId) {
        if (--m_views[d.views[nView]] == 0) m_views.erase(d.views[nView]);
        d.views[nView] = nId;
        ++m_views[nId];
    }
    bool HasView(uint64_t nId) const { return m_views.count(nId) != 0; }

private:
    std::vector<std::unique_ptr<ShownDocument>> m_docs;
    std::unordered_map<std::string, ShownDocument*> m_byPath;
    std::unordered_map<FileIdentity, ShownDocument*, IdentityHash> m_byId;
    std::unordered_map<uint64_t, int> m_views;
};

int RunShow(const OpenArgs& open, const std::string& workspacePath) {
    const std::string workspace = AbsolutePath(workspacePath);
    CWorkspaceReader reader;
    uint32_t nError = 0;
    if (!reader.Open(workspace, nError)) {
        PrintMessage(ProcessingErrorText(workspace, nError));
        return kExitFailure;
    }
    CShownDocuments docs;
    ShownDocument* pDoc = nullptr;
    size_t w = 0;
    int n = 0; // panes of a split window seen so far; FILE_OPEN does not reset it
    bool bKeyword = false;
    bool bFailedDocument = false;
    // Views made by the run get IDs no stored window has in practice.
    uint64_t nNextFreshId = UINT64_MAX;
    COutput out;
    std::string line;
    for (;;) {
        const auto result = reader.NextLine(line, nError);
        if (result == CWorkspaceReader::kEnd) break;
        if (result == CWorkspaceReader::kError) {
            out.Flush();
            PrintMessage(ProcessingErrorText(workspace, nError));
            return kExitFailure;
        }
        const WorkspaceLine ws = ParseWorkspaceLine(line);
        bKeyword = bKeyword || ws.m_bKeyword;
        switch (ws.m_eKind) {
        case WorkspaceLine::kFileOpen: {
            pDoc = nullptr;
            if (!ws.m_bHasPath) break;
            const std::string path = ResolveRelativePath(workspace, ws.m_fileOpen.m_path);
            const std::string key = AbsolutePath(path);
            std::optional<FileIdentity> id;
            if (FileIdentity fid; PathIdentity(key, fid)) id = fid;
            pDoc = docs.Find(key, id);
            out.Put("open \"");
            out.Put(Slashed(key));
            if (!pDoc) {
                auto d = std::make_unique<ShownDocument>();
                int nExit = kExitOk;
                out.Flush();
                d->file = OpenFile(open, path, nExit);
                if (d->file.pDoc) {
                    d->path = key;
                    pDoc = docs.Add(std::move(d), id);
                    docs.AddView(*pDoc, nNextFreshId--);
                } else {
                    bFailedDocument = true;
                }
            }
            w = 0;
            if (!pDoc) {
                out.Put("\" failed digest=-\n");
                break;
            }
            out.Put("\" ok digest=");
            if (ws.m_fileOpen.m_md5.empty()) {
                out.Put("-\n");
            } else if (SameDigest(ws.m_fileOpen.m_md5, pDoc->file.pDoc->GetDigest())) {
                out.Put("same\n");
            } else {
                out.Put("changed\n");
                out.Flush();
                PrintMessage(FormatString(IDS_FILE_CHANGED, PathToAnsi(path).c_str()));
            }
            break;
        }
        case WorkspaceLine::kWindows: {
            if (!pDoc) break;
            const WsWindow& win = ws.m_window;
            size_t nView = 0;
            if (w == 0) {
                if (win.m_nSplitter) ++n;
            } else {
                // The second pane of a split window is a new view as well.
                if (win.m_nSplitter && ++n == 2) n = 0;
                docs.AddView(*pDoc, nNextFreshId--);
                nView = pDoc->views.size() - 1;
            }
            if (win.m_nId) docs.SetViewId(*pDoc, nView, *win.m_nId);
            ++w;
            out.Put("window id=");
            PutOptional(out, win.m_nId);
            out.Put(" state=");
            out.Put(win.m_state ? *win.m_state : std::string("-"));
            out.Put(" line=");
            PutOptional(out, win.m_nLine);
            out.Put(" row=");
            PutOptional(out, win.m_nRow);
            out.Put(" dump=");
            PutOptional(out, win.m_nDump);
            out.Put(" view=");
            constexpr const char* kModes[] = {"TEXT", "HEX", "DUMP"};
            out.Put(win.m_nMode ? kModes[*win.m_nMode] : "-");
            out.Put(win.m_bHide ? " hide=on splitter=" : " hide=off splitter=");
            PutOptional(out, win.m_nSplitter);
            out.Put('\n');
            break;
        }
        case WorkspaceLine::kSelectRecord: {
            if (!pDoc || !ApplySelectRecord(*pDoc->file.pDoc, ws.m_select)) break;
            constexpr const char* kColours[] = {" blue\n", " red\n", " green\n"};
            out.Put("select ");
            out.PutNumber(ws.m_select.m_nRecord);
            out.Put(kColours[ws.m_select.m_nColour]);
            break;
        }
        case WorkspaceLine::kBookmark: {
            if (!pDoc) break;
            const WsBookmark& b = ws.m_bookmark;
            if (!b.IsComplete()) {
                out.Put("bookmark dropped\n");
                break;
            }
            out.Put("bookmark \"");
            out.Put(*b.m_text);
            out.Put("\" line=");
            out.PutNumber(*b.m_nLine);
            out.Put(" column=");
            out.PutNumber(*b.m_nColumn);
            out.Put(" len=");
            out.PutNumber(*b.m_nLen);
            out.Put(" view=");
            out.PutNumber(b.m_nViewId);
            out.Put(" flag=");
            out.PutNumber(b.m_nFlag);
            out.Put('\n');
            break;
        }
        case WorkspaceLine::kActiveView: {
            // Any document's view, whatever became of the last FILE_OPEN.
            if (!ws.m_nActiveId || !docs.HasView(*ws.m_nActiveId)) break;
            out.Put("active ");
            out.PutNumber(*ws.m_nActiveId);
            out.Put('\n');
            break;
        }
        case WorkspaceLine::kIgnored:
            break;
        }
    }
    out.Flush();
    if (IsForeignToWorkspace(reader.BytesRead(), bKeyword)) {
        PrintMessage(FormatString(IDS_NOT_A_WORKSPACE, PathToAnsi(workspace).c_str()));
        return kExitFailure;
    }
    // Each document that failed has given its own message.
    return bFailedDocument ? kExitFailure : kExitOk;
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
    for (const std::string& path : paths) {
        if (const auto refusal = WorkspacePathRefusal(path, MakeRelativePath(workspace, path))) {
            PrintMessage(*refusal);
            return kExitFailure;
        }
    }
    std::string text;
    uint64_t k = 0;
    for (const std::string& path : paths) {
        int nExit = kExitOk;
        OpenedFile f = OpenFile(open, path, nExit);
        if (!f.pDoc) return nExit;
        if (script && !PlayScriptForCli(f, *script)) return kExitFailure;
        const auto saveStart = std::chrono::steady_clock::now();
        CTervikDoc& doc = *f.pDoc;
        WsFileOpen fo;
        fo.m_path = MakeRelativePath(workspace, path);
        fo.m_md5 = doc.GetDigest();
        if (doc.m_nFixedSize != 0) fo.m_nRecSize = doc.m_nFixedSize;
        fo.m_nTab = doc.m_nTabSize;
        text += WorkspaceFileOpenLine(fo);
        WsWindow win;
        win.m_position = NewWindowRect(k);
        win.m_nId = ++k;
        win.m_state = "NORMAL";
        win.m_nLine = 0;
        win.m_nRow = 0;
        win.m_nDump = 0;
        win.m_nMode = 0;
        text += WorkspaceWindowLine(win);
        AppendSelectRecordLines(doc, f.pHost->Colours(), text);
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
