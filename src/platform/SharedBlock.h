#pragma once

// A named block of memory shared by the running copies of the program, with one
// owner: the copy that holds it. The hold ends with the owner's process, also when
// it crashes, so a block left behind by a copy that is gone is taken over by the
// next start instead of being obeyed.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tervik {

class CSharedBlock {
public:
    static constexpr size_t kSize = 4096;
    enum class Role { None, Owner, Guest };

    CSharedBlock() = default;
    ~CSharedBlock();
    CSharedBlock(const CSharedBlock&) = delete;
    CSharedBlock& operator=(const CSharedBlock&) = delete;

    // Opens the block of that name (a plain name, no folder), creating it zeroed
    // when there is none, maps kSize bytes for reading and writing, and becomes its
    // owner when no running process holds it. None on failure (LastError tells),
    // also for a block of that name that is not this user's own or that other users
    // may read or write: its content cannot be trusted (EACCES).
    Role Attach(const std::string& name);
    // A guest asks again: true when the owner has gone and this process holds the
    // block now. The block keeps what the old owner left; the caller rewrites it.
    bool TryTakeOver();
    Role GetRole() const { return m_role; }
    // kSize bytes, null while not attached.
    char* Data() const { return m_pData; }
    // Unmaps and closes. An owner removes the name first, so the next start
    // creates the block afresh.
    void Close();
    uint32_t LastError() const { return m_nLastError; }

    // Whether a block of that name exists now.
    static bool Exists(const std::string& name);
    // Removes the name; tests clean up after an owner they killed.
    static void Remove(const std::string& name);

private:
    bool TakeHold();
    Role Fail();
    std::string m_name;
    char* m_pData = nullptr;
    Role m_role = Role::None;
    uint32_t m_nLastError = 0;
#ifdef _WIN32
    void* m_hMapping = nullptr;
    void* m_hOwner = nullptr;
#else
    int m_fd = -1;
#endif
};

} // namespace tervik
