#pragma once

// The plain file dialogs of the commands (scripts, export): a filter list in the
// "Text|*.ext||" form, a default extension, and the question before an existing file
// is overwritten. Tests answer them through a hook.

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace tervik {

struct FileDialogRequest {
    bool m_bSave = false;
    std::string m_filter;     // cp1252, "" = none
    std::string m_defaultExt; // without the dot
    std::string m_folder;     // where it starts, "" = current
    // Save dialogs: answers a message (cp1252) when the chosen file must not be
    // written. It is checked before the question about overwriting; a refused name
    // is told and ends the command.
    std::function<std::string(const std::string& path)> m_refuse;
};

// The chosen file as a native path; nothing when cancelled.
std::optional<std::string> AskFileName(const FileDialogRequest& request, QWidget* pParent);

// While set, the hook answers instead of a dialog being shown.
using FileDialogHook = std::function<std::optional<std::string>(const FileDialogRequest&)>;
void SetFileDialogHook(FileDialogHook hook);

} // namespace tervik
