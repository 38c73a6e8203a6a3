#pragma once

// Playing a selection script back on a document.

#include "search/SelectCriteria.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tervik {

class CTervikDoc;

// Reads the script file line by line and performs its steps on the document: colour
// statements through setColour (0 blue, 1 red, 2 green), select, deselect and invert
// runs on the document, whose texts enter the history. Answers 0, or the system
// error code when the file cannot be opened or read; the steps done so far stay.
uint32_t PlayScript(const std::string& path, CTervikDoc& doc,
                    const std::function<void(int nColour)>& setColour,
                    std::vector<TextHistoryEntry>* pHistory);

} // namespace tervik
