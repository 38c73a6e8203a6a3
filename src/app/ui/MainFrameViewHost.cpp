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
    if (CTervikApp* pApp = CTervikApp::Instance()) pApp->AppendAddOnItems(menu);
}

unsigned CMainFrame::CountBookmarksOnLine(const CTervikDoc* pDoc, uint32_t nLine) const {
    const CTervikApp* pApp = CTervikApp::Instance();
    return pApp ? pApp->CountBookmarksOnLine(pDoc, nLine) : 0;
}

const Bookmark* CMainFrame::BookmarkOnLine(const CTervikDoc* pDoc, uint32_t nLine,
                                           unsigned n) const {
    const CTervikApp* pApp = CTervikApp::Instance();
    return pApp ? pApp->BookmarkOnLine(pDoc, nLine, n) : nullptr;
}

bool CMainFrame::BlockMarking() const {
    return CTervikApp::Instance() && CTervikApp::Instance()->m_bBlockMarking;
}

std::string CMainFrame::GeneratedFolder() {
    CTervikApp* pApp = CTervikApp::Instance();
    return pApp ? pApp->GeneratedFolder() : std::string();
}

void CMainFrame::ClaimTempFile(const std::string& path) {
    if (CTervikApp* pApp = CTervikApp::Instance()) pApp->ClaimTempFile(path);
}

QPrinter& CMainFrame::Printer() {
    return CTervikApp::Instance()->Printer();
}

bool CMainFrame::PrintInColour() const {
    return m_bPrintColour;
}

} // namespace tervik
