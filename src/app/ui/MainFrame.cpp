#include "app/ui/MainFrame.h"

#include "app/Strings.h"
#include "framework/ui/QtText.h"

#include <QMdiArea>

namespace tervik {

CMainFrame::CMainFrame(QWidget* pParent) : QMainWindow(pParent) {
    setWindowTitle(FromAnsi(LoadString(IDS_MAIN_TITLE)));
    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setObjectName("mdiArea");
    setCentralWidget(m_pMdiArea);
    resize(1024, 768);
}

} // namespace tervik
