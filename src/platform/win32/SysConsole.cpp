#include "platform/SysConsole.h"

#include "platform/win32/Wide.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <stdio.h>

namespace tervik {

namespace {
std::atomic<bool>* g_pInterrupted = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD nEvent) {
    if (nEvent != CTRL_C_EVENT && nEvent != CTRL_BREAK_EVENT) return FALSE;
    if (g_pInterrupted) g_pInterrupted->store(true, std::memory_order_relaxed);
    return TRUE;
}
} // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int nWide = 0;
    LPWSTR* ppWide = CommandLineToArgvW(GetCommandLineW(), &nWide);
    if (!ppWide) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < nWide; ++i)
        args.push_back(Narrow(ppWide[i]));
    LocalFree(ppWide);
    return args;
}

void SetBinaryOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void CatchInterrupt(std::atomic<bool>& bInterrupted) {
    g_pInterrupted = &bInterrupted;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void SleepFor(std::chrono::milliseconds duration) {
    Sleep(static_cast<DWORD>(duration.count()));
}

bool LocalTime(std::time_t t, std::tm& local) {
    return localtime_s(&local, &t) == 0;
}

bool UtcTime(std::time_t t, std::tm& utc) {
    return gmtime_s(&utc, &t) == 0;
}

} // namespace tervik
