#include "app/ui/ColorBox.h"

#include "base/Strings.h"
#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "framework/CommandIds.h"
#include "framework/ui/QtText.h"
#include "views/ui/TervikView.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace tervik {

namespace {

// A pen stroke in the entry's colour on a light square, 16 pixels high.
QIcon ColourPicture(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour.darker(150), 1));
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(1.5, 3.5, 13, 9), 2, 2);
    return QIcon(pixmap);
}

} // namespace

CColorBox::CColorBox(CMainFrame& frame, QWidget* pParent) : QComboBox(pParent), m_frame(frame) {
    addItem(ColourPicture(QColor(0, 0, 255)), QString::fromUtf8("Blau"));
    addItem(ColourPicture(QColor(255, 0, 0)), QString::fromUtf8("Rot"));
    addItem(ColourPicture(QColor(0, 160, 0)), QString::fromUtf8("Grün"));
    setIconSize(QSize(16, 16));
    setCurrentIndex(0);
    const QString prompt = FromAnsi(LoadString(IDS_COLOR_BOX_PROMPT));
    setToolTip(prompt.section('\n', 1));
    setStatusTip(prompt.section('\n', 0, 0));
    connect(this, &QComboBox::activated, this, &CColorBox::OnActivated);
}

unsigned CColorBox::CommandOf(int nIndex) {
    return nIndex == 1 ? ID_COLOR_RED : nIndex == 2 ? ID_COLOR_GREEN : ID_COLOR_BLUE;
}

void CColorBox::focusInEvent(QFocusEvent* pEvent) {
    m_pView = m_frame.ActiveView();
    QComboBox::focusInEvent(pEvent);
}

void CColorBox::OnActivated(int nIndex) {
    if (m_pView) m_pView->setFocus();
    // Posted, as a menu command would be.
    const unsigned nId = CommandOf(nIndex);
    QPointer<CMainFrame> pFrame(&m_frame);
    QTimer::singleShot(0, &m_frame, [pFrame, nId] {
        if (pFrame) pFrame->ExecuteCommand(nId);
    });
}

} // namespace tervik
