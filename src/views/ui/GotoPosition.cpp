#include "views/ui/GotoPosition.h"

#include "views/ScrollModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tervik {

CGotoPosition::CGotoPosition(const uint32_t (&history)[10], bool bHaveSelected, QWidget* pParent)
    : QDialog(pParent) {
    setWindowTitle(QString::fromUtf8("Gehe zu Zeile"));
    auto* pLayout = new QVBoxLayout(this);
    auto* pForm = new QFormLayout;
    m_pNumber = new QComboBox(this);
    m_pNumber->setObjectName("number");
    m_pNumber->setEditable(true);
    m_pNumber->setCompleter(nullptr); // what the user typed is what runs
    m_pNumber->lineEdit()->setMaxLength(31);
    QString last;
    for (uint32_t n : history) {
        if (n == UINT32_MAX) continue;
        m_pNumber->addItem(QString::fromStdString(FormatGotoEntry(n)));
        last = QString::number(n);
    }
    m_pNumber->setEditText(last);
    pForm->addRow(QString::fromUtf8("Zeilennummer"), m_pNumber);
    pLayout->addLayout(pForm);
    m_pSelected = new QCheckBox(QString::fromUtf8("selektierten Zeile"), this);
    m_pSelected->setObjectName("selectedOnly");
    m_pSelected->setEnabled(bHaveSelected);
    pLayout->addWidget(m_pSelected);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    pLayout->addWidget(pButtons);
    m_pNumber->setFocus();
    m_pNumber->lineEdit()->selectAll();
}

uint32_t CGotoPosition::Number() const {
    return ParseGotoText(m_pNumber->currentText().left(31).toStdString());
}

bool CGotoPosition::SelectedOnly() const {
    return m_pSelected->isEnabled() && m_pSelected->isChecked();
}

} // namespace tervik
