#include "search/ExportSelected.h"

#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "framework/MessageBoxTypes.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysPaths.h"
#include "search/RawScan.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

namespace tervik {

namespace {
// Lines are gathered into writes of about this size.
constexpr size_t kWriteChunk = size_t{1} << 20;
// A record is read in pieces of at most the document's window.
constexpr uint32_t kPiece = kDocBufferSize;
// The longest line end: CR LF as UTF-16 units.
constexpr size_t kLineEndMax = 4;

// The line end the file uses, in its own encoding; the native one for a file that has
// none (fixed-length records, a single unterminated line).
std::string LineEndOf(const CTervikDoc& doc) {
    const std::string_view single = doc.m_nLineEnd == 2   ? "\r\n"
                                    : doc.m_nLineEnd == 1 ? "\n"
                                                          : kNativeLineEnd;
    if (!doc.m_bBomUtf16Le && !doc.m_bBomUtf16Be) return std::string(single);
    std::string units;
    for (char c : single) {
        if (doc.m_bBomUtf16Be) units += '\0';
        units += c;
        if (doc.m_bBomUtf16Le) units += '\0';
    }
    return units;
}
} // namespace

ExportResult ExportSelectedLines(CTervikDoc& doc, const std::string& path) {
    ExportResult result;
    // Creating the file would empty the very file whose lines are to be written.
    if (doc.IsOwnFile(path)) {
        result.m_bOwnFile = true;
        return result;
    }
    CBusyGuard busy(doc.Host());
    CSysFile out;
    if (!out.Create(path)) {
        result.m_nError = out.LastError();
        return result;
    }
    result.m_bCreated = out.Identity(result.m_created);
    std::unique_ptr<char[]> buf(new (std::nothrow) char[kWriteChunk + kLineEndMax]);
    if (!buf) {
        result.m_nError = kErrNoMemory;
        return result;
    }
    // The window may still hold lines the file has lost since: those count by what the
    // file holds now (unknown when the size cannot be had; the reads tell then).
    const int64_t nSizeNow = doc.m_hFile.Size();
    const uint64_t nHeld = nSizeNow < 0 ? UINT64_MAX : static_cast<uint64_t>(nSizeNow);
    const std::string_view mark = doc.Mark();
    const std::string lineEnd = LineEndOf(doc);
    // The index names the selected lines in file order.
    const uint32_t nCount = doc.SelectedCount();
    // The mark goes once before the lines, so the export reads as the file does; no
    // lines, no text to mark.
    size_t nUsed = nCount > 0 ? mark.size() : 0;
    if (nUsed > 0) std::memcpy(buf.get(), mark.data(), nUsed);
    uint64_t nPending = 0; // lines in the buffer
    auto flush = [&] {
        if (nUsed == 0) return true;
        if (!out.Write(buf.get(), nUsed)) {
            result.m_nError = out.LastError();
            return false;
        }
        result.m_nWritten += nPending;
        nUsed = 0;
        nPending = 0;
        return true;
    };
    auto shorter = [&](size_t nLineStart) {
        // The file lost the line: neither it nor what follows is written.
        result.m_bShorter = true;
        nUsed = std::min(nUsed, nLineStart);
        return false;
    };
    auto add = [&](uint32_t r) {
        const auto e = doc.Record(r);
        if (!e) return shorter(nUsed);
        // The mark belongs to no line.
        uint64_t nPos = std::max<uint64_t>(e->m_nOffset, mark.size());
        const uint64_t nEnd = e->m_nOffset + e->m_nLength;
        if (nEnd > nHeld) return shorter(nUsed);
        if (nPos < nEnd && nEnd - nPos > kWriteChunk - nUsed) {
            // Too long for what the buffer has left: what it holds goes first. A line
            // longer than the buffer goes out in parts, so the file must still reach
            // its end (the window may hold bytes the file has lost).
            if (!flush()) return false;
            if (nEnd - nPos > kWriteChunk && doc.m_hFile.Size() < static_cast<int64_t>(nEnd))
                return shorter(0);
        }
        const size_t nLineStart = nUsed;
        while (nPos < nEnd) {
            const auto nWant = static_cast<uint32_t>(std::min<uint64_t>(nEnd - nPos, kPiece));
            uint32_t nValid = 0;
            const uint8_t* p = doc.MapBytes(nPos, nWant, nValid);
            if (!p || nValid < nWant) return shorter(nLineStart);
            if (nUsed + nWant > kWriteChunk && !flush()) return false;
            std::memcpy(buf.get() + nUsed, p, nWant);
            nUsed += nWant;
            nPos += nWant;
        }
        std::memcpy(buf.get() + nUsed, lineEnd.data(), lineEnd.size());
        nUsed += lineEnd.size();
        ++nPending;
        return nUsed < kWriteChunk || flush();
    };
    bool bOk = true;
    for (uint32_t i = 0; i < nCount && bOk; ++i) {
        // Without abort, but the window stays painted.
        if ((i & 0xFFF) == 0) doc.Host().ServeBusy();
        uint32_t r = 0;
        if (!doc.NthSelected(i, r)) break;
        bOk = add(r);
    }
    if (bOk) flush();
    out.Close();
    return result;
}

std::string ExportFailureText(const std::string& path, const ExportResult& r) {
    if (r.m_bOwnFile) return LoadString(IDS_EXPORT_OWN_FILE);
    if (r.m_bShorter) return LoadString(IDS_FILE_SHORTER);
    if (r.m_nError != 0) return ProcessingErrorText(path, r.m_nError);
    return {};
}

bool RemovePartialExport(const std::string& path, const ExportResult& r) {
    // Never another file put in its place meanwhile, nor a device written to.
    FileIdentity now;
    if (!r.m_bCreated || !PathIdentity(path, now) || !(now == r.m_created) || FileSizeOf(path) < 0)
        return false;
    return RemoveFile(path);
}

void ReportExportFailure(IDocumentHost& host, const std::string& path, const ExportResult& r) {
    if (r.Ok()) return;
    std::string text = ExportFailureText(path, r);
    if (r.m_bShorter || r.m_nError == kErrDiskFull || r.m_nWritten > 0) {
        text += LoadString(IDS_ASK_DELETE_FILE);
        if (host.MessageBox(text, MB_YESNO | MB_ICONHAND) == IDYES) RemovePartialExport(path, r);
        return;
    }
    host.MessageBox(text, MB_OK | MB_ICONHAND);
}

} // namespace tervik
