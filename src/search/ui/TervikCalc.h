#pragma once

// "Diverse Umrechnungen": five converters between hexadecimal, decimal and text, each
// an input, a button and one or two read-only outputs. The rules are in CalcRules.

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;

namespace tervik {

class CTervikCalc : public QDialog {
    Q_OBJECT
public:
    enum Converter { HexToDec, DecToHex, TextToHex, HexToText, DecToText, kConverters };

    // marked: the marked text in the view (cp1252, empty without a marking); the
    // inputs it fits are filled and converted.
    explicit CTervikCalc(const std::string& marked, QWidget* pParent = nullptr);

    QLineEdit* Input(int nConverter) const { return m_rows[nConverter].m_pInput; }
    QPushButton* Button(int nConverter) const { return m_rows[nConverter].m_pButton; }
    // nOutput 0 or 1; the text converters have only output 0.
    QLineEdit* Output(int nConverter, int nOutput) const {
        return m_rows[nConverter].m_pOutput[nOutput];
    }

    void Convert(int nConverter);

private:
    struct Row {
        QLineEdit* m_pInput = nullptr;
        QPushButton* m_pButton = nullptr;
        QLineEdit* m_pOutput[2] = {};
    };
    void Prefill(int nConverter, const std::string& value);

    Row m_rows[kConverters];
};

} // namespace tervik
