#pragma once

// One running copy receives the files: the shared block between the copies, its
// layout, and both sides of the hand-over.
//
// Layout of the block's kSize bytes: at offset 0 the first copy's main-window class
// name and process id ("CMainFrame:<pid>"), NUL-terminated; directly after that NUL
// the name of the file waiting to be opened, NUL-terminated, empty when none waits.
// The first byte of each text is written last and read first (atomically), so a
// half-written text is never read, and a second copy claims the empty name slot
// before writing, so two second copies never mix their names.

#include "platform/SharedBlock.h"

#include <optional>
#include <string>
#include <string_view>

namespace tervik {

inline constexpr const char* kInstanceBlockName = "OrvFileViewer.written.by.Dask";
inline constexpr const char* kMainWindowClass = "CMainFrame";

// The block's own rules, on its kSize bytes.
namespace InstanceBlock {
// Writes the owner text of process nPid and an empty name slot.
void InitOwner(char* pBlock, int nPid);
// The owner's process id; 0 while none is written or the text is not ours.
int OwnerPid(const char* pBlock);
enum class Put { Written, Busy, TooLong, NoOwner };
// Writes a name into the empty slot: Busy while another name waits there.
Put PutName(char* pBlock, std::string_view name);
// The waiting name, taken once (the slot is empty afterwards); nullopt when none.
std::optional<std::string> TakeName(char* pBlock);
} // namespace InstanceBlock

class CSingleInstance {
public:
    enum class Result {
        First,      // this copy holds the block and receives names
        HandedOver, // the running copy got the name and was woken: end this copy
        Alone,      // no hand-over possible: run as a copy of its own
    };

    // A start's side of the handshake. file is the absolute name to hand over, empty
    // when none. A second copy waits at most nWaitMs for the first copy to be ready
    // and again at most nWaitMs for the name slot to be empty.
    Result Start(const std::string& blockName, const std::string& file, int nWaitMs = 2000);
    // First copy: the name a second copy left, taken once.
    std::optional<std::string> TakeWaitingName();
    bool IsHeld() const { return m_block.GetRole() == CSharedBlock::Role::Owner; }
    // Shutdown: the block goes with its name.
    void Close() { m_block.Close(); }

private:
    Result BecomeFirst();
    CSharedBlock m_block;
};

} // namespace tervik
