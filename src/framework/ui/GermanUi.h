#pragma once

namespace tervik {

// Standard dialogs and buttons speak German like the rest of the program: the German
// locale and Qt's own German texts (when the system has them). Call once, after the
// application object exists.
void UseGermanUi();

} // namespace tervik
