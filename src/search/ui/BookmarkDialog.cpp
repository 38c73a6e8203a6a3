#include "search/ui/BookmarkDialog.h"

#include "document/TervikDoc.h"
#include "framework/ui/QtText.h"
#include "search/BookmarkList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace tervik {

namespace {

int Clamp(uint64_t n) {
    return static_cast<int>(std::min<uint64_t>(n, INT_MAX));
}

} // namespace

CBookmark::CBookmark(BookmarkDialogHost host, CTervikDoc& doc, const BookmarkPreset& preset,
                     QWidget* pParent)
    : QDialog(pParent), m_host(std::move(host)) {
    setWindowTitle(QString::fromUtf8("Lesezeichen"));
    m_pName = new QLineEdit(this);
    m_pName->setMaxLength(static_cast<int>(Bookmark::kMaxName));
    m_pFile = new QComboBox(this);
    m_pFile->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pFile->setMinimumContentsLength(40);
    int nCurrent = 0;
    for (size_t i = 0; i < m_host.documents.size(); ++i) {
        m_pFile->addItem(FromPath(m_host.documents[i]->GetPathName()), static_cast<qulonglong>(i));
        if (m_host.documents[i] == &doc) nCurrent = static_cast<int>(i);
    }
    m_pFile->setCurrentIndex(nCurrent);
    m_pLine = new QSpinBox(this);
    m_pColumn = new QSpinBox(this);
    m_pLength = new QSpinBox(this);
    m_pList = new QListWidget(this);
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pAdd = new QPushButton(QString::fromUtf8("Aufnehmen"), this);
    m_pDelete = new QPushButton(QString::fromUtf8("Löschen"), this);
    m_pChange = new QPushButton(QString::fromUtf8("Ändern"), this);
    m_pGoTo = new QPushButton(QString::fromUtf8("Gehe zu..."), this);
    m_pClose = new QPushButton(QString::fromUtf8("Schließen"), this);
    for (QPushButton* p : {m_pAdd, m_pDelete, m_pChange, m_pGoTo, m_pClose})
        p->setAutoDefault(false);

    auto* pFields = new QGridLayout;
    pFields->addWidget(new QLabel(QString::fromUtf8("Name"), this), 0, 0);
    pFields->addWidget(m_pName, 0, 1, 1, 5);
    pFields->addWidget(new QLabel(QString::fromUtf8("Datei"), this), 1, 0);
    pFields->addWidget(m_pFile, 1, 1, 1, 5);
    pFields->addWidget(new QLabel(QString::fromUtf8("Zeile"), this), 2, 0);
    pFields->addWidget(m_pLine, 2, 1);
    pFields->addWidget(new QLabel(QString::fromUtf8("Spalte"), this), 2, 2);
    pFields->addWidget(m_pColumn, 2, 3);
    pFields->addWidget(new QLabel(QString::fromUtf8("Länge"), this), 2, 4);
    pFields->addWidget(m_pLength, 2, 5);
    auto* pButtons = new QVBoxLayout;
    for (QPushButton* p : {m_pAdd, m_pDelete, m_pChange, m_pGoTo})
        pButtons->addWidget(p);
    pButtons->addStretch();
    pButtons->addWidget(m_pClose);
    auto* pLower = new QHBoxLayout;
    pLower->addWidget(m_pList, 1);
    pLower->addLayout(pButtons);
    auto* pMain = new QVBoxLayout(this);
    pMain->addLayout(pFields);
    pMain->addLayout(pLower);

    // Fields first, then the list, then the rules: the rules see the whole state.
    SetRanges();
    m_pLine->setValue(Clamp(preset.m_nLine));
    SetRanges();
    m_pColumn->setValue(Clamp(preset.m_nColumn));
    SetRanges();
    m_pLength->setValue(Clamp(preset.m_nLength));
    m_pName->setText(FromAnsi(preset.m_name));
    if (m_host.pList)
        for (const Bookmark& b : m_host.pList->All()) {
            auto* pItem = new QListWidgetItem(FromAnsi(b.m_name), m_pList);
            pItem->setData(Qt::UserRole, static_cast<uint>(b.m_nId));
        }
    ApplyNameRule(m_buttons, preset.m_name, {});
    OnNameChanged();
    m_buttons.m_bDelete = false;
    m_buttons.m_bGoTo = false;
    ShowButtons();

    connect(m_pName, &QLineEdit::textChanged, this, [this] { OnNameChanged(); });
    connect(m_pFile, &QComboBox::currentIndexChanged, this, [this] { SetRanges(); });
    connect(m_pLine, &QSpinBox::valueChanged, this, [this] { SetRanges(); });
    connect(m_pColumn, &QSpinBox::valueChanged, this, [this] { SetRanges(); });
    connect(m_pList, &QListWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });
    connect(m_pAdd, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(m_pChange, &QPushButton::clicked, this, [this] { OnChange(); });
    connect(m_pDelete, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(m_pGoTo, &QPushButton::clicked, this, [this] { OnGoTo(); });
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::reject);
    m_pName->setFocus();
}

CTervikDoc* CBookmark::CurrentDocument() const {
    const int n = m_pFile->currentIndex();
    return n >= 0 && static_cast<size_t>(n) < m_host.documents.size()
               ? m_host.documents[static_cast<size_t>(n)]
               : nullptr;
}

void CBookmark::SetRanges() {
    CTervikDoc* pDoc = CurrentDocument();
    const QSignalBlocker b1(m_pLine), b2(m_pColumn), b3(m_pLength);
    m_pLine->setRange(1, std::max(1, Clamp(pDoc ? pDoc->m_nRecords : 1)));
    uint32_t nLength = 0;
    const int nLine = m_pLine->value() - 1;
    if (pDoc && nLine >= 0 && static_cast<uint32_t>(nLine) < pDoc->m_nRecords)
        nLength = pDoc->GetRecordLength(static_cast<uint32_t>(nLine), true);
    const SpinRange columns = ColumnSpinRange(nLength);
    m_pColumn->setRange(Clamp(columns.m_nMin), Clamp(columns.m_nMax));
    const SpinRange lengths =
        LengthSpinRange(nLength, static_cast<uint32_t>(m_pColumn->value() - 1));
    m_pLength->setRange(Clamp(lengths.m_nMin), Clamp(lengths.m_nMax));
}

void CBookmark::ShowButtons() {
    m_pAdd->setEnabled(m_buttons.m_bAdd);
    m_pDelete->setEnabled(m_buttons.m_bDelete);
    m_pChange->setEnabled(m_buttons.m_bChange);
    m_pGoTo->setEnabled(m_buttons.m_bGoTo);
}

void CBookmark::OnNameChanged() {
    std::vector<std::string> names;
    for (int i = 0; i < m_pList->count(); ++i)
        names.push_back(ToAnsi(m_pList->item(i)->text()));
    ApplyNameRule(m_buttons, ToAnsi(m_pName->text()), names);
    ShowButtons();
}

void CBookmark::OnSelectionChanged() {
    const QList<QListWidgetItem*> selected = m_pList->selectedItems();
    ApplySelectionRule(m_buttons, static_cast<int>(selected.size()));
    if (selected.size() == 1 && m_host.pList) {
        if (const Bookmark* p = m_host.pList->Find(selected[0]->data(Qt::UserRole).toUInt())) {
            const auto it = std::find(m_host.documents.begin(), m_host.documents.end(), p->m_pDoc);
            if (it != m_host.documents.end()) {
                const QSignalBlocker block(m_pFile);
                m_pFile->setCurrentIndex(static_cast<int>(it - m_host.documents.begin()));
            }
            {
                const QSignalBlocker block(m_pName);
                m_pName->setText(FromAnsi(p->m_name));
            }
            SetRanges();
            m_pLine->setValue(Clamp(uint64_t{p->m_nLine} + 1));
            SetRanges();
            m_pColumn->setValue(Clamp(uint64_t{p->m_nColumn} + 1));
            SetRanges();
            m_pLength->setValue(Clamp(p->m_nLength));
        }
    }
    ShowButtons();
}

void CBookmark::OnAdd() {
    CTervikDoc* pDoc = CurrentDocument();
    if (!pDoc || !m_host.add) return;
    const std::string name = ToAnsi(m_pName->text());
    const uint32_t nId = m_host.add(
        pDoc->GetPathName(), name, static_cast<uint32_t>(m_pLine->value()),
        static_cast<uint32_t>(m_pColumn->value()), static_cast<uint32_t>(m_pLength->value()));
    if (nId == 0) return;
    auto* pItem = new QListWidgetItem(m_pName->text(), m_pList);
    pItem->setData(Qt::UserRole, static_cast<uint>(nId));
    OnNameChanged();
}

void CBookmark::OnChange() {
    const QList<QListWidgetItem*> selected = m_pList->selectedItems();
    if (selected.size() != 1 || !m_host.change) return;
    m_host.change(
        selected[0]->data(Qt::UserRole).toUInt(), static_cast<uint32_t>(m_pLine->value() - 1),
        static_cast<uint32_t>(m_pColumn->value() - 1), static_cast<uint32_t>(m_pLength->value()));
}

void CBookmark::OnDelete() {
    {
        // The rules run once afterwards, not for every item that goes.
        const QSignalBlocker block(m_pList);
        for (int i = m_pList->count() - 1; i >= 0; --i) {
            QListWidgetItem* pItem = m_pList->item(i);
            if (pItem->isSelected() && m_host.remove &&
                m_host.remove(pItem->data(Qt::UserRole).toUInt()))
                delete pItem;
        }
    }
    const int nSelected = static_cast<int>(m_pList->selectedItems().size());
    m_buttons.m_bDelete = nSelected > 0;
    OnNameChanged();
    if (nSelected == 0) m_buttons.m_bGoTo = false;
    ShowButtons();
}

void CBookmark::OnGoTo() {
    const QList<QListWidgetItem*> selected = m_pList->selectedItems();
    if (selected.size() != 1) return;
    m_nChosen = selected[0]->data(Qt::UserRole).toUInt();
    accept();
}

} // namespace tervik
