#pragma once

// What a command-line program needs from the system: its arguments, its output,
// Ctrl+C, sleeping and the local time.

#include <atomic>
#include <chrono>
#include <ctime>
#include <string>
#include <vector>

namespace tervik {

// The arguments after the program name, as UTF-8 (Windows hands main() ANSI text,
// which cannot hold every file name; the UTF-16 command line can).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Standard output and error as plain bytes: lines end with LF on every system.
void SetBinaryOutput();

// Ctrl+C sets the flag instead of ending the program.
void CatchInterrupt(std::atomic<bool>& bInterrupted);

// Sleeps; a Ctrl+C caught above may end the sleep early.
void SleepFor(std::chrono::milliseconds duration);

// The local time of t, and the same in UTC; false when the system cannot tell.
bool LocalTime(std::time_t t, std::tm& local);
bool UtcTime(std::time_t t, std::tm& utc);

} // namespace tervik
