#pragma once

// "Suchstring definieren...": writes a pattern line with its options.

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;

namespace tervik {

class CSearchDialog : public QDialog {
    Q_OBJECT
public:
    // entries: the history (cp1252), nCurrent the one to show (-1: none).
    CSearchDialog(const std::vector<std::string>& entries, int nCurrent,
                  QWidget* pParent = nullptr);

    // After OK: the pattern line (empty for an empty text).
    std::string Result() const;
    QComboBox* StringBox() const { return m_pString; }
    // The option boxes in their order: case, OEM, EBCDIC, hex, escapes, Unicode,
    // Unicode big endian, UTF-8, wildcards.
    QCheckBox* Option(int nIndex) const { return m_pOptions[nIndex]; }
    uint32_t Flags() const;

private:
    void ShowEntry(const std::string& entry);
    void OnHexToggled(bool bOn);
    void OnEscapesToggled(bool bOn);
    void OnUnicodeToggled(int nIndex, bool bOn);
    void OnTextEdited(const QString& text);
    void SetChecked(int nIndex, bool bOn);

    QComboBox* m_pString = nullptr;
    QCheckBox* m_pOptions[9] = {};
    std::vector<std::string> m_entries;
};

} // namespace tervik
