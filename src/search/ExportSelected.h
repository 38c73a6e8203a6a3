#pragma once

// Writing the selected lines of a document into a new text file, and telling the
// user when that fails.

#include "platform/SysFile.h"

#include <cstdint>
#include <string>

namespace tervik {

class CTervikDoc;
class IDocumentHost;

struct ExportResult {
    uint32_t m_nError = 0;   // system error of creating or writing the file
    uint64_t m_nWritten = 0; // lines that reached the file
    // A selected line the file no longer holds (it became shorter while shown).
    bool m_bShorter = false;
    // The output named the document's own file: refused before it was opened.
    bool m_bOwnFile = false;
    // The file that was created, so that only it is deleted after a failure.
    bool m_bCreated = false;
    FileIdentity m_created;
    bool Ok() const { return m_nError == 0 && !m_bShorter && !m_bOwnFile; }
};

// Every selected line in file order, whatever its colour, as the file's own bytes
// (whatever the display converts), each followed by the file's line end in its
// encoding (LF or CR LF; the native one when the file has none). A byte-order mark
// is written once at the start, never as part of the first line. An existing file
// is replaced, unless it is the document's own file. A line the file no longer holds
// whole ends the export there.
ExportResult ExportSelectedLines(CTervikDoc& doc, const std::string& path);

// The message of a failed export, without a question.
std::string ExportFailureText(const std::string& path, const ExportResult& r);

// Deletes what a failed export left, when the path still names the file it
// created; true when it was deleted.
bool RemovePartialExport(const std::string& path, const ExportResult& r);

// The message box after a failed export. When the disk is full, lines were written
// or the document's file became shorter, it asks whether to delete the file and
// does so on Yes.
void ReportExportFailure(IDocumentHost& host, const std::string& path, const ExportResult& r);

} // namespace tervik
