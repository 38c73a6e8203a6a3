#include "document/ui/FollowWatcher.h"

#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "framework/ui/BusyPump.h"
#include "framework/ui/QtText.h"

#include <QApplication>
#include <QFileInfo>

namespace tervik {

CFollowWatcher::CFollowWatcher(CTervikDoc& doc, QObject* pParent) : QObject(pParent), m_doc(doc) {
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CFollowWatcher::OnFileEvent);
    // A new file under the name shows as a change of its folder.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &CFollowWatcher::OnFileEvent);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &CFollowWatcher::Check);
    m_poll.start();
    m_soon.setSingleShot(true);
    connect(&m_soon, &QTimer::timeout, this, &CFollowWatcher::Check);
    const QString folder = QFileInfo(FromPath(m_doc.GetPathName())).absolutePath();
    if (!folder.isEmpty()) m_watcher.addPath(folder);
    Check();
}

CFollowWatcher::~CFollowWatcher() = default;

void CFollowWatcher::OnFileEvent() {
    // Events come with every block a writer flushes; they are gathered.
    if (!m_lastCheck.isValid() || m_lastCheck.elapsed() >= kMinGapMs) {
        Check();
    } else if (!m_soon.isActive()) {
        m_soon.start(static_cast<int>(kMinGapMs - m_lastCheck.elapsed()));
    }
}

bool CFollowWatcher::MustWait() const {
    // A refresh must not change the records under a running search or selection,
    // nor under a dialog, a menu or a drag that refers to them.
    return CBusyPump::Instance().IsBusy() || QApplication::activeModalWidget() ||
           QApplication::activePopupWidget() || QApplication::mouseButtons() != Qt::NoButton;
}

void CFollowWatcher::WatchPath() {
    // A watcher lets go of a file that was renamed or deleted; the name is watched
    // again as soon as a file has it.
    const QString path = FromPath(m_doc.GetPathName());
    if (!m_watcher.files().contains(path) && QFileInfo::exists(path)) m_watcher.addPath(path);
}

void CFollowWatcher::Check() {
    if (m_bChecking) return;
    if (MustWait()) {
        if (!m_soon.isActive()) m_soon.start(kMinGapMs);
        return;
    }
    m_bChecking = true;
    m_lastCheck.start();
    WatchPath();
    if (!m_doc.m_hFile.IsOpen()) {
        // Unreadable at the last reread: it is read as a new file as soon as there is
        // something to read. An empty file (new, or emptied and read again) just grows.
        if (QFileInfo(FromPath(m_doc.GetPathName())).size() > 0) Reload();
    } else {
        switch (m_doc.CheckFileChange()) {
        case FileChange::Shorter:
        case FileChange::Replaced:
            Reload();
            break;
        case FileChange::None:
            if (m_doc.m_hFile.Size() > m_doc.m_nFileSize) m_doc.Extend();
            break;
        }
    }
    m_bChecking = false;
}

void CFollowWatcher::Reload() {
    m_doc.Reopen();
    emit Reloaded();
    m_doc.Host().SetStatusText(LoadString(IDS_FILE_RELOADED));
    WatchPath();
}

} // namespace tervik
