// The viewer's side of add-on libraries: loading and registering them, their
// entries in the "E&xtras" menu and the context menu, and running an entry with its
// output file opened in the viewer or by the desktop.

#include "app/AddOnHost.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
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

#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <cerrno>
#include <ctime>

namespace tervik {

namespace {

// The path the register dialog may give: what the settings file keeps.
constexpr size_t kMaxLibraryPath = 255;

CTervikApp::ShellOpenHook& ShellHook() {
    static CTervikApp::ShellOpenHook hook;
    return hook;
}

class CAddOnWaitCursor {
public:
    CAddOnWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CAddOnWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    CAddOnWaitCursor(const CAddOnWaitCursor&) = delete;
    CAddOnWaitCursor& operator=(const CAddOnWaitCursor&) = delete;
};

} // namespace

void CTervikApp::SetShellOpenHook(ShellOpenHook hook) {
    ShellHook() = std::move(hook);
}

void CTervikApp::ShellOpen(const std::string& path) {
    if (ShellHook()) {
        ShellHook()(path);
        return;
    }
    QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromLocal8Bit(path.c_str())});
}

CAddOnHost& CTervikApp::AddOns() {
    if (!m_pAddOns) m_pAddOns = std::make_unique<CAddOnHost>();
    return *m_pAddOns;
}

void CTervikApp::UnloadAddOns() {
    m_pAddOns.reset();
}

bool CTervikApp::LoadAddOn(const std::string& path, bool bRegister) {
    std::string message;
    const CAddOnHost::LoadStatus status =
        bRegister && m_pProfile ? AddOns().RegisterAddOn(*m_pProfile, path, m_szIniPath, message)
                                : AddOns().LoadAddOn(path, m_szIniPath, message);
    switch (status) {
    case CAddOnHost::LoadStatus::Registered:
        return true;
    case CAddOnHost::LoadStatus::Refused:
        return true;
    case CAddOnHost::LoadStatus::LoadFailed:
    case CAddOnHost::LoadStatus::NoEntryPoint:
        break;
    }
    TervikMessageBox(message, MB_OK, m_pMainFrame.get());
    return false;
}

void CTervikApp::OnAddOnRegister() {
    FileDialogRequest request;
    request.m_filter = LoadString(IDS_ADDON_FILTER);
    request.m_defaultExt = "so";
    const std::optional<std::string> path = AskFileName(request, m_pMainFrame.get());
    if (!path || path->empty()) return;
    // A longer name would not fit the library's buffers; it is refused as the dialog
    // would refuse it.
    if (path->size() > kMaxLibraryPath) {
        LibraryLoadError tooLong;
        tooLong.nCode = ENAMETOOLONG;
        TervikMessageBox(LoadFailureMessage(*path, tooLong), MB_OK, m_pMainFrame.get());
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

// Enables and checks the add-on actions of a menu as their update says.
void UpdateAddOnActions(const QMenu& menu) {
    CTervikApp* pApp = CTervikApp::Instance();
    if (!pApp) return;
    for (QAction* pAction : menu.actions()) {
        if (const QMenu* pSub = pAction->menu()) {
            UpdateAddOnActions(*pSub);
            continue;
        }
        const unsigned nId = AddOnIdOf(pAction);
        if (nId == 0) continue;
        CCmdUI ui(nId);
        pApp->UpdateAddOnCommand(ui, nId);
        pAction->setEnabled(ui.m_bEnabled);
        pAction->setCheckable(ui.m_bCheckable);
        pAction->setChecked(ui.m_nCheck != 0);
    }
}

// An entry's action. In the main menu it is the frame's own action for the id
// (its update and command reach the application). The context menu gets its own,
// which runs the command itself: the view's menu handler ignores it, so a click in
// a submenu is not run twice. Ids beyond the handlers stay disabled.
QAction* EntryAction(QMenu& owner, const AddOnMenuEntry& e, bool bShared) {
    const QString text = FromAnsi(e.pItem->text);
    const bool bHandled = e.nId >= ID_ADDON_FIRST && e.nId <= ID_ADDON_LAST;
    CMainFrame* pFrame = CTervikApp::Instance() ? CTervikApp::Instance()->MainFrame() : nullptr;
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
    QObject::connect(pAction, &QAction::triggered, pAction, [nId] {
        CTervikApp* pApp = CTervikApp::Instance();
        if (pApp && pApp->MainFrame()) pApp->MainFrame()->ExecuteCommand(nId);
    });
    return pAction;
}

// Puts the walk's elements into menu, before pBefore (null = at the end).
void InsertWalk(QMenu& menu, QAction* pBefore, const std::vector<AddOnMenuEntry>& walk,
                bool bShared) {
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
                             [pPopup] { UpdateAddOnActions(*pPopup); });
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

} // namespace

void CTervikApp::BuildAddOnMenu(QMenu& menu) {
    // Only the menu of an open document, once, and only with libraries loaded.
    if (!m_pAddOns || !m_pAddOns->HasAddOns()) return;
    QAction* pRegister = FindCommand(menu, ID_ADDON_REGISTER);
    if (!pRegister || !FindCommand(menu, ID_CHAR_FREQUENCY)) return;
    if (menu.property("addOnsBuilt").toBool() || FindCommand(menu, ID_ADDON_FIRST)) return;
    menu.setProperty("addOnsBuilt", true);
    InsertWalk(menu, pRegister, m_pAddOns->WalkMenu(), true);
    menu.insertSeparator(pRegister);
}

void CTervikApp::AppendAddOnItems(QMenu& menu) {
    if (!m_pAddOns || !m_pAddOns->HasAddOns()) return;
    const std::vector<AddOnMenuEntry> walk = m_pAddOns->WalkMenu();
    if (walk.empty()) return;
    menu.addSeparator();
    InsertWalk(menu, nullptr, walk, false);
    // The context menu is not updated by the frame: its entries get their state now.
    UpdateAddOnActions(menu);
}

void CTervikApp::UpdateAddOnCommand(CCmdUI& ui, unsigned nId) {
    if (!m_pAddOns) {
        ui.Enable(false);
        return;
    }
    CTervikView* pView = m_pMainFrame ? m_pMainFrame->ActiveView() : nullptr;
    const CAddOnHost::CommandState state =
        m_pAddOns->UpdateCommand(nId, pView && pView->HasMarking());
    ui.Enable(state.bEnabled);
    const AddOnItem* pItem = m_pAddOns->FindItem(nId);
    if (pItem && (pItem->nInterface & ITEM_TOGGLE) != 0) ui.SetCheck(state.bChecked ? 1 : 0);
}

void CTervikApp::DispatchAddOnCommand(unsigned nId) {
    auto fail = [this](const std::string& message) {
        TervikMessageBox(message.empty() ? LoadString(IDS_ADDON_NOT_IMPLEMENTED) : message, MB_OK,
                         m_pMainFrame.get());
    };
    AddOnItem* pItem = m_pAddOns ? m_pAddOns->FindItem(nId) : nullptr;
    CTervikView* pView = m_pMainFrame ? m_pMainFrame->ActiveView() : nullptr;
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
        const std::optional<std::string> chosen = AskFileName(request, m_pMainFrame.get());
        if (!chosen) return;
        output = *chosen;
    } else {
        const std::string folder = GeneratedFolder();
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
        CAddOnWaitCursor wait;
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
    if (bGenerated && FileExists(output)) ClaimTempFile(output);
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
        const bool bModified = m_bWorkspaceModified;
        if (CTervikDoc* pOut = OpenDocumentFile(result.outputPath, false))
            pOut->m_bDeleteOnClose = 1;
        m_bWorkspaceModified = bModified;
        break;
    }
    }
}

bool CTervikApp::OnAddOnCommand(unsigned nId, CCmdUI* pUI) {
    if (nId == ID_ADDON_REGISTER) {
        if (pUI)
            pUI->Enable(true);
        else
            OnAddOnRegister();
        return true;
    }
    if (nId < ID_ADDON_FIRST || nId > ID_ADDON_LAST) return false;
    if (pUI)
        UpdateAddOnCommand(*pUI, nId);
    else
        DispatchAddOnCommand(nId);
    return true;
}

} // namespace tervik
