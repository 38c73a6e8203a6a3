#include "framework/ui/FileDialogs.h"

#include "base/Strings.h"
#include "framework/FileFilters.h"
#include "framework/ui/MessageBox.h"
#include "framework/ui/QtText.h"
#include "platform/CodePage.h"
#include "platform/SysPaths.h"

#include <QFileDialog>
#include <QStringList>

namespace tervik {

namespace {
FileDialogHook& Hook() {
    static FileDialogHook hook;
    return hook;
}
} // namespace

void SetFileDialogHook(FileDialogHook hook) {
    Hook() = std::move(hook);
}

namespace {

// A refused name is told; an existing one is asked about when the dialog did not.
bool Acceptable(const FileDialogRequest& request, const std::string& path, bool bAskOverwrite,
                QWidget* pParent) {
    if (!request.m_refuse) return true;
    if (const std::string refusal = request.m_refuse(path); !refusal.empty()) {
        TervikMessageBox(refusal, MB_OK | MB_ICONHAND, pParent);
        return false;
    }
    if (!bAskOverwrite || !FileExists(path)) return true;
    const std::string question = FormatString(IDS_ASK_OVERWRITE, PathToAnsi(path).c_str());
    return TervikMessageBox(question, MB_YESNO | MB_ICONEXCLAMATION, pParent) == IDYES;
}

} // namespace

std::optional<std::string> AskFileName(const FileDialogRequest& request, QWidget* pParent) {
    if (Hook()) {
        std::optional<std::string> path = Hook()(request);
        if (path && !Acceptable(request, *path, false, pParent)) return std::nullopt;
        return path;
    }
    QFileDialog dialog(pParent);
    dialog.setAcceptMode(request.m_bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.m_bSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Qt asks before an existing file is replaced unless told otherwise; a name that
    // is refused must be refused before that question, so then we ask ourselves.
    if (request.m_refuse) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.m_defaultExt.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.m_defaultExt));
    if (!request.m_folder.empty()) dialog.setDirectory(FromPath(request.m_folder));
    QStringList filters;
    for (const std::string& filter : FileDialogFilters(request.m_filter))
        filters << FromAnsi(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    std::string path = ToPath(dialog.selectedFiles().front());
    if (!Acceptable(request, path, true, pParent)) return std::nullopt;
    return path;
}

} // namespace tervik
