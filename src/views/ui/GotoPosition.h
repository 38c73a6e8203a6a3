#pragma once

// "Gehe zu Zeile": a line number with the document's history, optionally counted
// among the selected lines only.

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QComboBox;

namespace tervik {

class CGotoPosition : public QDialog {
    Q_OBJECT
public:
    // history: the document's ten slots (UINT32_MAX = empty).
    CGotoPosition(const uint32_t (&history)[10], bool bHaveSelected, QWidget* pParent = nullptr);

    // After OK: the number typed (dots dropped) and the check box.
    uint32_t Number() const;
    bool SelectedOnly() const;
    QComboBox* NumberBox() const { return m_pNumber; }
    QCheckBox* SelectedBox() const { return m_pSelected; }

private:
    QComboBox* m_pNumber = nullptr;
    QCheckBox* m_pSelected = nullptr;
};

} // namespace tervik
