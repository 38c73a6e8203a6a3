#include "app/ui/History.h"

#include "app/ui/AboutDlg.h"

#include <QFile>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

static void InitHistoryResources() {
    Q_INIT_RESOURCE(tervik);
}

namespace tervik {

namespace {

constexpr int kMargin = 8;
const QSize kInitialSize(640, 480);

} // namespace

void DetectLinks(QTextDocument& document) {
    // Schemes and "www." followed by anything but blanks and brackets; a full stop,
    // comma or colon at the end belongs to the sentence.
    static const QRegularExpression kLink(
        QStringLiteral(
            R"((?:https?://|ftp://|file://|mailto:|www\.)[^\s<>"()\[\]]+[^\s<>"()\[\].,;:!?])"),
        QRegularExpression::CaseInsensitiveOption);
    QTextCursor cursor(&document);
    while (!(cursor = document.find(kLink, cursor)).isNull()) {
        if (cursor.charFormat().isAnchor()) continue; // written as a link already
        QString target = cursor.selectedText();
        if (target.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
            target.prepend(QStringLiteral("https://"));
        QTextCharFormat format;
        format.setAnchor(true);
        format.setAnchorHref(target);
        format.setForeground(QColor(0, 0, 238));
        format.setFontUnderline(true);
        cursor.mergeCharFormat(format);
    }
}

CHistory::CHistory(QWidget* pParent, const QString& html) : QDialog(pParent) {
    InitHistoryResources();
    setWindowTitle(QString::fromUtf8("Änderungshistorie Orv's File-Viewer"));
    setWindowIcon(ProgramIcon());
    setSizeGripEnabled(true);
    m_pBrowser = new QTextBrowser(this);
    m_pBrowser->setObjectName(QStringLiteral("history"));
    m_pBrowser->setOpenExternalLinks(true);
    QString text = html;
    if (text.isEmpty()) {
        // A missing change log leaves the window empty.
        QFile file(QStringLiteral(":/history/changes.html"));
        if (file.open(QIODevice::ReadOnly)) text = QString::fromUtf8(file.readAll());
    }
    m_pBrowser->setHtml(text);
    DetectLinks(*m_pBrowser->document());

    resize(kInitialSize);
    m_pBrowser->setGeometry(kMargin, kMargin, kInitialSize.width() - 2 * kMargin,
                            kInitialSize.height() - 2 * kMargin);
    m_nMarginX = (width() - m_pBrowser->width()) / 2;
    m_nMarginY = (height() - m_pBrowser->height()) / 2;
    m_bInitialised = true;
}

void CHistory::resizeEvent(QResizeEvent* pEvent) {
    QDialog::resizeEvent(pEvent);
    if (!m_bInitialised) return;
    const QSize size = pEvent->size();
    m_pBrowser->setGeometry(m_nMarginX, m_nMarginY, std::max(0, size.width() - 2 * m_nMarginX),
                            std::max(0, size.height() - 2 * m_nMarginY));
}

void CHistory::showEvent(QShowEvent* pEvent) {
    QDialog::showEvent(pEvent);
    // Opens at the top, nothing selected.
    m_pBrowser->moveCursor(QTextCursor::Start);
}

} // namespace tervik
