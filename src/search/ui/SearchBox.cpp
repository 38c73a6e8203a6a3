#include "search/ui/SearchBox.h"

#include "base/Settings.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "framework/ui/QtText.h"
#include "platform/CodePage.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace tervik {

namespace {
constexpr int kMaxText = 128;
std::function<void()>& EnterHandler() {
    static std::function<void()> s_handler;
    return s_handler;
}
} // namespace

QString CSearchBox::FirstLine(const QString& text) {
    const qsizetype n = text.indexOf(QRegularExpression("[\r\n]"));
    return n < 0 ? text : text.left(n);
}

void CSearchBox::SetEnterHandler(std::function<void()> handler) {
    EnterHandler() = std::move(handler);
}

CSearchBox::CSearchBox(CSettings& settings, QWidget* pParent)
    : QComboBox(pParent), m_settings(settings) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    lineEdit()->setMaxLength(kMaxText);
    lineEdit()->installEventFilter(this);
    for (const std::string& entry : m_settings.ReadSearchList())
        addItem(FromAnsi(entry));
    setCurrentIndex(-1);
    setEditText(QString());
    // A picked entry is selected whole, ready to be typed over.
    connect(this, &QComboBox::activated, this, [this] { lineEdit()->selectAll(); });
}

CSearchBox::~CSearchBox() {
    // The box destroyed last wins: its list is what the next start shows.
    if (m_bHistoryChanged) m_settings.WriteSearchList(History());
}

std::vector<std::string> CSearchBox::History() const {
    std::vector<std::string> entries;
    for (int i = 0; i < count(); ++i)
        entries.push_back(ToAnsi(itemText(i)));
    return entries;
}

CTervikView* CSearchBox::RememberedView() const {
    return m_pView;
}

std::string CSearchBox::Pattern() const {
    return ToAnsi(currentText().left(kMaxText));
}

void CSearchBox::EnterIntoHistory() {
    const QString text = currentText().left(kMaxText);
    if (text.isEmpty()) return;
    const std::string ansi = ToAnsi(text);
    int nFound = -1;
    for (int i = 0; i < count() && nFound < 0; ++i)
        if (EqualNoCase(ToAnsi(itemText(i)), ansi)) nFound = i;
    if (nFound == 0) return;
    if (nFound > 0) removeItem(nFound);
    insertItem(0, text);
    setCurrentIndex(0);
    setEditText(text);
    m_bHistoryChanged = true;
}

void CSearchBox::InsertText(const QString& text) {
    lineEdit()->insert(FirstLine(text));
}

void CSearchBox::focusInEvent(QFocusEvent* pEvent) {
    QComboBox::focusInEvent(pEvent);
    if (CTervikApp::Instance() && CTervikApp::Instance()->MainFrame())
        m_pView = CTervikApp::Instance()->MainFrame()->ActiveView();
}

void CSearchBox::focusOutEvent(QFocusEvent* pEvent) {
    QComboBox::focusOutEvent(pEvent);
    lineEdit()->selectAll();
    EnterIntoHistory();
}

bool CSearchBox::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == lineEdit()) {
        if (pEvent->type() == QEvent::KeyPress) {
            auto* pKey = static_cast<QKeyEvent*>(pEvent);
            if (pKey->matches(QKeySequence::Paste)) {
                InsertText(QApplication::clipboard()->text());
                return true;
            }
            if (pKey->key() == Qt::Key_Return || pKey->key() == Qt::Key_Enter)
                return true; // pressing does nothing; releasing searches
        } else if (pEvent->type() == QEvent::KeyRelease) {
            auto* pKey = static_cast<QKeyEvent*>(pEvent);
            if ((pKey->key() == Qt::Key_Return || pKey->key() == Qt::Key_Enter) && EnterHandler()) {
                EnterHandler()();
                return true;
            }
        }
    }
    return QComboBox::eventFilter(pWatched, pEvent);
}

} // namespace tervik
