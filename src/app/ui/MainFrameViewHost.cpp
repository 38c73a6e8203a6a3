// What the views ask of the main frame; the program-wide parts come from the
// application.

#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "search/ui/SearchBox.h"

namespace tervik {

CSearchBox* CMainFrame::SearchBoxOfBar(int nBar) const {
    QComboBox* pBox = nBar == 0                ? m_pSearchBox
                      : nBar >= 1 && nBar <= 4 ? m_pBarSearchBoxes[nBar - 1]
                                               : nullptr;
    return qobject_cast<CSearchBox*>(pBox);
}

std::vector<TextHistoryEntry>* CMainFrame::SelectTextHistory() {
    return &m_selectTextHistory;
}

void CMainFrame::AppendAddOnItems(QMenu& menu) {
    m_app.AddOnManager().AppendAddOnItems(menu);
}

unsigned CMainFrame::CountBookmarksOnLine(const CTervikDoc* pDoc, uint32_t nLine) const {
    return m_app.CountBookmarksOnLine(pDoc, nLine);
}

const Bookmark* CMainFrame::BookmarkOnLine(const CTervikDoc* pDoc, uint32_t nLine,
                                           unsigned n) const {
    return m_app.BookmarkOnLine(pDoc, nLine, n);
}

bool CMainFrame::BlockMarking() const {
    return m_app.m_bBlockMarking;
}

std::string CMainFrame::GeneratedFolder() {
    return m_app.GeneratedFolder();
}

void CMainFrame::ClaimTempFile(const std::string& path) {
    m_app.StartUp().ClaimTempFile(path);
}

QPrinter& CMainFrame::Printer() {
    return m_app.Printer();
}

bool CMainFrame::PrintInColour() const {
    return m_bPrintColour;
}

} // namespace tervik
