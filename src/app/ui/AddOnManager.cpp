#include "app/ui/AddOnManager.h"

#include "app/AddOnHost.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "app/ui/WaitCursor.h"
#include "base/SettingKeys.h"
#include "base/Strings.h"
#include "base/TempFolder.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "framework/MessageBoxTypes.h"
#include "framework/ui/FileDialogs.h"
#include "framework/ui/MessageBox.h"
#include "framework/ui/QtText.h"
#include "platform/SysPaths.h"
#include "views/ui/TervikView.h"

#include <QMenu>
#include <QProcess>
#include <cerrno>
#include <ctime>

namespace tervik {

namespace {

// The path the register dialog may give: what the settings file keeps.
constexpr size_t kMaxLibraryPath = 255;

CAddOnManager::ShellOpenHook& ShellHook() {
    static CAddOnManager::ShellOpenHook hook;
    return hook;
}

} // namespace

CAddOnManager::CAddOnManager(CTervikApp& app) : m_app(app) {}

CAddOnManager::~CAddOnManager() = default;

void CAddOnManager::SetShellOpenHook(ShellOpenHook hook) {
    ShellHook() = std::move(hook);
}

void CAddOnManager::ShellOpen(const std::string& path) {
    if (ShellHook()) {
        ShellHook()(path);
        return;
    }
    QProcess::startDetached(QStringLiteral("xdg-open"), {FromPath(path)});
}

CAddOnHost& CAddOnManager::Host() {
    if (!m_pAddOns) m_pAddOns = std::make_unique<CAddOnHost>();
    return *m_pAddOns;
}

void CAddOnManager::LoadRegistered() {
    for (const std::string& message : Host().LoadExtensionList(m_app.Profile(), m_app.m_szIniPath))
        TervikMessageBox(message, MB_OK, m_app.MainFrame());
}

void CAddOnManager::Unload() {
    m_pAddOns.reset();
}

bool CAddOnManager::LoadAddOn(const std::string& path, bool bRegister) {
    std::string message;
    const CAddOnHost::LoadStatus status =
        bRegister ? Host().RegisterAddOn(m_app.Profile(), path, m_app.m_szIniPath, message)
                  : Host().LoadAddOn(path, m_app.m_szIniPath, message);
    switch (status) {
    case CAddOnHost::LoadStatus::Registered:
        return true;
    case CAddOnHost::LoadStatus::Refused:
        return true;
    case CAddOnHost::LoadStatus::LoadFailed:
    case CAddOnHost::LoadStatus::NoEntryPoint:
        break;
    }
    TervikMessageBox(message, MB_OK, m_app.MainFrame());
    return false;
}

void CAddOnManager::Register() {
    FileDialogRequest request;
    request.m_filter = LoadString(IDS_ADDON_FILTER);
    request.m_defaultExt = "so";
    const std::optional<std::string> path = AskFileName(request, m_app.MainFrame());
    if (!path || path->empty()) return;
    // A longer name would not fit the library's buffers; it is refused as the dialog
    // would refuse it.
    if (path->size() > kMaxLibraryPath) {
        LibraryLoadError tooLong;
        tooLong.nCode = ENAMETOOLONG;
        TervikMessageBox(LoadFailureMessage(*path, tooLong), MB_OK, m_app.MainFrame());
        return;
    }
    LoadAddOn(*path, true);
}

namespace {

QAction* FindCommand(QMenu& menu, unsigned nId) {
    for (QAction* pAction : menu.actions()) {
        bool bOk = false;
        if (!pAction->menu() && pAction->data().toUInt(&bOk) == nId && bOk) return pAction;
    }
    return nullptr;
}

// The id an add-on action runs, 0 for none.
unsigned AddOnIdOf(const QAction* pAction) {
    bool bOk = false;
    const unsigned nId = pAction->property("addOnId").toUInt(&bOk);
    return bOk ? nId : 0;
}

} // namespace

void CAddOnManager::UpdateAddOnActions(const QMenu& menu) {
    for (QAction* pAction : menu.actions()) {
        if (const QMenu* pSub = pAction->menu()) {
            UpdateAddOnActions(*pSub);
            continue;
        }
        const unsigned nId = AddOnIdOf(pAction);
        if (nId == 0) continue;
        CCmdUI ui(nId);
        UpdateAddOnCommand(ui, nId);
        pAction->setEnabled(ui.m_bEnabled);
        pAction->setCheckable(ui.m_bCheckable);
        pAction->setChecked(ui.m_nCheck != 0);
    }
}

// An entry's action. In the main menu it is the frame's own action for the id
// (its update and command reach the application). The context menu gets its own,
// which runs the command itself: the view's menu handler ignores it, so a click in
// a submenu is not run twice. Ids beyond the handlers stay disabled.
QAction* CAddOnManager::EntryAction(QMenu& owner, const AddOnMenuEntry& e, bool bShared) {
    const QString text = FromAnsi(e.pItem->text);
    const bool bHandled = e.nId >= ID_ADDON_FIRST && e.nId <= ID_ADDON_LAST;
    CMainFrame* pFrame = m_app.MainFrame();
    if (bShared && bHandled && pFrame) {
        if (QAction* pAction = pFrame->Action(e.nId)) {
            pAction->setText(text);
            pAction->setProperty("addOnId", e.nId);
            return pAction;
        }
    }
    auto* pAction = new QAction(text, &owner);
    if (!bHandled) {
        pAction->setEnabled(false);
        return pAction;
    }
    const unsigned nId = e.nId;
    pAction->setProperty("addOnId", nId);
    QObject::connect(pAction, &QAction::triggered, pAction, [this, nId] {
        if (CMainFrame* pMain = m_app.MainFrame()) pMain->ExecuteCommand(nId);
    });
    return pAction;
}

void CAddOnManager::InsertWalk(QMenu& menu, QAction* pBefore,
                               const std::vector<AddOnMenuEntry>& walk, bool bShared) {
    QMenu* pPopup = nullptr;
    for (const AddOnMenuEntry& e : walk) {
        if (!e.bInPopup) pPopup = nullptr;
        QMenu& target = e.bInPopup && pPopup ? *pPopup : menu;
        QAction* pAt = &target == &menu ? pBefore : nullptr;
        switch (e.kind) {
        case AddOnMenuEntry::Popup: {
            pPopup = new QMenu(FromAnsi(e.pItem->text), &menu);
            menu.insertMenu(pBefore, pPopup);
            // The popup's entries are brought up to date when it opens.
            QObject::connect(pPopup, &QMenu::aboutToShow, pPopup,
                             [this, pPopup] { UpdateAddOnActions(*pPopup); });
            break;
        }
        case AddOnMenuEntry::Separator:
            if (pAt)
                target.insertSeparator(pAt);
            else
                target.addSeparator();
            break;
        case AddOnMenuEntry::Item:
            target.insertAction(pAt, EntryAction(target, e, bShared));
            break;
        }
    }
}

void CAddOnManager::BuildAddOnMenu(QMenu& menu) {
    // Only the menu of an open document, once, and only with libraries loaded.
    if (!m_pAddOns || !m_pAddOns->HasAddOns()) return;
    QAction* pRegister = FindCommand(menu, ID_ADDON_REGISTER);
    if (!pRegister || !FindCommand(menu, ID_CHAR_FREQUENCY)) return;
    if (menu.property("addOnsBuilt").toBool() || FindCommand(menu, ID_ADDON_FIRST)) return;
    menu.setProperty("addOnsBuilt", true);
    InsertWalk(menu, pRegister, m_pAddOns->WalkMenu(), true);
    menu.insertSeparator(pRegister);
}

void CAddOnManager::AppendAddOnItems(QMenu& menu) {
    if (!m_pAddOns || !m_pAddOns->HasAddOns()) return;
    const std::vector<AddOnMenuEntry> walk = m_pAddOns->WalkMenu();
    if (walk.empty()) return;
    menu.addSeparator();
    InsertWalk(menu, nullptr, walk, false);
    // The context menu is not updated by the frame: its entries get their state now.
    UpdateAddOnActions(menu);
}

void CAddOnManager::UpdateAddOnCommand(CCmdUI& ui, unsigned nId) {
    if (!m_pAddOns) {
        ui.Enable(false);
        return;
    }
    CTervikView* pView = m_app.MainFrame() ? m_app.MainFrame()->ActiveView() : nullptr;
    const CAddOnHost::CommandState state =
        m_pAddOns->UpdateCommand(nId, pView && pView->HasMarking());
    ui.Enable(state.bEnabled);
    const AddOnItem* pItem = m_pAddOns->FindItem(nId);
    if (pItem && (pItem->nInterface & ITEM_TOGGLE) != 0) ui.SetCheck(state.bChecked ? 1 : 0);
}

void CAddOnManager::DispatchAddOnCommand(unsigned nId) {
    auto fail = [this](const std::string& message) {
        TervikMessageBox(message.empty() ? LoadString(IDS_ADDON_NOT_IMPLEMENTED) : message, MB_OK,
                         m_app.MainFrame());
    };
    AddOnItem* pItem = m_pAddOns ? m_pAddOns->FindItem(nId) : nullptr;
    CTervikView* pView = m_app.MainFrame() ? m_app.MainFrame()->ActiveView() : nullptr;
    if (!pItem || !pView) {
        fail({});
        return;
    }
    CTervikDoc& doc = pView->GetDocument();

    std::string output;
    bool bGenerated = false;
    if (CAddOnHost::AsksForOutput(*pItem)) {
        FileDialogRequest request;
        request.m_bSave = true;
        request.m_filter = LoadString(IDS_ADDON_OUTPUT_FILTER);
        request.m_defaultExt = "txt";
        const std::optional<std::string> chosen = AskFileName(request, m_app.MainFrame());
        if (!chosen) return;
        output = *chosen;
    } else {
        const std::string folder = m_app.GeneratedFolder();
        if (folder.empty()) return;
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        // The library creates the file; the name in this user's folder is one no one
        // else can take beforehand.
        output = GeneratedFileName(folder, doc.m_szFileName, local, "");
        bGenerated = true;
    }

    AddOnResult result;
    {
        CWaitCursor wait;
        std::string marked;
        int32_t points[4] = {};
        if ((pItem->nInterface == ITEM_MARKED) && pView->HasMarking()) {
            marked = pView->MarkedText();
            const MarkState& mark = pView->Marking();
            points[0] = static_cast<int32_t>(mark.m_mark1.m_nLine);
            points[1] = static_cast<int32_t>(mark.m_mark1.m_nColumn);
            points[2] = static_cast<int32_t>(mark.m_mark2.m_nLine);
            points[3] = static_cast<int32_t>(mark.m_mark2.m_nColumn);
        }
        const std::unique_ptr<IAddOnSource> pSource = MakeDocumentSource(doc);
        result = m_pAddOns->Dispatch(nId, *pSource, output, marked, points);
    }
    // Another copy ending meanwhile leaves it alone; no empty file where none was written.
    if (bGenerated && FileExists(output)) m_app.StartUp().ClaimTempFile(output);
    if (!result.bOk) {
        fail(result.message);
        return;
    }
    switch (result.open) {
    case AddOnOpen::None:
        break;
    case AddOnOpen::Shell:
        ShellOpen(result.outputPath);
        break;
    case AddOnOpen::View: {
        // The output is the library's, not part of the workspace; its document
        // deletes the file when it closes.
        const bool bModified = m_app.m_bWorkspaceModified;
        if (CTervikDoc* pOut = m_app.OpenDocumentFile(result.outputPath, false))
            pOut->m_bDeleteOnClose = 1;
        m_app.m_bWorkspaceModified = bModified;
        break;
    }
    }
}

} // namespace tervik
