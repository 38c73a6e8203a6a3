#pragma once

// Start-up and shutdown services of the application: the hand-over to a running
// copy and the receiving of files from second copies, the update-folder check with
// the updater's start, and the generated files of the temporary folder.

#include "platform/FileClaim.h"

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

class QObject;

namespace tervik {

class CSingleInstance;
class CTervikApp;

class CStartUp {
public:
    explicit CStartUp(CTervikApp& app);
    ~CStartUp();
    CStartUp(const CStartUp&) = delete;
    CStartUp& operator=(const CStartUp&) = delete;

    // This start's arguments, handed to the updater.
    void SetArguments(const QStringList& args);
    // A newer version in the update folder: true when the updater runs.
    bool CheckUpdateFolder();
    // Starts "OrvAUpd" from the program's folder with the new program file, the
    // program's path twice and this start's arguments; a message when it cannot.
    bool LaunchUpdater(const std::string& newProgram, const std::string& programPath);
    // The hand-over to a running copy: true when this copy ends.
    bool HandOverToFirstCopy(const std::string& file);
    // The first copy: files from second copies arrive once the main window exists.
    void StartReceivingFiles();
    // Whether this copy holds the single-instance block and receives files.
    bool HoldsInstanceBlock() const;
    void CloseInstanceBlock();
    // Claims a file of the temporary folder before it is written: other copies'
    // clean-up leaves it alone while this copy runs.
    void ClaimTempFile(const std::string& path);
    // At the end: this copy's generated files and those other copies left behind.
    void DeleteTempFiles();

    // The block's name: TERVIK_INSTANCE_NAME in the environment (tests give each run
    // its own) or the program's fixed name.
    static std::string InstanceBlockName();
    // Tests put the program somewhere else (the update check compares its folder).
    static void OverrideProgramPath(const std::string& path);
    // The program's full path.
    static std::string ProgramFile();

private:
    // Takes the waiting name and opens it; bWoken also brings the window forward.
    void ReceiveFromSecondCopy(bool bWoken);
    void BringMainWindowForward();

    CTervikApp& m_app;
    // m_hInstanceMap: held by the first copy from start-up to its end.
    std::unique_ptr<CSingleInstance> m_pInstance;
    std::unique_ptr<QObject> m_pInstanceWatch;
    bool m_bRaisePending = false;
    std::vector<std::string> m_arguments;
    std::vector<CFileClaim> m_tempClaims;
};

} // namespace tervik
