// The character-frequency command: the CSV goes to the temporary folder and opens in
// the desktop's program for it (the spreadsheet).

#include "base/Strings.h"
#include "base/TempFolder.h"
#include "framework/MessageBoxTypes.h"
#include "framework/ui/QtText.h"
#include "platform/CodePage.h"
#include "search/CharFrequency.h"
#include "views/ui/TervikView.h"
#include "views/ui/ViewHost.h"

#include <QProcess>
#include <QStringList>
#include <ctime>

namespace tervik {

namespace {
CTervikView::OpenFileHook& OpenFileHookSlot() {
    static CTervikView::OpenFileHook s_hook;
    return s_hook;
}
} // namespace

void CTervikView::SetOpenFileHook(OpenFileHook hook) {
    OpenFileHookSlot() = std::move(hook);
}

void CTervikView::OnCharFrequency() {
    if (!m_pHost) return;
    const std::string folder = m_pHost->GeneratedFolder();
    if (folder.empty()) return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string path = GeneratedFileName(folder, m_doc.GetPathName(), local, ".csv");
    if (const uint32_t nError = WriteCharFrequency(m_doc, path, true)) {
        m_doc.Host().MessageBox(ProcessingErrorText(path, nError), MB_OK | MB_ICONHAND);
        return;
    }
    // Ours until this copy ends, even while the spreadsheet still shows it.
    m_pHost->ClaimTempFile(path);
    // Without a program for CSV files nothing would show up: the user can still go there.
    m_doc.Host().SetStatusText(FormatString(IDS_CHAR_FREQUENCY_WRITTEN, PathToAnsi(path).c_str()));
    if (OpenFileHookSlot()) {
        OpenFileHookSlot()(path);
        return;
    }
    // A program that cannot be started is the desktop's business.
    QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{FromPath(path)});
}

} // namespace tervik
