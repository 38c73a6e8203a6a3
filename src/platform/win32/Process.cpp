#include "platform/Process.h"

#include "platform/win32/Wide.h"

#include <windows.h>

#include <atomic>

namespace tervik {

int CurrentProcessId() {
    return static_cast<int>(GetCurrentProcessId());
}

std::optional<uint64_t> ParseStatStartTicks(std::string_view) {
    return std::nullopt;
}

int64_t MillisecondsSinceProcessStart() {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    // Both in 100 ns steps.
    return (ticks(now) - ticks(created)) / 10000;
}

namespace {
// One argument as the C runtime of the started program splits it back.
std::wstring Quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t nSlashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++nSlashes;
            continue;
        }
        out.append(c == L'"' ? nSlashes * 2 + 1 : nSlashes, L'\\');
        nSlashes = 0;
        out += c;
    }
    out.append(nSlashes * 2, L'\\');
    return out + L"\"";
}
} // namespace

bool SpawnDetached(const std::string& program, const std::vector<std::string>& args,
                   uint32_t& nError) {
    const std::wstring app = Widen(program);
    std::wstring line = Quoted(app);
    for (const std::string& arg : args)
        line += L" " + Quoted(Widen(arg));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(app.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        nError = static_cast<uint32_t>(GetLastError());
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

namespace {
// An auto-reset event per process, named after its id and the session.
std::atomic<HANDLE> g_hWake{nullptr};

std::wstring WakeName(int nPid) {
    return L"Local\\Tervik.wake." + std::to_wstring(nPid);
}
} // namespace

bool ListenForWake() {
    if (g_hWake.load()) return true;
    HANDLE h = CreateEventW(nullptr, FALSE, FALSE, WakeName(CurrentProcessId()).c_str());
    if (!h) return false;
    g_hWake = h;
    return true;
}

intptr_t WakeHandle() {
    HANDLE h = g_hWake.load();
    return h ? reinterpret_cast<intptr_t>(h) : -1;
}

bool ClearWake() {
    HANDLE h = g_hWake.load();
    return h && WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
}

bool WakeProcess(int nPid) {
    if (nPid <= 0) return false;
    HANDLE h = OpenEventW(EVENT_MODIFY_STATE, FALSE, WakeName(nPid).c_str());
    if (!h) return false;
    const bool bOk = SetEvent(h) != 0;
    CloseHandle(h);
    return bOk;
}

} // namespace tervik
