#include "platform/SysConsole.h"

#include <csignal>
#include <time.h>

namespace tervik {

namespace {
std::atomic<bool>* g_pInterrupted = nullptr;

extern "C" void OnInterrupt(int) {
    if (g_pInterrupted) g_pInterrupted->store(true, std::memory_order_relaxed);
}
} // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void SetBinaryOutput() {}

void CatchInterrupt(std::atomic<bool>& bInterrupted) {
    g_pInterrupted = &bInterrupted;
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0; // no restart: a sleep ends at once
    sigaction(SIGINT, &sa, nullptr);
}

void SleepFor(std::chrono::milliseconds duration) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count();
    timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    ::nanosleep(&ts, nullptr);
}

bool LocalTime(std::time_t t, std::tm& local) {
    return localtime_r(&t, &local) != nullptr;
}

bool UtcTime(std::time_t t, std::tm& utc) {
    return gmtime_r(&t, &utc) != nullptr;
}

} // namespace tervik
