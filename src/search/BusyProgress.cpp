#include "search/BusyProgress.h"

#include "document/TervikDoc.h"

namespace tervik {

CBusyProgress::CBusyProgress(CTervikDoc& doc) : CBusyProgress(doc.Host()) {}

CBusyProgress::CBusyProgress(IDocumentHost& host) : m_host(host), m_busy(host) {}

CBusyProgress::~CBusyProgress() {
    if (m_bBar) m_host.RemoveProgressBar();
}

bool CBusyProgress::Step(int nPermille) {
    if (EscapePressed(m_host)) return false;
    IDocumentHost& host = m_host;
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
