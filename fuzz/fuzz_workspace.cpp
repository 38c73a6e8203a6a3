// Workspace files: any bytes must read without harm, and a command the writer wrote
// back from what was read must read as the same command (write, read, write again
// gives the same bytes).

#include "app/WorkspaceFormat.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const std::string& line : CWorkspaceReader::SplitLines(input)) {
        Check(line.size() <= kWorkspaceMaxLine);
        Check(line.find('\n') == std::string::npos);
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
