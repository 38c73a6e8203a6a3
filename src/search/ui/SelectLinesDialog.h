#pragma once

// "Zeilen selektieren ..." / "Zeilen deselektieren ...": edits the criteria of a run.

#include "search/SelectCriteria.h"

#include <QDialog>
#include <QString>
#include <vector>

class QAbstractSpinBox;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tervik {

class CSelectLines : public QDialog {
    Q_OBJECT
public:
    // criteria: filled by the document (first line 1-based); written back only on OK.
    explicit CSelectLines(SelectCriteria& criteria, QWidget* pParent = nullptr);

    // The criteria as the controls stand now; accept() stores this.
    SelectCriteria Result() const;
    void accept() override;

    QComboBox* TextBox() const { return m_pText; }
    QCheckBox* HexBox() const { return m_pHex; }
    QCheckBox* CaseBox() const { return m_pCase; }
    QCheckBox* WildcardBox() const { return m_pWildcards; }
    QCheckBox* ColumnBox() const { return m_pColumns; }
    QAbstractSpinBox* ColumnFromField() const;
    QAbstractSpinBox* ColumnToField() const;
    QCheckBox* MultiTextBox() const { return m_pMultiText; }
    QAbstractSpinBox* FirstLineField() const;
    QAbstractSpinBox* EndLineField() const;
    QComboBox* SizeTestBox() const { return m_pSizeTest; }
    QAbstractSpinBox* SizeField() const;
    QLineEdit* PreLinesField() const { return m_pPreLines; }
    QLineEdit* PostLinesField() const { return m_pPostLines; }
    QCheckBox* ScopeBox() const { return m_pScope; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }

private:
    class CNumberField;

    void ShowEntry(int nIndex);
    void SetColumnRange(bool bOn, uint32_t nFrom, uint32_t nTo);
    void OnTextEdited(const QString& text);

    SelectCriteria& m_criteria;
    std::vector<TextHistoryEntry> m_entries; // newest first, as listed
    QString m_shownText;                     // the text field before the edit under way
    QComboBox* m_pText = nullptr;
    QCheckBox* m_pHex = nullptr;
    QCheckBox* m_pCase = nullptr;
    QCheckBox* m_pWildcards = nullptr;
    QCheckBox* m_pColumns = nullptr;
    CNumberField* m_pColumnFrom = nullptr;
    CNumberField* m_pColumnTo = nullptr;
    QCheckBox* m_pMultiText = nullptr;
    CNumberField* m_pFirstLine = nullptr;
    CNumberField* m_pEndLine = nullptr;
    QComboBox* m_pSizeTest = nullptr;
    CNumberField* m_pSize = nullptr;
    QLineEdit* m_pPreLines = nullptr;
    QLineEdit* m_pPostLines = nullptr;
    QCheckBox* m_pScope = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
};

} // namespace tervik
