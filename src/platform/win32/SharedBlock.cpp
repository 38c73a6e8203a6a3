#include "platform/SharedBlock.h"

#include "platform/win32/Wide.h"

#include <windows.h>

namespace tervik {

// The block is a named file mapping backed by the paging file. The owner is the copy
// that created the named event "<name>.owner" and holds its only handle: the system
// closes it when the process ends, however it ends, and the name goes with it, so a
// later start or a guest that asks again becomes the owner. Guests never keep a
// handle to the event. A mapping lives as long as any copy has it open; there is no
// name to remove.

namespace {
std::wstring OwnerName(const std::string& name) {
    return Widen(name + ".owner");
}
} // namespace

CSharedBlock::~CSharedBlock() {
    Close();
}

CSharedBlock::Role CSharedBlock::Fail() {
    m_nLastError = static_cast<uint32_t>(GetLastError());
    Close();
    return Role::None;
}

CSharedBlock::Role CSharedBlock::Attach(const std::string& name) {
    Close();
    m_name = name;
    HANDLE hMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         static_cast<DWORD>(kSize), Widen(name).c_str());
    if (!hMapping) return Fail();
    m_hMapping = hMapping;
    void* p = MapViewOfFile(hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kSize);
    if (!p) return Fail();
    m_pData = static_cast<char*>(p);
    m_role = TakeHold() ? Role::Owner : Role::Guest;
    return m_role;
}

bool CSharedBlock::TakeHold() {
    HANDLE h = CreateEventW(nullptr, TRUE, FALSE, OwnerName(m_name).c_str());
    if (!h) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return false;
    }
    m_hOwner = h;
    return true;
}

bool CSharedBlock::TryTakeOver() {
    if (m_role != Role::Guest) return m_role == Role::Owner;
    if (!TakeHold()) return false;
    m_role = Role::Owner;
    return true;
}

void CSharedBlock::Close() {
    if (m_pData) UnmapViewOfFile(m_pData);
    if (m_hMapping) CloseHandle(static_cast<HANDLE>(m_hMapping));
    if (m_hOwner) CloseHandle(static_cast<HANDLE>(m_hOwner));
    m_pData = nullptr;
    m_hMapping = nullptr;
    m_hOwner = nullptr;
    m_role = Role::None;
}

bool CSharedBlock::Exists(const std::string& name) {
    HANDLE h = OpenFileMappingW(FILE_MAP_READ, FALSE, Widen(name).c_str());
    if (!h) return false;
    CloseHandle(h);
    return true;
}

void CSharedBlock::Remove(const std::string&) {
    // Windows removes the name with the last handle; nothing to do.
}

} // namespace tervik
