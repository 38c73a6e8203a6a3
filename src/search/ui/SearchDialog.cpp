#include "search/ui/SearchDialog.h"

#include "base/Strings.h"
#include "framework/ui/MessageBox.h"
#include "framework/ui/QtText.h"
#include "search/SearchDialogRules.h"
#include "search/SearchPattern.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tervik {

namespace {
enum Box { kCase, kOem, kEbcdic, kHex, kEscapes, kUnicode, kUnicodeBe, kUtf8, kWildcards };
constexpr uint32_t kFlagOf[9] = {SF_MATCH_CASE, SF_OEM_TEXT,  SF_EBCDIC_TEXT,
                                 SF_HEX_STRING, SF_C_ESCAPES, SF_UTF16_LE,
                                 SF_UTF16_BE,   SF_UTF8,      SF_WILDCARDS};
constexpr const char* kTexts[9] = {"Groß/Kleinschreibung beachten",
                                   "OEM Zeichensatz",
                                   "EBCDIC Zeichensatz",
                                   "Hexstring",
                                   "C Escape Sequenzen",
                                   "Unicode",
                                   "Unicode Big Endian",
                                   "UTF-8",
                                   "Wildcardsuche mit * und /"};
constexpr const char* kNames[9] = {"matchCase", "oem",       "ebcdic", "hex",      "escapes",
                                   "unicode",   "unicodeBe", "utf8",   "wildcards"};
} // namespace

CSearchDialog::CSearchDialog(const std::vector<std::string>& entries, int nCurrent,
                             QWidget* pParent)
    : QDialog(pParent), m_entries(entries) {
    setWindowTitle(QString::fromUtf8("Suchstring definieren"));
    auto* pLayout = new QVBoxLayout(this);
    auto* pForm = new QFormLayout;
    m_pString = new QComboBox(this);
    m_pString->setObjectName("string");
    m_pString->setEditable(true);
    m_pString->setCompleter(nullptr); // what the user typed is what runs
    m_pString->setInsertPolicy(QComboBox::NoInsert);
    m_pString->lineEdit()->setMaxLength(static_cast<int>(kMaxPatternText));
    m_pString->setMinimumWidth(320);
    for (const std::string& e : entries)
        m_pString->addItem(FromAnsi(e));
    pForm->addRow(QString::fromUtf8("String:"), m_pString);
    pLayout->addLayout(pForm);
    for (int i = 0; i < 9; ++i) {
        m_pOptions[i] = new QCheckBox(QString::fromUtf8(kTexts[i]), this);
        m_pOptions[i]->setObjectName(kNames[i]);
        pLayout->addWidget(m_pOptions[i]);
    }
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    pLayout->addWidget(pButtons);

    connect(m_pOptions[kHex], &QCheckBox::toggled, this, &CSearchDialog::OnHexToggled);
    connect(m_pOptions[kEscapes], &QCheckBox::toggled, this, &CSearchDialog::OnEscapesToggled);
    for (int i : {kUnicode, kUnicodeBe, kUtf8})
        connect(m_pOptions[i], &QCheckBox::toggled, this,
                [this, i](bool bOn) { OnUnicodeToggled(i, bOn); });
    connect(m_pString->lineEdit(), &QLineEdit::textEdited, this, &CSearchDialog::OnTextEdited);
    // Picking an entry shows it with its own options.
    connect(m_pString, &QComboBox::activated, this, [this](int nIndex) {
        if (nIndex >= 0 && static_cast<size_t>(nIndex) < m_entries.size())
            ShowEntry(m_entries[static_cast<size_t>(nIndex)]);
    });

    if (nCurrent >= 0 && static_cast<size_t>(nCurrent) < entries.size()) {
        m_pString->setCurrentIndex(nCurrent);
        ShowEntry(entries[static_cast<size_t>(nCurrent)]);
    } else {
        m_pString->setCurrentIndex(-1);
        m_pString->setEditText(QString());
    }
}

void CSearchDialog::SetChecked(int nIndex, bool bOn) {
    const QSignalBlocker block(m_pOptions[nIndex]);
    m_pOptions[nIndex]->setChecked(bOn);
}

void CSearchDialog::ShowEntry(const std::string& entry) {
    const PatternParts parts = SplitPatternLine(entry);
    for (int i = 0; i < 9; ++i) {
        SetChecked(i, (parts.m_nFlags & kFlagOf[i]) != 0);
        m_pOptions[i]->setEnabled(true);
    }
    // A hex string leaves no room for escapes.
    if (parts.m_nFlags & SF_HEX_STRING) m_pOptions[kEscapes]->setEnabled(false);
    m_pString->setEditText(FromAnsi(parts.m_text));
}

uint32_t CSearchDialog::Flags() const {
    uint32_t n = 0;
    for (int i = 0; i < 9; ++i)
        if (m_pOptions[i]->isChecked()) n |= kFlagOf[i];
    return n;
}

void CSearchDialog::OnTextEdited(const QString& text) {
    if (!m_pOptions[kHex]->isChecked()) return;
    // Only hex digits can be typed into a hex string.
    const int nCaret = m_pString->lineEdit()->cursorPosition();
    const QString before = text.left(nCaret);
    const QString kept = FromAnsi(KeepHexDigits(ToAnsi(text)));
    if (kept == text) return;
    m_pString->lineEdit()->setText(kept);
    m_pString->lineEdit()->setCursorPosition(
        static_cast<int>(KeepHexDigits(ToAnsi(before)).size()));
}

void CSearchDialog::OnUnicodeToggled(int nIndex, bool bOn) {
    if (!bOn) return;
    for (int i : {kUnicode, kUnicodeBe, kUtf8})
        if (i != nIndex) SetChecked(i, false);
}

void CSearchDialog::OnHexToggled(bool bOn) {
    const std::string text = ToAnsi(m_pString->currentText());
    if (bOn) {
        // The text as it would be searched, as digits.
        m_pString->setEditText(FromAnsi(TextToHex(text, Flags() & ~SF_HEX_STRING)));
        for (int i : {kEscapes, kUnicode, kUnicodeBe, kUtf8}) {
            SetChecked(i, false);
            m_pOptions[i]->setEnabled(false);
        }
        return;
    }
    bool bEscapes = false;
    m_pString->setEditText(FromAnsi(HexToText(text, bEscapes)));
    for (int i : {kEscapes, kUnicode, kUnicodeBe, kUtf8})
        m_pOptions[i]->setEnabled(true);
    if (bEscapes) SetChecked(kEscapes, true);
}

void CSearchDialog::OnEscapesToggled(bool bOn) {
    const std::string text = ToAnsi(m_pString->currentText());
    if (bOn) {
        m_pString->setEditText(FromAnsi(DoubleBackslashes(text)));
        return;
    }
    if (HasRealEscapes(text) && TervikMessageBox(LoadString(IDS_REMOVE_ESCAPES),
                                                 MB_OKCANCEL | MB_ICONQUESTION, this) != IDOK) {
        SetChecked(kEscapes, true);
        return;
    }
    m_pString->setEditText(FromAnsi(RemoveEscapes(text)));
}

std::string CSearchDialog::Result() const {
    return ComposePatternLine(
        ToAnsi(m_pString->currentText().left(static_cast<int>(kMaxPatternText))), Flags());
}

} // namespace tervik
