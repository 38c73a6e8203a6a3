#include "search/ui/SearchBox.h"

#include "framework/ui/QtText.h"
#include "search/SearchHistory.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QRegularExpression>

namespace tervik {

namespace {
constexpr int kMaxText = 128;

bool IsEnter(const QKeyEvent* pKey) {
    return pKey->key() == Qt::Key_Return || pKey->key() == Qt::Key_Enter;
}
} // namespace

QString CSearchBox::FirstLine(const QString& text) {
    const qsizetype n = text.indexOf(QRegularExpression("[\r\n]"));
    return n < 0 ? text : text.left(n);
}

CSearchBox::CSearchBox(CSearchHistory& history, QWidget* pParent)
    : QComboBox(pParent), m_history(history) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // What the user typed is what runs: no completion from the history.
    setCompleter(nullptr);
    lineEdit()->setMaxLength(kMaxText);
    Refresh();
    setCurrentIndex(-1);
    setEditText(QString());
    // A picked entry is selected whole, ready to be typed over.
    connect(this, &QComboBox::activated, this, [this] { lineEdit()->selectAll(); });
    // Every paste keeps the length rule: the field's own menu and the middle button
    // (the selection on X11) go through Paste as the keys do.
    lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lineEdit(), &QWidget::customContextMenuRequested, this, [this](const QPoint& pt) {
        QMenu* pMenu = lineEdit()->createStandardContextMenu();
        for (QAction* pAction : pMenu->actions()) {
            // Known by the text Qt gave it (the menu's own translation).
            if (pAction->text().section('\t', 0, 0) != QLineEdit::tr("&Paste")) continue;
            pAction->disconnect();
            connect(pAction, &QAction::triggered, this,
                    [this] { Paste(QApplication::clipboard()->text()); });
        }
        pMenu->exec(lineEdit()->mapToGlobal(pt));
        delete pMenu;
    });
    lineEdit()->installEventFilter(this);
}

bool CSearchBox::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == lineEdit() && pEvent->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(pEvent)->button() == Qt::MiddleButton &&
        QApplication::clipboard()->supportsSelection()) {
        Paste(QApplication::clipboard()->text(QClipboard::Selection));
        return true;
    }
    return QComboBox::eventFilter(pWatched, pEvent);
}

void CSearchBox::Refresh() {
    if (m_nGeneration == m_history.Generation()) return;
    m_nGeneration = m_history.Generation();
    const QString text = currentText();
    const int nCursor = lineEdit()->cursorPosition();
    const QSignalBlocker block(this);
    clear();
    for (const std::string& entry : m_history.Entries())
        addItem(FromAnsi(entry));
    setCurrentIndex(-1);
    setEditText(text);
    lineEdit()->setCursorPosition(nCursor);
}

std::vector<std::string> CSearchBox::History() const {
    return m_history.Entries();
}

bool CSearchBox::HistoryChanged() const {
    return m_history.Changed();
}

QWidget* CSearchBox::RememberedView() const {
    return m_pView;
}

void CSearchBox::SetActiveViewSource(std::function<QWidget*()> activeWindow) {
    m_activeView = std::move(activeWindow);
}

std::string CSearchBox::Pattern() const {
    return ToAnsi(currentText().left(kMaxText));
}

void CSearchBox::SetEnterHandler(std::function<void(CSearchBox&)> handler) {
    m_enter = std::move(handler);
}

void CSearchBox::EnterIntoHistory() {
    const QString text = currentText().left(kMaxText);
    if (text.isEmpty()) return;
    m_history.Enter(ToAnsi(text));
    Refresh();
    // The entry at the top is the text; it is the box's current item.
    const QSignalBlocker block(this);
    setCurrentIndex(0);
    setEditText(text);
}

bool CSearchBox::Paste(const QString& text) {
    QLineEdit* pEdit = lineEdit();
    const QString line = FirstLine(text);
    if (line.isEmpty()) return false;
    // Cut to fit, the pattern would search for something other than what was copied.
    const qsizetype nKept = pEdit->text().size() - pEdit->selectedText().size();
    if (nKept + line.size() > kMaxPaste) return false;
    pEdit->insert(line);
    return true;
}

void CSearchBox::showPopup() {
    Refresh();
    QComboBox::showPopup();
}

void CSearchBox::focusInEvent(QFocusEvent* pEvent) {
    Refresh();
    QComboBox::focusInEvent(pEvent);
    m_pView = m_activeView ? m_activeView() : nullptr;
}

void CSearchBox::focusOutEvent(QFocusEvent* pEvent) {
    QComboBox::focusOutEvent(pEvent);
    // A menu or list of the box's own takes the focus only for a moment.
    if (pEvent->reason() == Qt::PopupFocusReason) return;
    lineEdit()->selectAll();
    EnterIntoHistory();
}

void CSearchBox::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->matches(QKeySequence::Paste)) {
        Paste(QApplication::clipboard()->text());
        pEvent->accept();
        return;
    }
    if (IsEnter(pEvent)) {
        pEvent->accept(); // pressing does nothing; releasing searches
        return;
    }
    QComboBox::keyPressEvent(pEvent);
}

void CSearchBox::keyReleaseEvent(QKeyEvent* pEvent) {
    if (IsEnter(pEvent) && !pEvent->isAutoRepeat()) {
        pEvent->accept();
        if (m_enter) m_enter(*this);
        return;
    }
    QComboBox::keyReleaseEvent(pEvent);
}

} // namespace tervik
