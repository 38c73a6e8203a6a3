#include "search/BusyProgress.h"

#include "document/TervikDoc.h"

namespace tervik {

CBusyProgress::CBusyProgress(CTervikDoc& doc) : m_doc(doc), m_busy(doc.Host()) {}

CBusyProgress::~CBusyProgress() {
    if (m_bBar) m_doc.Host().RemoveProgressBar();
}

bool CBusyProgress::Step(int nPermille) {
    if (EscapePressed(m_doc)) return false;
    IDocumentHost& host = m_doc.Host();
    if (!m_bBar) {
        PixelRect rc;
        if (host.GetMessagePaneRect(rc)) {
            if (auto bar = ProgressBarRect(host.GetStatusText().size(), rc)) {
                host.ShowProgressBar(*bar, 1000);
                m_bBar = true;
            }
        }
    }
    if (m_bBar) host.SetProgress(nPermille);
    return true;
}

} // namespace tervik
