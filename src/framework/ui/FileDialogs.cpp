#include "framework/ui/FileDialogs.h"

#include "framework/FileFilters.h"
#include "framework/ui/QtText.h"

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

std::optional<std::string> AskFileName(const FileDialogRequest& request, QWidget* pParent) {
    if (Hook()) return Hook()(request);
    QFileDialog dialog(pParent);
    dialog.setAcceptMode(request.m_bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.m_bSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Qt asks before an existing file is replaced unless told otherwise.
    if (!request.m_defaultExt.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.m_defaultExt));
    if (!request.m_folder.empty()) dialog.setDirectory(QString::fromStdString(request.m_folder));
    QStringList filters;
    for (const std::string& filter : FileDialogFilters(request.m_filter))
        filters << FromAnsi(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

} // namespace tervik
