#include "search/ui/SelectLinesDialog.h"

#include "framework/ui/QtText.h"
#include "search/SearchPattern.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace tervik {

namespace {

// Column fields run 1..32767; line numbers beyond that get plain fields.
constexpr uint32_t kMaxSpin = 32767;

// A 1-based column field as a 0-based column: 0 stays 0, nothing wraps.
uint16_t ColumnOf(uint32_t nField) {
    return static_cast<uint16_t>(std::clamp<uint32_t>(nField, 1, 65536) - 1);
}

bool IsHexDigit(QChar c) {
    return c.unicode() < 0x80 && HexDigitValue(static_cast<char>(c.unicode())) >= 0;
}

// What an edit that turned before into after (the caret now at nCaret) leaves when
// only hex digits may come in: the characters it brought in lose all others, the
// text around them stays whatever it holds. An edit that brought in nothing but
// refused characters leaves the text as it was. False when nothing is refused.
bool RefuseNonHex(const QString& before, QString& after, int& nCaret) {
    const qsizetype nBefore = before.size(), nAfter = after.size();
    // Behind the caret the text is untouched; in front of it, up to where it differs.
    qsizetype nSuffix = 0;
    const qsizetype nMaxSuffix = std::min(nBefore, std::max<qsizetype>(0, nAfter - nCaret));
    while (nSuffix < nMaxSuffix && before[nBefore - 1 - nSuffix] == after[nAfter - 1 - nSuffix])
        ++nSuffix;
    qsizetype nPrefix = 0;
    const qsizetype nMaxPrefix = std::min(nBefore, nAfter) - nSuffix;
    while (nPrefix < nMaxPrefix && before[nPrefix] == after[nPrefix])
        ++nPrefix;
    const QString added = after.mid(nPrefix, nAfter - nSuffix - nPrefix);
    QString kept;
    for (QChar c : added)
        if (IsHexDigit(c)) kept += c;
    if (kept.size() == added.size()) return false;
    after = kept.isEmpty() && !added.isEmpty() ? before
                                               : after.left(nPrefix) + kept + after.right(nSuffix);
    nCaret = static_cast<int>(nPrefix + kept.size());
    return true;
}

} // namespace

// A number field whose text stays free to type (read leniently on OK) and whose spin
// buttons step within a range; QSpinBox would refuse such text and stops at 2^31-1.
class CSelectLines::CNumberField : public QAbstractSpinBox {
public:
    CNumberField(uint32_t nMin, uint32_t nMax, uint32_t nValue, QWidget* pParent)
        : QAbstractSpinBox(pParent), m_nMin(nMin), m_nMax(nMax) {
        SetNumber(nValue);
    }

    void SetNumber(uint32_t n) { lineEdit()->setText(QString::number(n)); }

    // A read-only field must look it: a white field with live arrows invites typing.
    void SetReadOnly(bool bReadOnly) {
        setReadOnly(bReadOnly);
        setPalette(QPalette()); // the dialog's own colours
        if (bReadOnly) {
            QPalette shown = palette();
            shown.setColor(QPalette::Base, shown.color(QPalette::Window));
            setPalette(shown);
        }
        update();
    }
    uint32_t Number() const { return LenientNumber(ToAnsi(text())); }

    void stepBy(int nSteps) override {
        // stepUp()/stepDown() come here directly; a read-only field stays as it is.
        if (!(stepEnabled() & (nSteps > 0 ? StepUpEnabled : StepDownEnabled))) return;
        const int64_t n = std::clamp<int64_t>(Number(), m_nMin, m_nMax) + nSteps;
        SetNumber(static_cast<uint32_t>(std::clamp<int64_t>(n, m_nMin, m_nMax)));
    }
    QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }

    QSize sizeHint() const override {
        ensurePolished();
        // Room for the widest number of the range, at least five digits.
        const auto nDigits = QString::number(std::max<uint32_t>(m_nMax, 99999)).size();
        const int nWidth = fontMetrics().horizontalAdvance(QString(nDigits + 1, u'0')) + 2;
        QStyleOptionSpinBox opt;
        initStyleOption(&opt);
        return style()->sizeFromContents(QStyle::CT_SpinBox, &opt,
                                         QSize(nWidth, lineEdit()->sizeHint().height()), this);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void initStyleOption(QStyleOptionSpinBox* pOption) const override {
        QAbstractSpinBox::initStyleOption(pOption);
        // Styles that draw every arrow live unless told: a read-only field has none.
        if (isReadOnly()) {
            pOption->stepEnabled = StepNone;
            pOption->state |= QStyle::State_ReadOnly;
        }
    }
    StepEnabled stepEnabled() const override {
        // A plain field (no buttons) must not change under the mouse wheel either.
        if (isReadOnly() || buttonSymbols() == NoButtons) return StepNone;
        const uint32_t n = Number();
        StepEnabled e = StepNone;
        if (n < m_nMax) e |= StepUpEnabled;
        if (n > m_nMin) e |= StepDownEnabled;
        return e;
    }

private:
    uint32_t m_nMin;
    uint32_t m_nMax;
};

CSelectLines::CSelectLines(SelectCriteria& criteria, QWidget* pParent)
    : QDialog(pParent), m_criteria(criteria) {
    const bool bSelect = criteria.m_nMode != 0;
    setWindowTitle(
        QString::fromUtf8(bSelect ? "selektiere Zeilen ..." : "deselektiere Zeilen ..."));
    if (criteria.m_pHistory)
        m_entries.assign(criteria.m_pHistory->rbegin(), criteria.m_pHistory->rend());

    auto* pLayout = new QVBoxLayout(this);

    auto* pTextGroup = new QGroupBox(QString::fromUtf8(" Textsuche "), this);
    auto* pTextLayout = new QVBoxLayout(pTextGroup);
    m_pText = new QComboBox(pTextGroup);
    m_pText->setObjectName("text");
    m_pText->setEditable(true);
    m_pText->setCompleter(nullptr); // what the user typed is what runs
    m_pText->setInsertPolicy(QComboBox::NoInsert);
    m_pText->lineEdit()->setMaxLength(kMaxSelectText);
    m_pText->setMinimumWidth(360);
    for (const TextHistoryEntry& e : m_entries)
        m_pText->addItem(FromAnsi(e.m_text));
    m_pText->setCurrentIndex(-1);
    m_pText->setEditText(QString());
    pTextLayout->addWidget(m_pText);
    m_pHex = new QCheckBox(QString::fromUtf8("Hexstring"), pTextGroup);
    m_pHex->setObjectName("hex");
    m_pCase = new QCheckBox(QString::fromUtf8("Groß-/Kleinschreibung beachten"), pTextGroup);
    m_pCase->setObjectName("matchCase");
    m_pWildcards = new QCheckBox(QString::fromUtf8("Textsuche mit Wildcards (*/)"), pTextGroup);
    m_pWildcards->setObjectName("wildcards");
    for (QCheckBox* p : {m_pHex, m_pCase, m_pWildcards})
        pTextLayout->addWidget(p);
    auto* pColumnRow = new QHBoxLayout;
    m_pColumns = new QCheckBox(QString::fromUtf8("Spaltenbereich von"), pTextGroup);
    m_pColumns->setObjectName("columnRange");
    m_pColumnFrom = new CNumberField(1, kMaxSpin, 1, pTextGroup);
    m_pColumnFrom->setObjectName("columnFrom");
    m_pColumnTo = new CNumberField(1, kMaxSpin, kMaxSpin, pTextGroup);
    m_pColumnTo->setObjectName("columnTo");
    auto* pColumnTo = new QLabel(QString::fromUtf8("bis"), pTextGroup);
    pColumnTo->setBuddy(m_pColumnTo);
    pColumnRow->addWidget(m_pColumns);
    pColumnRow->addWidget(m_pColumnFrom);
    pColumnRow->addWidget(pColumnTo);
    pColumnRow->addWidget(m_pColumnTo);
    pColumnRow->addStretch();
    pTextLayout->addLayout(pColumnRow);
    m_pMultiText = new QCheckBox(QString::fromUtf8("Mehrtext mit Trennzeichen (|)"), pTextGroup);
    m_pMultiText->setObjectName("multiText");
    pTextLayout->addWidget(m_pMultiText);
    pLayout->addWidget(pTextGroup);

    auto* pRangeRow = new QHBoxLayout;
    auto* pLinesGroup = new QGroupBox(QString::fromUtf8(" Zeilenbereich "), this);
    auto* pLinesLayout = new QHBoxLayout(pLinesGroup);
    const uint32_t nFirst = criteria.m_nFirstLine;
    const uint32_t nEnd = criteria.m_nEndLine;
    const uint32_t nLow = std::min(nFirst, nEnd);
    const uint32_t nHigh = std::max(nFirst, nEnd);
    m_pFirstLine = new CNumberField(nLow, nHigh, nFirst, pLinesGroup);
    m_pFirstLine->setObjectName("firstLine");
    m_pEndLine = new CNumberField(nLow, nHigh, nEnd, pLinesGroup);
    m_pEndLine->setObjectName("endLine");
    if (nHigh > kMaxSpin) {
        m_pFirstLine->setButtonSymbols(QAbstractSpinBox::NoButtons);
        m_pEndLine->setButtonSymbols(QAbstractSpinBox::NoButtons);
    }
    auto* pFirstLabel = new QLabel(QString::fromUtf8("von"), pLinesGroup);
    pFirstLabel->setBuddy(m_pFirstLine);
    auto* pEndLabel = new QLabel(QString::fromUtf8("bis"), pLinesGroup);
    pEndLabel->setBuddy(m_pEndLine);
    pLinesLayout->addWidget(pFirstLabel);
    pLinesLayout->addWidget(m_pFirstLine);
    pLinesLayout->addWidget(pEndLabel);
    pLinesLayout->addWidget(m_pEndLine);
    pLinesLayout->addStretch();
    pRangeRow->addWidget(pLinesGroup);

    auto* pSizeGroup = new QGroupBox(QString::fromUtf8(" Zeilenlänge "), this);
    auto* pSizeLayout = new QHBoxLayout(pSizeGroup);
    m_pSizeTest = new QComboBox(pSizeGroup);
    m_pSizeTest->setObjectName("sizeTest");
    for (const char* psz : {" ", "größer", "kleiner", "gleich", "ungleich"})
        m_pSizeTest->addItem(QString::fromUtf8(psz));
    m_pSize = new CNumberField(0, criteria.m_nLongestLine, criteria.m_nSizeValue, pSizeGroup);
    m_pSize->setObjectName("sizeValue");
    pSizeLayout->addWidget(m_pSizeTest);
    pSizeLayout->addWidget(m_pSize);
    pSizeLayout->addWidget(new QLabel(QString::fromUtf8("Bytes"), pSizeGroup));
    pSizeLayout->addStretch();
    pRangeRow->addWidget(pSizeGroup);
    pLayout->addLayout(pRangeRow);

    auto* pMoreGroup = new QGroupBox(QString::fromUtf8(" zusätzliche Zeilen "), this);
    auto* pMoreLayout = new QHBoxLayout(pMoreGroup);
    m_pPreLines = new QLineEdit(pMoreGroup);
    m_pPreLines->setObjectName("preLines");
    m_pPostLines = new QLineEdit(pMoreGroup);
    m_pPostLines->setObjectName("postLines");
    const std::pair<const char*, QLineEdit*> lists[] = {{"Vorgänger", m_pPreLines},
                                                        {"Nachfolger", m_pPostLines}};
    for (auto [psz, pEdit] : lists) {
        pEdit->setMaxLength(static_cast<int>(kMaxLineList));
        auto* pLabel = new QLabel(QString::fromUtf8(psz), pMoreGroup);
        pLabel->setBuddy(pEdit);
        pMoreLayout->addWidget(pLabel);
        pMoreLayout->addWidget(pEdit, 1);
    }
    pLayout->addWidget(pMoreGroup);

    m_pScope = new QCheckBox(
        QString::fromUtf8("Selektion soll nur auf bereits selektierte Zeilen erfolgen"), this);
    m_pScope->setObjectName("scope");
    m_pScope->setVisible(bSelect);
    pLayout->addWidget(m_pScope);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = pButtons->button(QDialogButtonBox::Ok);
    m_pOk->setText(QString::fromUtf8("OK"));
    m_pOk->setObjectName("ok");
    m_pCancel = pButtons->button(QDialogButtonBox::Cancel);
    m_pCancel->setText(QString::fromUtf8("Abbrechen"));
    m_pCancel->setObjectName("cancel");
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    pLayout->addWidget(pButtons);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_pHex, &QCheckBox::toggled, this, [this](bool bOn) {
        m_pCase->setEnabled(!bOn);
        m_pWildcards->setEnabled(!bOn);
    });
    connect(m_pColumns, &QCheckBox::toggled, this, [this](bool bOn) {
        m_pColumnFrom->SetReadOnly(!bOn);
        m_pColumnTo->SetReadOnly(!bOn);
    });
    connect(m_pSizeTest, &QComboBox::currentIndexChanged, this,
            [this](int nIndex) { m_pSize->SetReadOnly(nIndex <= 0); });
    connect(m_pText->lineEdit(), &QLineEdit::textEdited, this, &CSelectLines::OnTextEdited);
    // The text before the next edit; read from the field, since the edit that was just
    // refused still reports its own text afterwards.
    connect(m_pText->lineEdit(), &QLineEdit::textChanged, this,
            [this] { m_shownText = m_pText->lineEdit()->text(); });
    connect(m_pText, &QComboBox::activated, this, &CSelectLines::ShowEntry);

    // The options of the newest entry are the likeliest next ones.
    const uint16_t nFlags = m_entries.empty() ? SEL_MATCH_CASE : m_entries.front().m_nFlags;
    m_pHex->setChecked((nFlags & SEL_HEX_STRING) != 0);
    m_pCase->setChecked((nFlags & SEL_MATCH_CASE) != 0);
    m_pWildcards->setChecked((nFlags & SEL_WILDCARDS) != 0);
    SetColumnRange(false, 1, kMaxSpin);
    m_pSizeTest->setCurrentIndex(std::clamp<int32_t>(criteria.m_nSizeTest, 0, 4));
    m_pSize->SetReadOnly(m_pSizeTest->currentIndex() == 0);
    m_pText->setFocus();
}

QAbstractSpinBox* CSelectLines::ColumnFromField() const {
    return m_pColumnFrom;
}
QAbstractSpinBox* CSelectLines::ColumnToField() const {
    return m_pColumnTo;
}
QAbstractSpinBox* CSelectLines::FirstLineField() const {
    return m_pFirstLine;
}
QAbstractSpinBox* CSelectLines::EndLineField() const {
    return m_pEndLine;
}
QAbstractSpinBox* CSelectLines::SizeField() const {
    return m_pSize;
}

void CSelectLines::SetColumnRange(bool bOn, uint32_t nFrom, uint32_t nTo) {
    m_pColumns->setChecked(bOn);
    m_pColumnFrom->SetNumber(nFrom);
    m_pColumnTo->SetNumber(nTo);
    m_pColumnFrom->SetReadOnly(!bOn);
    m_pColumnTo->SetReadOnly(!bOn);
}

void CSelectLines::ShowEntry(int nIndex) {
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_entries.size()) return;
    const TextHistoryEntry& e = m_entries[static_cast<size_t>(nIndex)];
    m_pHex->setChecked((e.m_nFlags & SEL_HEX_STRING) != 0);
    m_pCase->setChecked((e.m_nFlags & SEL_MATCH_CASE) != 0);
    m_pWildcards->setChecked((e.m_nFlags & SEL_WILDCARDS) != 0);
    // "Müller|Straße" means two texts only with the mark it was run with.
    m_pMultiText->setChecked((e.m_nFlags & SEL_MULTI_TEXT) != 0);
    if (e.m_nFlags & SEL_COLUMN_RANGE)
        SetColumnRange(true, e.m_nColumnFrom + 1u, e.m_nColumnTo + 1u);
    else
        SetColumnRange(false, 1, kMaxSpin);
}

void CSelectLines::OnTextEdited(const QString& text) {
    if (!m_pHex->isChecked()) return;
    // A hex string takes hex digits only: what was just typed or pasted loses the
    // rest at once, the text that stood before stays as it is.
    QLineEdit* pEdit = m_pText->lineEdit();
    QString kept = text;
    int nCaret = pEdit->cursorPosition();
    if (!RefuseNonHex(m_shownText, kept, nCaret)) return;
    pEdit->setText(kept);
    pEdit->setCursorPosition(nCaret);
    QApplication::beep();
}

SelectCriteria CSelectLines::Result() const {
    SelectCriteria c = m_criteria;
    c.m_nFirstLine = m_pFirstLine->Number();
    c.m_nEndLine = m_pEndLine->Number();
    c.m_nSizeTest = std::max(m_pSizeTest->currentIndex(), 0);
    c.m_nSizeValue = m_pSize->Number();
    uint16_t nFlags = 0;
    if (m_pHex->isChecked()) {
        nFlags = SEL_HEX_STRING;
    } else {
        if (m_pCase->isChecked()) nFlags |= SEL_MATCH_CASE;
        if (m_pWildcards->isChecked()) nFlags |= SEL_WILDCARDS;
    }
    if (m_pMultiText->isChecked()) nFlags |= SEL_MULTI_TEXT;
    c.m_nColumnFrom = 0;
    c.m_nColumnTo = 0;
    if (m_pColumns->isChecked()) {
        nFlags |= SEL_COLUMN_RANGE;
        c.m_nColumnFrom = ColumnOf(m_pColumnFrom->Number());
        c.m_nColumnTo = ColumnOf(m_pColumnTo->Number());
    }
    c.m_nFlags = nFlags;
    c.m_text = ToAnsi(m_pText->currentText().left(kMaxSelectText));
    // Deselecting has no scope, whatever the hidden box holds.
    c.m_bScope = (m_criteria.m_nMode != 0 && m_pScope->isChecked()) ? 1 : 0;
    c.m_preLines = ToAnsi(m_pPreLines->text().left(static_cast<int>(kMaxLineList)));
    c.m_postLines = ToAnsi(m_pPostLines->text().left(static_cast<int>(kMaxLineList)));
    return c;
}

void CSelectLines::accept() {
    m_criteria = Result();
    QDialog::accept();
}

} // namespace tervik
