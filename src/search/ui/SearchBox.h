#pragma once

// A search box: an editable list of recent patterns. The toolbar's box and the four
// bars' boxes show one shared history.

#include <QComboBox>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tervik {

class CSearchHistory;

class CSearchBox : public QComboBox {
    Q_OBJECT
public:
    explicit CSearchBox(CSearchHistory& history, QWidget* pParent = nullptr);

    // Enters the current text at the top of the history (as when the box loses the
    // focus): an equal entry (case ignored) moves up, one at the top stays.
    void EnterIntoHistory();
    // The part of a text before its first line break.
    static QString FirstLine(const QString& text);
    // A paste: the first line of text replaces the selection, the caret after it;
    // only when the box then holds at most kMaxPaste characters, else nothing changes.
    bool Paste(const QString& text);
    static constexpr int kMaxPaste = 127;
    std::vector<std::string> History() const;
    bool HistoryChanged() const;
    // The window that was active when the box last got the focus, as activeWindow
    // named it (the frame hands it in: the box knows no views).
    QWidget* RememberedView() const;
    void SetActiveViewSource(std::function<QWidget*()> activeWindow);
    // The text in the program's code page, at most 128 characters.
    std::string Pattern() const;
    // Runs when Enter (main or keypad) is released in the box.
    void SetEnterHandler(std::function<void(CSearchBox&)> handler);
    void showPopup() override;

protected:
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    // Keys arrive at the box, which hands them to its edit field.
    void keyPressEvent(QKeyEvent* pEvent) override;
    void keyReleaseEvent(QKeyEvent* pEvent) override;
    // The middle button's paste of the selection keeps the length rule too.
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    // Refills the list from the shared history when another box changed it; the
    // typed text stays.
    void Refresh();

    CSearchHistory& m_history;
    uint64_t m_nGeneration = UINT64_MAX;
    QPointer<QWidget> m_pView;
    std::function<QWidget*()> m_activeView;
    std::function<void(CSearchBox&)> m_enter;
};

} // namespace tervik
