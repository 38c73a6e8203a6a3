#pragma once

// "Änderungshistorie": the program's change log in a resizable window.

#include <QDialog>

class QTextBrowser;
class QTextDocument;

namespace tervik {

// Turns web and mail addresses written as plain text into links.
void DetectLinks(QTextDocument& document);

class CHistory : public QDialog {
    Q_OBJECT
public:
    // html empty: the change log of the resources.
    explicit CHistory(QWidget* pParent = nullptr, const QString& html = {});

    QTextBrowser* Browser() const { return m_pBrowser; }

protected:
    void resizeEvent(QResizeEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;

private:
    QTextBrowser* m_pBrowser = nullptr;
    // The margins around the text as the dialog first laid it out.
    int m_nMarginX = 0;
    int m_nMarginY = 0;
    bool m_bInitialised = false;
};

} // namespace tervik
