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
#include <vector>

namespace tervik::cli {

namespace {

// The place of a new document window in the viewer's default main window: the first
// window's cascade position with three quarters of its client area.
constexpr WsRect kNewWindowRect{0, 600, 0, 900};

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

int RunShow(const OpenArgs& open, const std::string& workspacePath) {
    const std::string workspace = AbsolutePath(workspacePath);
    CWorkspaceReader reader;
    uint32_t nError = 0;
    if (!reader.Open(workspace, nError)) {
        PrintMessage(ProcessingErrorText(workspace, nError));
        return kExitFailure;
    }
    std::vector<std::unique_ptr<ShownDocument>> docs;
    ShownDocument* pDoc = nullptr;
    size_t w = 0;
    int n = 0; // panes of a split window seen so far; FILE_OPEN does not reset it
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
        switch (ws.m_eKind) {
        case WorkspaceLine::kFileOpen: {
            pDoc = nullptr;
            if (!ws.m_bHasPath) break;
            const std::string path = ResolveRelativePath(workspace, ws.m_fileOpen.m_path);
            const std::string key = AbsolutePath(path);
            FileIdentity id;
            const bool bId = PathIdentity(key, id);
            for (auto& d : docs) {
                FileIdentity other;
                if (d->path == key || (bId && PathIdentity(d->path, other) && other == id))
                    pDoc = d.get();
            }
            out.Put("open \"");
            out.Put(Slashed(key));
            if (!pDoc) {
                auto d = std::make_unique<ShownDocument>();
                int nExit = kExitOk;
                out.Flush();
                d->file = OpenFile(open, path, nExit);
                if (d->file.pDoc) {
                    d->path = key;
                    d->views.push_back(nNextFreshId--);
                    pDoc = d.get();
                    docs.push_back(std::move(d));
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
            } else if (win.m_nSplitter && ++n == 2) {
                // The second pane of a split window: the lower pane is a new view.
                n = 0;
                pDoc->views.push_back(nNextFreshId--);
                nView = pDoc->views.size() - 1;
            } else {
                pDoc->views.push_back(nNextFreshId--);
                nView = pDoc->views.size() - 1;
            }
            if (win.m_nId) pDoc->views[nView] = *win.m_nId;
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
            if (!ws.m_nActiveId) break;
            const bool bFound = std::any_of(docs.begin(), docs.end(), [&](const auto& d) {
                return std::find(d->views.begin(), d->views.end(), *ws.m_nActiveId) !=
                       d->views.end();
            });
            if (!bFound) break;
            out.Put("active ");
            out.PutNumber(*ws.m_nActiveId);
            out.Put('\n');
            break;
        }
        case WorkspaceLine::kIgnored:
            break;
        }
    }
    return kExitOk;
}

int RunNew(const OpenArgs& open, const std::optional<std::string>& script,
           const std::string& outPath, const std::vector<std::string>& files) {
    std::vector<std::string> paths;
    for (const std::string& file : files) {
        const std::string abs = AbsolutePath(file);
        if (std::find(paths.begin(), paths.end(), abs) == paths.end()) paths.push_back(abs);
    }
    const std::string workspace = AbsolutePath(outPath);
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
        // The workspace is 8-bit text: a name it cannot hold is reported, not changed.
        if (std::string text8; !PathToFileText(fo.m_path, text8)) {
            PrintMessage(FormatString(IDS_PATH_NOT_ANSI, PathToAnsi(path).c_str()));
            return kExitFailure;
        }
        fo.m_md5 = doc.GetDigest();
        if (doc.m_nFixedSize != 0) fo.m_nRecSize = doc.m_nFixedSize;
        fo.m_nTab = doc.m_nTabSize;
        text += WorkspaceFileOpenLine(fo);
        WsWindow win;
        win.m_nId = ++k;
        win.m_position = kNewWindowRect;
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

    CWorkspaceWriter writer;
    bool bCreated = writer.Create(workspace);
    if (bCreated && writer.Put(text) && writer.Close()) return kExitOk;
    PrintMessage(ProcessingErrorText(workspace, writer.LastError()));
    // A half-written workspace would load as a partial one.
    if (bCreated) std::remove(workspace.c_str());
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
            args.SetError("Aufruf: workspace new OUT.tervik DATEI... [--select SKRIPT]");
        else if (!bShow && !bNew)
            args.SetError("Aufruf: workspace show W.tervik | workspace new OUT.tervik DATEI...");
        else if (bShow && script)
            args.SetError("--select gehört zu workspace new.");
    }
    if (args.HasError()) return UsageError(Utf8ToCp1252(args.Error()));
    if (bShow) return RunShow(open, rest[1]);
    return RunNew(open, script, rest[1], std::vector<std::string>(rest.begin() + 2, rest.end()));
}

} // namespace tervik::cli
