#pragma once

// Pictures for the toolbar buttons: the desktop's icon theme where it has one,
// else our own drawings, so a desktop without a theme still shows pictures.

#include <QIcon>
#include <vector>

namespace tervik {

// The icon of a toolbar command; a null icon for commands without a button.
QIcon CommandIcon(unsigned nId);

// Our own drawing of a command, whatever the theme has; null without one.
QIcon OwnCommandIcon(unsigned nId);

// Every command that has a picture of its own.
const std::vector<unsigned>& CommandsWithIcons();

} // namespace tervik
