#pragma once

// Writing the selected lines of a document into a new text file, and telling the
// user when that fails.

#include <cstdint>
#include <string>

namespace tervik {

class CTervikDoc;
class IDocumentHost;

struct ExportResult {
    uint32_t m_nError = 0;   // 0: every line written
    uint64_t m_nWritten = 0; // lines that reached the file
};

// Every selected line in file order, whatever its colour, as its text without tab
// expansion (UTF-16 and UTF-8 converted to cp1252), each followed by CR LF. An
// existing file is replaced.
ExportResult ExportSelectedLines(CTervikDoc& doc, const std::string& path);

// The message box after a failed export. When the disk is full or lines were
// written, it asks whether to delete the file and does so on Yes.
void ReportExportFailure(IDocumentHost& host, const std::string& path, const ExportResult& r);

} // namespace tervik
