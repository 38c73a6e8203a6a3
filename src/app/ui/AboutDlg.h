#pragma once

// The about box: icon, product name, version and a few lines, and behind
// "Info >>" a picture that slides open below them.

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

namespace tervik {

// Our own SVG drawings at the screen's resolution, without Qt's SVG icon plugin.
QPixmap RenderSvgPixmap(const QString& path, QSize size, qreal fDevicePixelRatio);
QIcon ProgramIcon();

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    // The panel's height and how it moves: seven steps of 25 pixels and one of 10.
    static constexpr int kPanelHeight = 185;
    static constexpr int kStep = 25;
    static constexpr int kTickMs = 50;

    explicit CAboutDlg(QWidget* pParent = nullptr);
    ~CAboutDlg() override;

    QPushButton* InfoButton() const { return m_pInfoButton; }
    QPushButton* OkButton() const { return m_pOkButton; }
    QLabel* Picture() const { return m_pPicture; }
    // The id of the movement timer's events.
    int TimerId() const { return m_nTimerId; }
    bool IsMoving() const { return m_bMoving; }
    // Height with the panel closed.
    int ClosedHeight() const { return m_nClosedHeight; }

    // A close request while the panel moves waits for the movement's end.
    void done(int nResult) override;

protected:
    void timerEvent(QTimerEvent* pEvent) override;

private:
    void OnInfo();

    QPushButton* m_pOkButton = nullptr;
    QPushButton* m_pInfoButton = nullptr;
    QLabel* m_pPicture = nullptr;
    int m_nTimerId = 0;
    int m_nClosedHeight = 0;
    bool m_bMoving = false;
    bool m_bOpening = false;
    int m_nStepCount = 0;
    int m_nOpenPixels = 0; // how far the panel shows
    bool m_bCloseRequested = false;
    int m_nCloseResult = 0;
};

} // namespace tervik
