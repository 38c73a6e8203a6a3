#pragma once

// File dialog filters from the "Name|patterns||" texts of the string table.

#include <string>
#include <string_view>
#include <vector>

namespace tervik {

// Turns a "Name|patterns|Name|patterns||" filter text into file dialog filters
// "Name (p1 p2)" in the same code page. "*.*" becomes "*" so that files without a
// dot are listed too.
std::vector<std::string> FileDialogFilters(std::string_view filterText);

} // namespace tervik
