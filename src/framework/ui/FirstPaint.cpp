#include "framework/ui/FirstPaint.h"

#include "platform/Process.h"
#include "platform/SysPaths.h"

#include <cstdio>
#include <cstdlib>

namespace tervik {

const bool g_bExitAfterFirstPaint = GetEnv("TERVIK_EXIT_AFTER_FIRST_PAINT").has_value();

void ExitAfterFirstPaint() {
    std::fprintf(stderr, "first-paint-ms: %lld\n",
                 static_cast<long long>(MillisecondsSinceProcessStart()));
    std::fflush(stderr);
    // No teardown: what is measured ends here.
    std::_Exit(0);
}

} // namespace tervik
