#include "platform/FileClaim.h"

#include "platform/win32/Wide.h"

#include <windows.h>

#include <utility>

namespace tervik {

// A claim is an open handle that shares reading and writing but not deleting: while
// it is open, DeleteFile fails with a sharing violation. The system closes it when
// the process ends, also after a crash.

CFileClaim::~CFileClaim() {
    Release();
}

CFileClaim::CFileClaim(CFileClaim&& other) noexcept
    : m_hFile(std::exchange(other.m_hFile, nullptr)) {}

CFileClaim& CFileClaim::operator=(CFileClaim&& other) noexcept {
    if (this != &other) {
        Release();
        m_hFile = std::exchange(other.m_hFile, nullptr);
    }
    return *this;
}

bool CFileClaim::Claim(const std::string& path) {
    Release();
    const std::wstring wide = Widen(path);
    // Never through a link: a reparse point is opened as itself and then refused.
    HANDLE h =
        CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info) || GetFileType(h) != FILE_TYPE_DISK ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        CloseHandle(h);
        return false;
    }
    m_hFile = h;
    return true;
}

void CFileClaim::Release() {
    if (m_hFile) CloseHandle(static_cast<HANDLE>(m_hFile));
    m_hFile = nullptr;
}

bool CFileClaim::IsHeld() const {
    return m_hFile != nullptr;
}

RemoveResult RemoveUnclaimedFile(const std::string& path) {
    const std::wstring wide = Widen(path);
    const DWORD nAttr = GetFileAttributesW(wide.c_str());
    if (nAttr == INVALID_FILE_ATTRIBUTES) return RemoveResult::Failed;
    // The temporary folder is the user's own; links, folders and devices stay.
    if (nAttr & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
        return RemoveResult::Skipped;
    if (DeleteFileW(wide.c_str())) return RemoveResult::Removed;
    return GetLastError() == ERROR_SHARING_VIOLATION ? RemoveResult::InUse : RemoveResult::Failed;
}

} // namespace tervik
