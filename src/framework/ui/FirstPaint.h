#pragma once

// Start-up measurement: with TERVIK_EXIT_AFTER_FIRST_PAINT set, the first paint that
// shows a file's text prints "first-paint-ms: N" (since the process started) to
// stderr and ends the program at once.

namespace tervik {

// Read once, before main.
extern const bool g_bExitAfterFirstPaint;

[[noreturn]] void ExitAfterFirstPaint();

// Called by the views once a paint has drawn text; nothing but a test when unset.
inline void NoteTextPainted() {
    if (g_bExitAfterFirstPaint) ExitAfterFirstPaint();
}

} // namespace tervik
