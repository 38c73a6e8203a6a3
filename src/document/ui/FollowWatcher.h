#pragma once

// "Datei verfolgen": a document reads what another program appends to its file as
// it is written, and reads the file again from the start when it was truncated or
// replaced (log rotation). A file-system watcher reports changes at once; a size
// poll catches what it misses (some file systems never report appends, and a new
// file under the old name is not watched yet).

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace tervik {

class CTervikDoc;

class CFollowWatcher : public QObject {
    Q_OBJECT
public:
    // The poll's interval, and the least time between two looks at the file: a
    // writer's every block would otherwise cost a refresh and a repaint.
    static constexpr int kPollMs = 500;
    static constexpr int kMinGapMs = 100;

    // Starts following at once: what was appended since the last read comes in now.
    explicit CFollowWatcher(CTervikDoc& doc, QObject* pParent = nullptr);
    ~CFollowWatcher() override;

    CTervikDoc& Document() const { return m_doc; }
    // Looks at the file: reads what was appended, or reads a truncated or replaced
    // file again. While the user is in the middle of something (a search, a selection
    // run, a dialog, a menu, a mouse drag) the look is put off to the next tick.
    void Check();

signals:
    // The file was read again from the start: what referred to the old content
    // (bookmarks) no longer fits.
    void Reloaded();

private:
    void OnFileEvent();
    bool MustWait() const;
    void WatchPath();
    void Reload();

    CTervikDoc& m_doc;
    QFileSystemWatcher m_watcher;
    QTimer m_poll;
    QTimer m_soon;
    QElapsedTimer m_lastCheck;
    bool m_bChecking = false;
};

} // namespace tervik
