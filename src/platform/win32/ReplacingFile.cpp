#include "platform/ReplacingFile.h"

#include "platform/win32/Wide.h"

#include <windows.h>

#include <atomic>

namespace tervik {

CReplacingFile::~CReplacingFile() {
    Discard();
}

bool CReplacingFile::Begin(const std::string& path) {
    Discard();
    m_nError = 0;
    if (path.empty()) {
        m_nError = ERROR_PATH_NOT_FOUND;
        return false;
    }
    m_target = path;
    static std::atomic<unsigned> s_nCounter{0};
    for (int nTry = 0; nTry < 100; ++nTry) {
        const std::string temp = path + ".tervik-" + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(s_nCounter++) + ".tmp";
        if (m_file.CreateNew(temp)) {
            m_temp = temp;
            return true;
        }
        if (m_file.LastError() != ERROR_FILE_EXISTS) break;
    }
    m_nError = m_file.LastError();
    return false;
}

bool CReplacingFile::Write(std::string_view data) {
    if (m_nError != 0) return false;
    if (!m_file.Write(data.data(), data.size())) m_nError = m_file.LastError();
    return m_nError == 0;
}

bool CReplacingFile::Commit() {
    if (m_temp.empty()) return false;
    if (m_nError == 0 && !m_file.Sync()) m_nError = m_file.LastError();
    m_file.Close();
    if (m_nError == 0 && !MoveFileExW(Widen(m_temp).c_str(), Widen(m_target).c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        m_nError = GetLastError();
    if (m_nError != 0) return false;
    m_temp.clear();
    return true;
}

void CReplacingFile::Discard() {
    m_file.Close();
    if (!m_temp.empty()) DeleteFileW(Widen(m_temp).c_str());
    m_temp.clear();
}

void CReplacingFile::Keep() {
    m_file.Close();
    m_temp.clear();
}

} // namespace tervik
