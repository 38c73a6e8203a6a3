#pragma once

// A search box: an editable list of recent patterns, shared by the toolbar and the
// four search bars through the settings.

#include <QComboBox>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

namespace tervik {

class CSettings;
class CTervikView;

class CSearchBox : public QComboBox {
    Q_OBJECT
public:
    CSearchBox(CSettings& settings, QWidget* pParent = nullptr);
    ~CSearchBox() override;

    // Enters the current text at the top of the history (as when the box loses the
    // focus): an equal entry (case ignored) moves up, one at the top stays.
    void EnterIntoHistory();
    // The part of a text before its first line break.
    static QString FirstLine(const QString& text);
    // Inserts text as typed or pasted: only its first line.
    void InsertText(const QString& text);
    std::vector<std::string> History() const;
    bool HistoryChanged() const { return m_bHistoryChanged; }
    // The view that was active when the box last got the focus.
    CTervikView* RememberedView() const;
    // The text in the program's code page, at most 128 characters.
    std::string Pattern() const;

    // Runs "Weitersuchen" with the toolbar box's text when Enter is released.
    static void SetEnterHandler(std::function<void()> handler);

protected:
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    CSettings& m_settings;
    bool m_bHistoryChanged = false;
    QPointer<CTervikView> m_pView;
};

} // namespace tervik
