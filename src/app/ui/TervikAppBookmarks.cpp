// The bookmarks of the application: setting, going to and stepping through them,
// and the bookmark dialog.

#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "framework/ui/MessageBox.h"
#include "platform/CodePage.h"
#include "search/BookmarkDialogRules.h"
#include "search/ui/BookmarkDialog.h"
#include "views/ui/TervikView.h"

#include <QMdiArea>
#include <algorithm>

namespace tervik {

void CTervikApp::RepaintViews(CTervikDoc& doc) {
    for (IDocumentView* p : doc.Views())
        if (auto* pView = dynamic_cast<CTervikView*>(p)) pView->viewport()->update();
}

uint32_t CTervikApp::AddBookmark(CTervikDoc* pDoc, CTervikView* pView, const std::string& path,
                                 const std::string& name, uint32_t nLine, uint32_t nColumn,
                                 uint32_t nLength) {
    const std::vector<CTervikDoc*>& documents = m_docs.Documents();
    const auto it = std::find_if(documents.begin(), documents.end(),
                                 [&](CTervikDoc* p) { return p->GetPathName() == path; });
    if (it == documents.end()) return 0;
    CTervikDoc* pTarget = *it;
    const uint64_t nViewId = pTarget == pDoc && pView ? pView->m_nViewId : 0;
    const uint32_t nId = m_bookmarks.Add(pTarget, nViewId, name, nLine ? nLine - 1 : 0,
                                         nColumn ? nColumn - 1 : 0, nLength);
    for (CTervikDoc* pLost : m_bookmarks.Activate(nId))
        RepaintViews(*pLost);
    RepaintViews(*pTarget);
    return nId;
}

bool CTervikApp::RemoveBookmark(uint32_t nId) {
    const Bookmark* p = m_bookmarks.Find(nId);
    if (!p) return false;
    CTervikDoc* pDoc = p->m_pDoc;
    m_bookmarks.Remove(nId);
    RepaintViews(*pDoc);
    return true;
}

void CTervikApp::RemoveBookmarksOf(CTervikDoc* pDoc) {
    m_bookmarks.RemoveOf(pDoc);
}

unsigned CTervikApp::CountBookmarksOnLine(const CTervikDoc* pDoc, uint32_t nLine) const {
    return m_bookmarks.CountOnLine(pDoc, nLine);
}

const Bookmark* CTervikApp::BookmarkOnLine(const CTervikDoc* pDoc, uint32_t nLine,
                                           unsigned n) const {
    return m_bookmarks.OnLine(pDoc, nLine, n);
}

void CTervikApp::GoToBookmark(uint32_t nId, CTervikDoc* pDoc, CTervikView* pView) {
    Bookmark* p = m_bookmarks.Find(nId);
    if (!p) return;
    if (!(pView && p->m_nViewId == pView->m_nViewId && p->m_pDoc == pDoc)) {
        // The bookmark's own view, or the document's first one when that is gone.
        CTervikView* pFirst = nullptr;
        CTervikView* pOwn = nullptr;
        for (IDocumentView* pv : p->m_pDoc->Views())
            if (auto* pv2 = dynamic_cast<CTervikView*>(pv)) {
                if (!pFirst) pFirst = pv2;
                if (p->m_nViewId != 0 && pv2->m_nViewId == p->m_nViewId) pOwn = pv2;
            }
        pView = pOwn ? pOwn : pFirst;
        if (!pView) return;
        p->m_nViewId = pView->m_nViewId;
        for (QWidget* w = pView; w; w = w->parentWidget())
            if (auto* pFrame = qobject_cast<CChildFrame*>(w)) {
                if (pFrame->isMinimized()) pFrame->showNormal();
                if (m_pMainFrame) m_pMainFrame->MdiArea()->setActiveSubWindow(pFrame);
                break;
            }
        pView->setFocus();
    }
    const uint32_t nLine = p->m_nLine;
    for (CTervikDoc* pLost : m_bookmarks.Activate(nId))
        RepaintViews(*pLost);
    pView->SetTopLine(nLine >= 2 ? nLine - 2 : 0);
    pView->viewport()->update();
}

void CTervikApp::EditBookmarks(CTervikDoc& doc, CTervikView& view) {
    BookmarkSource src;
    if (const auto range = view.MarkedRange();
        range && range->first.m_nLine == range->second.m_nLine && range->first.m_nLine >= 0) {
        src.m_bOneLineMarking = true;
        src.m_nMarkLine = static_cast<uint32_t>(range->first.m_nLine);
        src.m_nMarkColumn = static_cast<uint32_t>(std::max<int64_t>(0, range->first.m_nColumn));
        const int64_t nWidth = range->second.m_nColumn - range->first.m_nColumn + 1;
        src.m_nMarkWidth = static_cast<uint32_t>(std::max<int64_t>(0, nWidth));
    }
    if (view.m_textHit.m_bValid && view.m_textHit.m_bShown) {
        src.m_bHitShown = true;
        src.m_nHitLine = view.m_textHit.m_nLine;
        src.m_nHitColumn = view.m_textHit.m_nColumn;
        src.m_nHitLength = view.m_textHit.m_nLength;
    }
    src.m_nTopLine = view.TopLine();
    src.m_nLeftColumn = static_cast<uint32_t>(std::max(0, view.LeftColumn()));
    const BookmarkPreset preset = MakeBookmarkPreset(src, PathToAnsi(doc.GetPathName()));

    BookmarkDialogHost host;
    host.pList = &m_bookmarks;
    host.documents = m_docs.Documents();
    host.add = [&](const std::string& path, const std::string& name, uint32_t nLine,
                   uint32_t nColumn, uint32_t nLength) {
        return AddBookmark(&doc, &view, path, name, nLine, nColumn, nLength);
    };
    host.remove = [this](uint32_t nId) { return RemoveBookmark(nId); };
    host.change = [this](uint32_t nId, uint32_t nLine, uint32_t nColumn, uint32_t nLength) {
        if (Bookmark* p = m_bookmarks.Find(nId)) {
            p->m_nLine = nLine;
            p->m_nColumn = nColumn;
            p->m_nLength = nLength;
            RepaintViews(*p->m_pDoc);
        }
    };
    CBookmark dialog(std::move(host), doc, preset, m_pMainFrame.get());
    if (dialog.exec() == QDialog::Accepted && dialog.Chosen() != 0)
        GoToBookmark(dialog.Chosen(), &doc, &view);
}

void CTervikApp::OnBookmarkStep(bool bForward) {
    CTervikView* pView = m_pMainFrame ? m_pMainFrame->ActiveView() : nullptr;
    if (!pView) return;
    CTervikDoc& doc = pView->GetDocument();
    const Bookmark* p = bForward ? m_bookmarks.Next(&doc, pView->TopLine())
                                 : m_bookmarks.Previous(&doc, pView->TopLine());
    if (!p) {
        MessageBeep();
        return;
    }
    GoToBookmark(p->m_nId, &doc, pView);
}

bool CTervikApp::OnBookmarkCommand(unsigned nId, CCmdUI* pUI) {
    CTervikView* pView = m_pMainFrame ? m_pMainFrame->ActiveView() : nullptr;
    if (nId >= ID_BOOKMARK_LIST_FIRST && nId <= ID_BOOKMARK_LIST_LAST) {
        const size_t n = nId - ID_BOOKMARK_LIST_FIRST;
        const auto& all = m_bookmarks.All();
        if (pUI) {
            pUI->Enable(n < all.size());
            if (n < all.size()) {
                // A '&' in a name is shown, not taken as a mnemonic.
                std::string text;
                for (char c : all[n].m_name)
                    text += c == '&' ? std::string("&&") : std::string(1, c);
                pUI->SetText(text);
            } else if (n == 0) {
                pUI->SetText("Lesezeichen Liste");
            }
        } else if (n < all.size()) {
            GoToBookmark(all[n].m_nId, pView ? &pView->GetDocument() : nullptr, pView);
        }
        return true;
    }
    if (pUI) {
        pUI->Enable(pView != nullptr);
        return true;
    }
    if (!pView) return true;
    if (nId == ID_BOOKMARK_EDIT)
        EditBookmarks(pView->GetDocument(), *pView);
    else
        OnBookmarkStep(nId == ID_BOOKMARK_NEXT);
    return true;
}

} // namespace tervik
