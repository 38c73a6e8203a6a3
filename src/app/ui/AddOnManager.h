#pragma once

// The viewer's side of add-on libraries: loading and registering them, their
// entries in the "E&xtras" menu and the context menu, and running an entry with its
// output file opened in the viewer or by the desktop.

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace tervik {

class CAddOnHost;
class CCmdUI;
class CTervikApp;
struct AddOnMenuEntry;

class CAddOnManager {
public:
    explicit CAddOnManager(CTervikApp& app);
    ~CAddOnManager();
    CAddOnManager(const CAddOnManager&) = delete;
    CAddOnManager& operator=(const CAddOnManager&) = delete;

    // The libraries; made when first needed.
    CAddOnHost& Host();
    // The libraries the settings mark for loading, at start-up; a message for each
    // one that failed.
    void LoadRegistered();
    // Loads a library and lets it add its entries; bRegister writes it into
    // "ExtensionList" when it registered. False after a message.
    bool LoadAddOn(const std::string& path, bool bRegister);
    // "AddOn registrieren...": asks for a library and registers it.
    void Register();
    void Unload();

    // Puts the entries before "AddOn registrieren..." of a document's menu, once.
    void BuildAddOnMenu(QMenu& menu);
    // The same entries at the end of a view's context menu.
    void AppendAddOnItems(QMenu& menu);
    void UpdateAddOnCommand(CCmdUI& ui, unsigned nId);
    void DispatchAddOnCommand(unsigned nId);

    // Opens a file with the desktop's program for it; tests answer instead.
    using ShellOpenHook = std::function<void(const std::string&)>;
    static void SetShellOpenHook(ShellOpenHook hook);
    static void ShellOpen(const std::string& path);

private:
    // Enables and checks the add-on actions of a menu as their update says.
    void UpdateAddOnActions(const QMenu& menu);
    QAction* EntryAction(QMenu& owner, const AddOnMenuEntry& e, bool bShared);
    // Puts the walk's elements into menu, before pBefore (null = at the end).
    void InsertWalk(QMenu& menu, QAction* pBefore, const std::vector<AddOnMenuEntry>& walk,
                    bool bShared);

    CTervikApp& m_app;
    std::unique_ptr<CAddOnHost> m_pAddOns;
};

} // namespace tervik
