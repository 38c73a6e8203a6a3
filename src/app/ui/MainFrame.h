#pragma once

#include <QMainWindow>

class QMdiArea;

namespace tervik {

// The main window: a multiple-document area with the program's bars.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* pParent = nullptr);
    QMdiArea* MdiArea() const { return m_pMdiArea; }

private:
    QMdiArea* m_pMdiArea = nullptr;
};

} // namespace tervik
