// The help menu of the application: feedback mails, change history, about box.

#include "app/FeedbackMail.h"
#include "app/ProductVersion.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/History.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "framework/CommandIds.h"
#include "platform/CodePage.h"

#include <QByteArray>
#include <QDesktopServices>

namespace tervik {

namespace {

CTervikApp::MailHook& MailHookSlot() {
    static CTervikApp::MailHook hook;
    return hook;
}

void SendPreparedMail(CTervikApp& app, FeedbackKind kind) {
    // The version as the subject has room for it: nine characters.
    char szVersion[10];
    GetProductVersion(szVersion, sizeof szVersion);
    app.SendFeedbackMail(FeedbackSubject(kind, szVersion), FeedbackBodyForm(kind));
}

} // namespace

void CTervikApp::SetMailHook(MailHook hook) {
    MailHookSlot() = std::move(hook);
}

bool CTervikApp::OnHelpCommand(unsigned nId, CCmdUI* pUI) {
    static const CommandEntry<CTervikApp> kCommands[] = {
        {ID_MAIL_PRAISE, &CTervikApp::OnMailPraise, nullptr},
        {ID_MAIL_SUGGESTION, &CTervikApp::OnMailSuggestion, nullptr},
        {ID_MAIL_ERROR, &CTervikApp::OnMailError, nullptr},
        {ID_CHANGE_HISTORY, &CTervikApp::OnChangeHistory, nullptr},
    };
    return DispatchCommand(*this, kCommands, nId, pUI);
}

void CTervikApp::OnMailPraise() {
    SendPreparedMail(*this, FeedbackKind::Praise);
}

void CTervikApp::OnMailSuggestion() {
    SendPreparedMail(*this, FeedbackKind::Suggestion);
}

void CTervikApp::OnMailError() {
    SendPreparedMail(*this, FeedbackKind::Error);
}

void CTervikApp::SendFeedbackMail(const std::string& subject, const std::string& body) {
    const std::string filled = FillFeedbackBody(body, CurrentFeedbackValues());
    const std::string recipient = Cp1252ToUtf8(m_pSettings->FeedbackMail());
    const QUrl url = QUrl::fromEncoded(
        QByteArray::fromStdString(MailtoUrl(recipient, subject, filled)), QUrl::StrictMode);
    if (MailHookSlot()) {
        MailHookSlot()(url);
        return;
    }
    // Without a mail client the desktop refuses; the user is not told.
    QDesktopServices::openUrl(url);
}

void CTervikApp::OnChangeHistory() {
    CHistory dialog(m_pMainFrame.get());
    dialog.exec();
}

void CTervikApp::OnAppAbout() {
    CAboutDlg dialog(m_pMainFrame.get());
    dialog.exec();
}

} // namespace tervik
