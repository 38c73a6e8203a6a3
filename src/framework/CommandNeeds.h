#pragma once

// Which commands need a document whose every record is known. While a file is still
// cut, such a command first waits for the cut (a window shows the known part before).

namespace tervik {

enum class RecordNeed {
    None,            // works on the records known so far
    ActiveDocument,  // every record of the active document
    AllDocuments,    // every record of every open document
};

RecordNeed RecordNeedOf(unsigned nId);

} // namespace tervik
