// The view's search and line-selection commands: the search boxes' patterns searched
// from where the user looks, selection by criteria, its inversion and export, the way
// to the next selected line, and the conversions of the marked text.

#include "views/ui/ViewSearch.h"

#include "base/Strings.h"
#include "framework/CommandIds.h"
#include "framework/ui/FileDialogs.h"
#include "framework/ui/MessageBox.h"
#include "framework/ui/QtText.h"
#include "search/ExportSelected.h"
#include "search/LineSelection.h"
#include "search/SelectCriteria.h"
#include "search/ui/SearchBox.h"
#include "search/ui/SearchDialog.h"
#include "search/ui/SelectLinesDialog.h"
#include "search/ui/TervikCalc.h"
#include "views/HitPlacement.h"
#include "views/ui/TervikView.h"
#include "views/ui/ViewHost.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace tervik {

CViewSearch::CViewSearch(CTervikView& view) : m_view(view) {}

void CViewSearch::OnNextSelected() {
    if (auto n = NextSelectedLine(m_view.m_st.m_nTopLine, m_view.DocumentForScroll())) {
        m_view.SetTopLine(*n);
        return;
    }
    m_view.m_doc.Host().SetStatusText(LoadString(IDS_NO_MORE_SELECTED));
    m_view.ReportPosition();
    MessageBeep();
}

void CViewSearch::OnPrevSelected() {
    if (auto n = PrevSelectedLine(m_view.m_st.m_nTopLine, m_view.DocumentForScroll())) {
        m_view.SetTopLine(*n);
        return;
    }
    m_view.m_doc.Host().SetStatusText(LoadString(IDS_NO_MORE_SELECTED));
    m_view.ReportPosition();
    MessageBeep();
}

namespace {
void RunSelectDialog(CTervikView& view, CTervikDoc& doc, IViewHost* pHost, bool bSelect) {
    SelectCriteria c;
    c.m_nMode = bSelect ? 1 : 0;
    c.m_nFirstLine = 1;
    c.m_nEndLine = doc.m_nRecords;
    c.m_nLongestLine = doc.m_nMaxLength;
    c.m_pHistory = pHost ? pHost->SelectTextHistory() : nullptr;
    CSelectLines dialog(c, &view);
    if (dialog.exec() != QDialog::Accepted) return;
    doc.Host().SetStatusText(LoadString(bSelect ? IDS_SELECTING : IDS_DESELECTING));
    doc.Host().RepaintStatusBar();
    // The dialog counts lines from 1.
    if (c.m_nFirstLine > 0) --c.m_nFirstLine;
    if (bSelect)
        SelectByCriteria(doc, c);
    else
        DeselectByCriteria(doc, c);
}
} // namespace

void CViewSearch::OnSelectLines() {
    RunSelectDialog(m_view, m_view.m_doc, m_view.m_pHost, true);
}

void CViewSearch::OnDeselectLines() {
    RunSelectDialog(m_view, m_view.m_doc, m_view.m_pHost, false);
}

void CViewSearch::OnInvertSelection() {
    InvertSelection(m_view.m_doc);
}

void CViewSearch::OnExportSelected() {
    if (m_view.m_doc.SelectedCount() == 0) return;
    FileDialogRequest request;
    request.m_bSave = true;
    request.m_defaultExt = "txt";
    request.m_folder = std::filesystem::path(m_view.m_doc.GetPathName()).parent_path().string();
    request.m_refuse = [this](const std::string& path) {
        return m_view.m_doc.IsOwnFile(path) ? LoadString(IDS_EXPORT_OWN_FILE) : std::string();
    };
    const std::optional<std::string> path = AskFileName(request, &m_view);
    if (!path) return;
    const ExportResult result = ExportSelectedLines(m_view.m_doc, *path);
    ReportExportFailure(m_view.m_doc.Host(), *path, result);
}

void CViewSearch::OnUpdateSelectLines(CCmdUI& ui) {
    ui.Enable(m_view.m_st.m_eMode != DisplayMode::Dump);
}

void CViewSearch::OnUpdateNeedsSelection(CCmdUI& ui) {
    ui.Enable(m_view.m_st.m_eMode != DisplayMode::Dump && m_view.m_doc.SelectedCount() > 0);
}

void CViewSearch::OnUpdateNextSelected(CCmdUI& ui) {
    ui.Enable(CanGoNextSelected(m_view.m_st.m_eMode, m_view.m_doc.SelectedCount()));
}

void CViewSearch::OnUpdatePrevSelected(CCmdUI& ui) {
    ui.Enable(CanGoPrevSelected(m_view.m_st.m_eMode, m_view.m_doc.SelectedCount(), m_view.m_st.m_nTopLine));
}

namespace {
// The search commands and the box whose text each one uses (0 = the toolbar's box).
struct SearchCommand {
    unsigned nId;
    int nBar;
    bool bBackward;
};
constexpr SearchCommand kSearchCommands[] = {
    {ID_SEARCH_FORWARD, 0, false},     {ID_SEARCH_BACKWARD, 0, true},
    {ID_SEARCHBAR1_FORWARD, 1, false}, {ID_SEARCHBAR1_BACKWARD, 1, true},
    {ID_SEARCHBAR2_FORWARD, 2, false}, {ID_SEARCHBAR2_BACKWARD, 2, true},
    {ID_SEARCHBAR3_FORWARD, 3, false}, {ID_SEARCHBAR3_BACKWARD, 3, true},
    {ID_SEARCHBAR4_FORWARD, 4, false}, {ID_SEARCHBAR4_BACKWARD, 4, true},
};
const SearchCommand* FindSearchCommand(unsigned nId) {
    for (const auto& c : kSearchCommands)
        if (c.nId == nId) return &c;
    return nullptr;
}
// The text of a search box: at most 255 characters, in the program's code page.
std::string SearchBoxText(const IViewHost* pHost, int nBar) {
    const CSearchBox* pBox = pHost ? pHost->SearchBoxOfBar(nBar) : nullptr;
    return pBox ? ToAnsi(pBox->currentText().left(255)) : std::string();
}
} // namespace

void CViewSearch::OnSearchCommand(unsigned nId) {
    const SearchCommand* pCmd = FindSearchCommand(nId);
    if (!pCmd) return;
    const std::string text = SearchBoxText(m_view.m_pHost, pCmd->nBar);
    if (pCmd->bBackward)
        Backward(text);
    else
        Forward(text);
}

void CViewSearch::OnUpdateSearchCommand(CCmdUI& ui) {
    const SearchCommand* pCmd = FindSearchCommand(ui.m_nID);
    if (!pCmd) return;
    const std::string text = SearchBoxText(m_view.m_pHost, pCmd->nBar);
    ui.Enable(pCmd->bBackward ? CanSearchBackward(text, m_view.m_st, m_view.m_textHit, m_view.m_dumpHit)
                              : CanSearchForward(text));
}

void CViewSearch::Forward(const std::string& patternLine) {
    Search(patternLine, false);
}
void CViewSearch::Backward(const std::string& patternLine) {
    Search(patternLine, true);
}

void CViewSearch::Search(const std::string& patternLine, bool bBackward) {
    m_view.setFocus();
    const SearchPattern pattern = DecodePattern(patternLine);
    if (FixedLength(pattern) == 0) return; // nothing to search
    const auto start = ChooseSearchStart(m_view.m_doc, m_view.m_st, pattern, bBackward, m_view.m_textHit, m_view.m_dumpHit);
    IDocumentHost& host = m_view.m_doc.Host();
    if (!start) {
        // Only a backward text search from a hit at column 0 ends here with a message.
        if (bBackward && m_view.m_st.m_eMode != DisplayMode::Dump)
            host.SetStatusText(LoadString(IDS_SEARCH_START_REACHED));
        return;
    }
    uint32_t nLine = start->m_nLine;
    int nColumn = start->m_nColumn;
    int64_t nOffset = start->m_nOffset;
    const FindResult result = FindNext(m_view.m_doc, patternLine, m_view.m_st.m_eMode == DisplayMode::Dump,
                                       bBackward, m_view.m_st.m_bOnlySelected, nLine, nColumn, nOffset,
                                       m_view.m_textHit, m_view.m_dumpHit, DumpRowBytes(m_view.m_st));
    if (result != FindResult::Found) {
        host.SetStatusText(LoadString(result == FindResult::Stopped ? IDS_SEARCH_STOPPED
                                      : bBackward                   ? IDS_SEARCH_START_REACHED
                                                                    : IDS_SEARCH_END_REACHED));
        m_view.ReportPosition();
        MessageBeep();
        return;
    }
    if (m_view.m_st.m_eMode == DisplayMode::Dump) {
        PlaceDumpHit(m_view.m_st, m_view.m_dumpHit.m_nOffset, bBackward);
        host.SetStatusText(DumpHitMessage(m_view.m_dumpHit.m_nOffset));
    } else {
        const int nColumns = std::max(1, m_view.viewport()->width() / m_view.m_nCharWidth);
        PlaceTextHit(m_view.m_st, m_view.m_textHit.m_nLine, m_view.m_textHit.m_nColumn, m_view.m_textHit.m_nLength, bBackward,
                     [&](int nCol) {
                         return nCol >= m_view.m_st.m_nLeftColumn && nCol < m_view.m_st.m_nLeftColumn + nColumns;
                     });
    }
    // The painter marks the hit as shown, so the next search continues behind it.
    m_view.UpdateScrollRanges();
    m_view.viewport()->repaint();
    m_view.ReportPosition();
}

void CViewSearch::OnSearchDefine() {
    CSearchBox* pBox = m_view.m_pHost ? m_view.m_pHost->SearchBoxOfBar(0) : nullptr;
    if (!pBox) return;
    // The box's history, with its current text first when that is new.
    std::vector<std::string> entries = pBox->History();
    const std::string current = pBox->Pattern();
    int nCurrent = -1;
    if (!current.empty()) {
        const auto it = std::find(entries.begin(), entries.end(), current);
        nCurrent = it == entries.end() ? 0 : static_cast<int>(it - entries.begin());
        if (it == entries.end()) entries.insert(entries.begin(), current);
    }
    CSearchDialog dialog(entries, nCurrent, &m_view);
    if (dialog.exec() != QDialog::Accepted) return;
    const std::string result = dialog.Result();
    if (result.empty()) return;
    // Into the box and its history, then back to the view.
    pBox->setEditText(FromAnsi(result));
    pBox->EnterIntoHistory();
    m_view.setFocus();
}

void CViewSearch::OnConversions() {
    // Only the first marked line counts: a whole-file marking is not built for it.
    std::string marked;
    if (const auto range = m_view.MarkedRange(); range && m_view.m_st.m_eMode != DisplayMode::Dump) {
        const auto nLine = static_cast<uint32_t>(range->first.m_nLine);
        char line[CTervikView::kMaxColumns + 1];
        const uint32_t n = m_view.m_doc.GetRecordText(nLine, line, CTervikView::kMaxColumns, 0, true, false);
        if (const auto cols = m_view.MarkedColumns(nLine, n); cols && cols->m_nFirst < n) {
            const auto nFirst = static_cast<size_t>(std::max<int64_t>(0, cols->m_nFirst));
            const auto nLast = static_cast<size_t>(std::min<int64_t>(cols->m_nLast, n - 1));
            if (nLast >= nFirst) marked.assign(line + nFirst, nLast - nFirst + 1);
        }
    }
    CTervikCalc dialog(marked, &m_view);
    dialog.exec();
}

bool CViewSearch::OnCmdMsg(unsigned nId, CCmdUI* pUI) {
    if (FindSearchCommand(nId)) {
        if (pUI)
            OnUpdateSearchCommand(*pUI);
        else
            OnSearchCommand(nId);
        return true;
    }
    static const CommandEntry<CViewSearch> kCommands[] = {
        {ID_SEARCH_DEFINE, &CViewSearch::OnSearchDefine, nullptr},
        {ID_CONVERSIONS, &CViewSearch::OnConversions, nullptr},
        {ID_SELECT_LINES, &CViewSearch::OnSelectLines, &CViewSearch::OnUpdateSelectLines},
        {ID_SELECT_INVERT, &CViewSearch::OnInvertSelection, &CViewSearch::OnUpdateSelectLines},
        {ID_DESELECT_LINES, &CViewSearch::OnDeselectLines, &CViewSearch::OnUpdateNeedsSelection},
        {ID_EXPORT_SELECTED, &CViewSearch::OnExportSelected, &CViewSearch::OnUpdateNeedsSelection},
        {ID_NEXT_SELECTED, &CViewSearch::OnNextSelected, &CViewSearch::OnUpdateNextSelected},
        {ID_PREV_SELECTED, &CViewSearch::OnPrevSelected, &CViewSearch::OnUpdatePrevSelected},
    };
    return DispatchCommand(*this, kCommands, nId, pUI);
}

} // namespace tervik
