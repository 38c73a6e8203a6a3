#pragma once

// "Druckereinrichtung": the printer, the paper and its orientation for the printouts
// to come. Qt's page setup offers no choice of printer, its print dialog prints; this
// one only sets up. The margins are the printout's own and stay as they are.

#include <QDialog>

class QComboBox;
class QLabel;
class QPrinter;
class QRadioButton;

namespace tervik {

class CPrinterSetup : public QDialog {
    Q_OBJECT
public:
    // Shows what printer holds now.
    explicit CPrinterSetup(const QPrinter& printer, QWidget* pParent = nullptr);

    // What the user chose, onto printer (after OK).
    void Apply(QPrinter& printer) const;

    QComboBox* PaperBox() const { return m_pPaper; }
    QRadioButton* LandscapeButton() const { return m_pLandscape; }

private:
    // The paper sizes of the printer chosen, keeping the size chosen when it has it.
    void FillPapers();

    QComboBox* m_pPrinter = nullptr;
    QComboBox* m_pPaper = nullptr;
    QRadioButton* m_pPortrait = nullptr;
    QRadioButton* m_pLandscape = nullptr;
    QLabel* m_pNote = nullptr;
};

} // namespace tervik
