#include "app/ui/StartUp.h"

#include "app/SingleInstance.h"
#include "app/UpdateCheck.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "base/TempFolder.h"
#include "framework/ui/BusyPump.h"
#include "framework/ui/MessageBox.h"
#include "framework/ui/QtText.h"
#include "platform/Process.h"
#include "platform/SysPaths.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#ifdef _WIN32
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#endif

namespace tervik {

namespace {

std::string& ProgramPathOverride() {
    static std::string s_path;
    return s_path;
}

// Wake-ups from second copies and the main window's activation, both of which
// look for a waiting name.
class CInstanceWatch : public QObject {
public:
    CInstanceWatch(QWidget& mainWindow, std::function<void(bool)> receive)
        : m_receive(std::move(receive)) {
        m_retry.setSingleShot(true);
        connect(&m_retry, &QTimer::timeout, this, [this] { m_receive(false); });
        if (const intptr_t h = WakeHandle(); h >= 0) {
            auto woken = [this] {
#ifdef _WIN32
                // The notifier has consumed the event already.
                ClearWake();
#else
                // Another user's connection wakes nothing.
                if (!ClearWake()) return;
#endif
                m_receive(true);
            };
#ifdef _WIN32
            auto* pNotifier = new QWinEventNotifier(reinterpret_cast<Qt::HANDLE>(h), this);
            connect(pNotifier, &QWinEventNotifier::activated, this, woken);
#else
            auto* pNotifier =
                new QSocketNotifier(static_cast<qintptr>(h), QSocketNotifier::Read, this);
            connect(pNotifier, &QSocketNotifier::activated, this, woken);
#endif
        }
        mainWindow.installEventFilter(this);
    }
    // Busy with something else: look again a little later.
    void RetryLater() {
        m_retry.start(250);
    }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        // Activation alone: a desktop may refuse to activate, so it is not the only way.
        if (pEvent->type() == QEvent::WindowActivate)
            QTimer::singleShot(0, this, [this] { m_receive(false); });
        return QObject::eventFilter(pWatched, pEvent);
    }

private:
    std::function<void(bool)> m_receive;
    QTimer m_retry;
};

} // namespace

CStartUp::CStartUp(CTervikApp& app) : m_app(app) {}

CStartUp::~CStartUp() = default;

void CStartUp::SetArguments(const QStringList& args) {
    m_arguments.clear();
    for (const QString& arg : args)
        m_arguments.push_back(ToPath(arg));
}

std::string CStartUp::InstanceBlockName() {
    if (auto name = GetEnv("TERVIK_INSTANCE_NAME"); name && !name->empty()) return *name;
    return kInstanceBlockName;
}

void CStartUp::OverrideProgramPath(const std::string& path) {
    ProgramPathOverride() = path;
}

std::string CStartUp::ProgramFile() {
    return ProgramPathOverride().empty() ? ProgramPath() : ProgramPathOverride();
}

bool CStartUp::HoldsInstanceBlock() const {
    return m_pInstance && m_pInstance->IsHeld();
}

bool CStartUp::HandOverToFirstCopy(const std::string& file) {
    // The running copy has another working folder: the name goes absolute.
    const std::string absolute =
        file.empty() ? file : AbsolutePath(CTervikApp::NormalizeFileName(file));
    m_pInstance = std::make_unique<CSingleInstance>();
    switch (m_pInstance->Start(InstanceBlockName(), absolute)) {
    case CSingleInstance::Result::HandedOver:
        m_pInstance.reset();
        return true;
    case CSingleInstance::Result::First:
        return false;
    case CSingleInstance::Result::Alone:
        break;
    }
    m_pInstance.reset();
    return false;
}

void CStartUp::StartReceivingFiles() {
    if (!HoldsInstanceBlock() || !m_app.MainFrame()) return;
    m_pInstanceWatch = std::make_unique<CInstanceWatch>(
        *m_app.MainFrame(), [this](bool bWoken) { ReceiveFromSecondCopy(bWoken); });
}

void CStartUp::ReceiveFromSecondCopy(bool bWoken) {
    if (!HoldsInstanceBlock() || !m_app.MainFrame() || !m_pInstanceWatch) return;
    m_bRaisePending = m_bRaisePending || bWoken;
    // Not in the middle of a dialog, a long search or a workspace being loaded.
    if (QApplication::activeModalWidget() || CBusyPump::Instance().IsBusy() ||
        m_app.m_bLoadingWorkspace) {
        static_cast<CInstanceWatch*>(m_pInstanceWatch.get())->RetryLater();
        return;
    }
    if (m_bRaisePending) {
        m_bRaisePending = false;
        BringMainWindowForward();
    }
    if (const std::optional<std::string> name = m_pInstance->TakeWaitingName())
        m_app.OpenDocumentFile(*name);
}

void CStartUp::BringMainWindowForward() {
    CMainFrame* pFrame = m_app.MainFrame();
    if (pFrame->isMinimized()) pFrame->setWindowState(pFrame->windowState() & ~Qt::WindowMinimized);
    pFrame->show();
    pFrame->raise();
    pFrame->activateWindow();
    // A desktop that refuses the activation can still mark the window for the user.
    QTimer::singleShot(500, pFrame, [pFrame] {
        if (!pFrame->isActiveWindow()) QApplication::alert(pFrame);
    });
}

void CStartUp::CloseInstanceBlock() {
    m_pInstanceWatch.reset();
    if (m_pInstance) m_pInstance->Close();
    m_pInstance.reset();
}

bool CStartUp::CheckUpdateFolder() {
    const std::string programPath = ProgramFile();
    const std::optional<std::string> question =
        UpdateQuestion(m_app.Settings().UpdatePath(), programPath);
    if (!question) return false;
    if (TervikMessageBox(*question, MB_YESNO | MB_ICONQUESTION, nullptr) != IDYES) return false;
    // Read again, as the answer may have taken a while.
    return LaunchUpdater(NewProgramFile(m_app.Settings().UpdatePath(), programPath), programPath);
}

bool CStartUp::LaunchUpdater(const std::string& newProgram, const std::string& programPath) {
    std::string failure;
    if (tervik::LaunchUpdater(newProgram, programPath, JoinArguments(m_arguments), failure))
        return true;
    TervikMessageBox(failure, MB_OK | MB_ICONINFORMATION, m_app.MainFrame());
    return false;
}

void CStartUp::ClaimTempFile(const std::string& path) {
    CFileClaim claim;
    if (claim.Claim(path)) m_tempClaims.push_back(std::move(claim));
}

void CStartUp::DeleteTempFiles() {
    // This copy's own files go too.
    m_tempClaims.clear();
    DeleteGeneratedFiles(m_app.Profile());
}

} // namespace tervik
