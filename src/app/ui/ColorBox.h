#pragma once

// The selection colour box of the main toolbar: "Blau", "Rot", "Grün" with a picture
// each. Choosing an entry gives the focus back to the view that had it and runs the
// colour command of the entry.

#include <QComboBox>
#include <QPointer>

namespace tervik {

class CMainFrame;
class CTervikView;

class CColorBox : public QComboBox {
    Q_OBJECT
public:
    CColorBox(CMainFrame& frame, QWidget* pParent);

    // The colour command of an entry (0 blue, 1 red, 2 green).
    static unsigned CommandOf(int nIndex);

protected:
    void focusInEvent(QFocusEvent* pEvent) override;

private:
    void OnActivated(int nIndex);

    CMainFrame& m_frame;
    QPointer<CTervikView> m_pView; // active when the box got the focus
};

} // namespace tervik
