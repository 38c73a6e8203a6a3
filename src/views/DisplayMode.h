#pragma once

namespace tervik {

// How a view shows its document; the values are stored in workspaces.
enum class DisplayMode { Text = 0, Hex = 1, Dump = 2 };

} // namespace tervik
