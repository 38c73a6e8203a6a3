#include "document/ui/ViewerFileDialog.h"

#include "base/Settings.h"
#include "base/Strings.h"
#include "framework/ui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QSpinBox>
#include <QSplitter>
#include <QTreeView>
#include <algorithm>
#include <limits>

namespace tervik {

namespace {

std::optional<bool> g_bForceGerman;

// A number field whose arrows keep to their range but whose text takes any digits,
// as typed: 0 switches the option off and a too large length is cut when read,
// so leaving the field must not correct it.
class CDigitSpinBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString& text, int& /*pos*/) const override {
        for (const QChar c : text)
            if (c < u'0' || c > u'9') return QValidator::Invalid;
        return QValidator::Acceptable;
    }

    int valueFromText(const QString& text) const override {
        bool bOk = false;
        const qlonglong n = text.left(12).toLongLong(&bOk);
        if (!bOk) return minimum();
        return static_cast<int>(std::clamp<qlonglong>(n, minimum(), maximum()));
    }

    void focusOutEvent(QFocusEvent* pEvent) override {
        QCoreApplication::sendEvent(lineEdit(), pEvent);
        QWidget::focusOutEvent(pEvent);
        emit editingFinished();
    }

    void keyPressEvent(QKeyEvent* pEvent) override {
        // Enter belongs to the dialog's default button, with the text left as typed.
        if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) {
            pEvent->ignore();
            return;
        }
        QSpinBox::keyPressEvent(pEvent);
    }
};

} // namespace

void CViewerFileDialog::ForceGerman(std::optional<bool> bGerman) {
    g_bForceGerman = bGerman;
}

bool CViewerFileDialog::IsGerman() {
    // The program speaks German whatever the system's language.
    return g_bForceGerman.value_or(true);
}

CViewerFileDialog::CViewerFileDialog(QWidget* pParent, bool bShareWrite, int nLastFixRecSize,
                                     int nFilterIndex, CSettings& settings)
    : QFileDialog(pParent), m_settings(settings) {
    const bool bGerman = IsGerman();
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFiles);
    setWindowTitle(bGerman ? QString::fromUtf8("Öffnen") : QStringLiteral("Open"));

    QStringList filters;
    for (const std::string& filter : FileDialogFilters(LoadString(IDS_OPEN_FILTER)))
        filters << FromAnsi(filter);
    setNameFilters(filters);
    if (nFilterIndex >= 0 && nFilterIndex < filters.size()) selectNameFilter(filters[nFilterIndex]);

    auto* pPanel = new QWidget(this);
    pPanel->setObjectName("openOptions");
    auto* pGrid = new QGridLayout(pPanel);
    pGrid->setContentsMargins(0, 0, 0, 0);

    m_pShare = new QCheckBox(bGerman ? QString::fromUtf8("Lesen und Schreiben für andere "
                                                         "Prozesse erlauben")
                                     : QStringLiteral("allow other processes read and write "
                                                      "operations"),
                             pPanel);
    m_pShare->setObjectName("shareCheck");
    m_pShare->setChecked(bShareWrite);

    m_pFixed = new QCheckBox(bGerman ? QString::fromUtf8("Datei mit fixer Satzlänge (NewLine "
                                                         "Zeichen ignorieren)")
                                     : QStringLiteral("file with fix record length (ignore "
                                                      "new line)"),
                             pPanel);
    m_pFixed->setObjectName("fixedCheck");
    m_pFixedLength = new CDigitSpinBox(pPanel);
    m_pFixedLength->setObjectName("fixedLength");
    m_pFixedLength->setRange(1, kMaxFixRecSize);
    m_pFixedLength->setAlignment(Qt::AlignRight);
    // 0 (no fixed length last time) shows as the smallest length.
    m_pFixedLength->setValue(nLastFixRecSize);

    m_pLimit = new QCheckBox(bGerman ? QString::fromUtf8("Satzanzahl beschränken auf")
                                     : QStringLiteral("record count limited to"),
                             pPanel);
    m_pLimit->setObjectName("limitCheck");
    m_pLimitCount = new CDigitSpinBox(pPanel);
    m_pLimitCount->setObjectName("limitCount");
    m_pLimitCount->setRange(1, std::numeric_limits<int>::max());
    m_pLimitCount->setAlignment(Qt::AlignRight);
    m_pLimitCount->setValue(1000);

    m_pDirection = new QComboBox(pPanel);
    m_pDirection->setObjectName("direction");
    if (bGerman)
        m_pDirection->addItems({"Zeilen vom Dateianfang", "Zeilen vom Dateiende"});
    else
        m_pDirection->addItems({"records (begin of file)", "records (end of file)"});
    m_pDirection->setCurrentIndex(0);

    pGrid->addWidget(m_pShare, 0, 0, 1, 3);
    pGrid->addWidget(m_pFixed, 1, 0);
    pGrid->addWidget(m_pFixedLength, 1, 1);
    pGrid->addWidget(m_pLimit, 2, 0);
    pGrid->addWidget(m_pLimitCount, 2, 1);
    pGrid->addWidget(m_pDirection, 2, 2);
    pGrid->setColumnStretch(3, 1);

    // Qt's own dialog lays itself out in a grid; the panel goes below everything.
    if (auto* pDialogGrid = qobject_cast<QGridLayout*>(layout()))
        pDialogGrid->addWidget(pPanel, pDialogGrid->rowCount(), 0, 1, pDialogGrid->columnCount());
    else if (layout())
        layout()->addWidget(pPanel);

    // Sizes, types and dates show whole: their columns grow to what a folder shows
    // once it is read (never shrink below what the user made them), and the dialog
    // starts wide enough to leave the names room as well.
    if (auto* pTree = findChild<QTreeView*>("treeView")) {
        auto fit = [pTree] {
            QHeaderView* pHeader = pTree->header();
            const QAbstractItemView* pView = pTree; // where the size hint is public
            for (int c = 1; c < pHeader->count(); ++c) {
                const int nWant =
                    std::max(pView->sizeHintForColumn(c), pHeader->sectionSizeHint(c));
                if (pHeader->sectionSize(c) < nWant) pHeader->resizeSection(c, nWant);
            }
        };
        if (auto* pModel = findChild<QFileSystemModel*>())
            connect(pModel, &QFileSystemModel::directoryLoaded, pTree, fit, Qt::QueuedConnection);
    }
    // The places on the left show their names whole as well.
    auto* pSplitter = findChild<QSplitter*>("splitter");
    auto* pSidebar = findChild<QListView*>("sidebar");
    if (pSplitter && pSidebar && pSplitter->count() == 2) {
        const QAbstractItemView* pView = pSidebar;
        const int nWant = pView->sizeHintForColumn(0) + 2 * pSidebar->frameWidth() + 8;
        const QList<int> sizes = pSplitter->sizes();
        if (sizes.value(0) < nWant) pSplitter->setSizes({nWant, std::max(1, sizes.value(1))});
    }
    resize(std::max(width(), 900), std::max(height(), 540));
}

void CViewerFileDialog::done(int nResult) {
    m_values = ReadOpenDialogValues(m_pShare->isChecked(), m_pFixed->isChecked(),
                                    m_pFixedLength->text().toStdString(), m_pLimit->isChecked(),
                                    m_pLimitCount->text().toStdString(),
                                    m_pDirection->currentIndex(), m_settings);
    QFileDialog::done(nResult);
}

QStringList CViewerFileDialog::TypedNames() const {
    // Names typed into the field are opened as typed: Qt's own list keeps only those
    // its name filter shows once some of them are selected in the view.
    const auto* pEdit = findChild<QLineEdit*>("fileNameEdit");
    const QString text = pEdit ? pEdit->text().trimmed() : QString();
    QStringList names;
    if (text.startsWith('"')) {
        // "a" "b": every quoted name; what lies between them is no name.
        const QStringList parts = text.split('"');
        for (qsizetype i = 1; i < parts.size(); i += 2)
            if (!parts[i].isEmpty()) names << parts[i];
    } else if (!text.isEmpty()) {
        names << text;
    }
    QStringList files;
    const QDir folder = directory();
    for (const QString& name : names)
        files << QDir::cleanPath(folder.absoluteFilePath(name));
    return files;
}

std::vector<std::string> CViewerFileDialog::SelectedFiles() const {
    std::vector<std::string> files;
    if (result() != QDialog::Accepted) return files;
    QStringList chosen = TypedNames();
    if (chosen.isEmpty()) chosen = selectedFiles();
    for (const QString& file : chosen)
        files.push_back(ToPath(file));
    return files;
}

int CViewerFileDialog::SelectedFilterIndex() const {
    return static_cast<int>(nameFilters().indexOf(selectedNameFilter()));
}

} // namespace tervik
