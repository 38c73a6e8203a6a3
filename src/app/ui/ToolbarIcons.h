#pragma once

// Pictures for the toolbar buttons: the desktop's icon theme where it has one,
// else our own drawings, so a desktop without a theme still shows pictures.

#include <QIcon>
#include <map>
#include <string>
#include <vector>

namespace tervik {

// The icon of a toolbar command; a null icon for commands without a button.
QIcon CommandIcon(unsigned nId);

// The icons of one set of bars: commands with the same picture (the search bars'
// buttons) share one icon, looked up and drawn once.
class CCommandIcons {
public:
    QIcon Icon(unsigned nId);

private:
    std::map<std::string, QIcon> m_byPicture;
};

// Our own drawing of a command, whatever the theme has; null without one.
QIcon OwnCommandIcon(unsigned nId);

// Every command that has a picture of its own.
const std::vector<unsigned>& CommandsWithIcons();

} // namespace tervik
