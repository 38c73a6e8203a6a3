#pragma once

// Processes: this one's id, starting a program without waiting for it, and waking a
// running copy of the program.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervik {

int CurrentProcessId();

// Milliseconds since the system started this process, by its own record (Linux: to
// the clock tick, so up to 10 ms too many); -1 when it does not tell.
int64_t MillisecondsSinceProcessStart();
// Linux only, for the above and its tests: /proc/PID/stat's start time in clock
// ticks after boot (field 22; the command name before it may hold spaces and ')').
std::optional<uint64_t> ParseStatStartTicks(std::string_view stat);

// Starts program (a full path, not searched) with the arguments after the program's
// own name, each passed as it is. The new process inherits no handles but the
// standard ones and is not waited for. False with the system's code in nError when
// it could not be started (a missing program included).
bool SpawnDetached(const std::string& program, const std::vector<std::string>& args,
                   uint32_t& nError);

// Wake-ups between copies of the program, addressed by process id. POSIX: a local
// (abstract) socket per process, a connection being the wake-up, so waking an id
// that does not listen reaches nobody; Windows may use a named event per process.
//
// Starts listening, once per process; true when ready.
bool ListenForWake();
// What becomes ready when this process was woken: a file descriptor to watch for
// reading (POSIX) or an event handle (Windows); -1 before ListenForWake.
intptr_t WakeHandle();
// Consumes the pending wake-ups; true when there was one from this user (other
// users' connections are refused silently).
bool ClearWake();
// Wakes a listening process of this user; false when none listens under that id.
bool WakeProcess(int nPid);

} // namespace tervik
