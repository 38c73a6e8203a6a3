#include "search/ui/TervikCalc.h"

#include "framework/ui/QtText.h"
#include "search/CalcRules.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervik {

namespace {
struct RowSpec {
    const char* pszButton;
    const char* pszName;
    int nMaxInput;
    int nOutputs;
};
constexpr RowSpec kRows[CTervikCalc::kConverters] = {
    {"Hex auf Dez", "hexToDec", kCalcHexToDecMax, 2},
    {"Dez auf Hex", "decToHex", kCalcDecToHexMax, 2},
    {"Text auf Hex", "textToHex", kCalcTextToHexMax, 2},
    {"Hex auf Text", "hexToText", kCalcHexToTextMax, 1},
    {"Dez auf Text", "decToText", kCalcDecToTextMax, 1},
};
} // namespace

CTervikCalc::CTervikCalc(const std::string& marked, QWidget* pParent) : QDialog(pParent) {
    setWindowTitle(QString::fromUtf8("Diverse Umrechnungen"));
    auto* pLayout = new QVBoxLayout(this);
    auto* pGrid = new QGridLayout;
    for (int i = 0; i < kConverters; ++i) {
        const RowSpec& layout = kRows[i];
        Row& row = m_rows[i];
        const QString name = QString::fromLatin1(layout.pszName);
        row.m_pInput = new QLineEdit(this);
        row.m_pInput->setObjectName(name + "Input");
        row.m_pInput->setMaxLength(layout.nMaxInput);
        row.m_pInput->setMinimumWidth(180);
        row.m_pButton = new QPushButton(QString::fromUtf8(layout.pszButton), this);
        row.m_pButton->setObjectName(name + "Button");
        // Enter converts the row it is typed in; it must not close the dialog.
        row.m_pButton->setAutoDefault(false);
        pGrid->addWidget(row.m_pInput, i, 0);
        pGrid->addWidget(row.m_pButton, i, 1);
        for (int j = 0; j < layout.nOutputs; ++j) {
            auto* pOut = new QLineEdit(this);
            pOut->setObjectName(name + "Output" + QString::number(j + 1));
            pOut->setReadOnly(true);
            pOut->setFocusPolicy(Qt::ClickFocus); // Tab walks the inputs and buttons
            pOut->setMinimumWidth(200);
            pGrid->addWidget(pOut, i, 2 + j, 1, layout.nOutputs == 1 ? 2 : 1);
            row.m_pOutput[j] = pOut;
        }
        connect(row.m_pButton, &QPushButton::clicked, this, [this, i] { Convert(i); });
        connect(row.m_pInput, &QLineEdit::returnPressed, this, [this, i] { Convert(i); });
    }
    pGrid->setColumnStretch(0, 1);
    pGrid->setColumnStretch(2, 1);
    pGrid->setColumnStretch(3, 1);
    pLayout->addLayout(pGrid);
    auto* pButtons = new QDialogButtonBox(this);
    QPushButton* pClose =
        pButtons->addButton(QString::fromUtf8("Schließen"), QDialogButtonBox::RejectRole);
    pClose->setObjectName("close");
    pClose->setAutoDefault(false);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    pLayout->addWidget(pButtons);

    const CalcPrefillValues v = CalcPrefill(marked);
    Prefill(TextToHex, v.m_text);
    Prefill(HexToText, v.m_hexString);
    Prefill(HexToDec, v.m_hexValue);
    Prefill(DecToHex, v.m_decimal);
    m_rows[HexToDec].m_pInput->setFocus();
}

void CTervikCalc::Prefill(int nConverter, const std::string& value) {
    if (value.empty()) return;
    m_rows[nConverter].m_pInput->setText(FromAnsi(value));
    Convert(nConverter);
}

void CTervikCalc::Convert(int nConverter) {
    const Row& row = m_rows[nConverter];
    const QString input = row.m_pInput->text();
    CalcOutputs out;
    switch (nConverter) {
    case HexToDec:
        out = CalcHexToDec(ToAnsi(input));
        break;
    case DecToHex:
        out = CalcDecToHex(ToAnsi(input));
        break;
    case TextToHex:
        out = CalcTextToHex(std::u16string_view(reinterpret_cast<const char16_t*>(input.utf16()),
                                                static_cast<size_t>(input.size())));
        break;
    case HexToText:
        out.m_first = CalcHexToText(ToAnsi(input));
        break;
    case DecToText:
        out.m_first = CalcDecToText(ToAnsi(input));
        break;
    default:
        return;
    }
    row.m_pOutput[0]->setText(FromAnsi(out.m_first));
    row.m_pOutput[0]->setCursorPosition(0);
    if (row.m_pOutput[1]) {
        row.m_pOutput[1]->setText(FromAnsi(out.m_second));
        row.m_pOutput[1]->setCursorPosition(0);
    }
}

} // namespace tervik
