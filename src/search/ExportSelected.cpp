#include "search/ExportSelected.h"

#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "framework/MessageBoxTypes.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysPaths.h"
#include "search/RawScan.h"

#include <cstdio>
#include <memory>
#include <new>

namespace tervik {

namespace {
// Lines are gathered into writes of about this size.
constexpr size_t kWriteChunk = size_t{1} << 20;
constexpr uint32_t kLineMax = 65536;
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
    std::unique_ptr<char[]> buf(new (std::nothrow) char[kWriteChunk + kLineMax + 2]);
    if (!buf) {
        result.m_nError = kErrNoMemory;
        return result;
    }
    size_t nUsed = 0;
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
    auto add = [&](uint32_t r) {
        const int64_t n = doc.ReadRecordText(r, buf.get() + nUsed, kLineMax, 0, false, false);
        if (n < 0) {
            // The file lost the line: what follows is not written.
            result.m_bShorter = true;
            return false;
        }
        nUsed += static_cast<size_t>(n);
        buf[nUsed++] = '\r';
        buf[nUsed++] = '\n';
        ++nPending;
        return nUsed < kWriteChunk || flush();
    };
    // The index names the selected lines in file order.
    bool bOk = true;
    const uint32_t nCount = doc.m_pSelected ? doc.m_pSelected->Count() : 0;
    for (uint32_t i = 0; i < nCount && bOk; ++i) {
        // Without abort, but the window stays painted.
        if ((i & 0xFFF) == 0) doc.Host().ServeBusy();
        bOk = add(*doc.m_pSelected->AtAs<uint32_t>(i));
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
