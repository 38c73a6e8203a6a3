#include "search/CharFrequency.h"

#include "document/DocumentHost.h"
#include "document/TervikDoc.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysPaths.h"
#include "search/RawScan.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace tervik {

namespace {

// Reads of 1 MB keep the system calls rare; the counters stay in the first-level
// cache.
constexpr size_t kBlock = size_t{1} << 20;
// Files from this size on show a progress bar.
constexpr int64_t kProgressFrom = int64_t{64} << 20;

const char* const kControlNames[16] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                       "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI"};

} // namespace

void CountBytes(const unsigned char* p, size_t n, ByteCounts& counts) {
    // Four tables: consecutive equal bytes do not wait on the same counter. 32-bit
    // counters are safe for one call's slices of at most 4 GB each.
    constexpr size_t kSlice = size_t{1} << 30;
    while (n > 0) {
        const size_t nSlice = n < kSlice ? n : kSlice;
        uint32_t t[4][256] = {};
        size_t i = 0;
        for (; i + 16 <= nSlice; i += 16) {
            uint64_t a, b;
            std::memcpy(&a, p + i, 8);
            std::memcpy(&b, p + i + 8, 8);
            for (int k = 0; k < 8; k += 2) {
                ++t[0][(a >> (8 * k)) & 0xFF];
                ++t[1][(a >> (8 * k + 8)) & 0xFF];
                ++t[2][(b >> (8 * k)) & 0xFF];
                ++t[3][(b >> (8 * k + 8)) & 0xFF];
            }
        }
        for (; i < nSlice; ++i)
            ++t[0][p[i]];
        for (int v = 0; v < 256; ++v)
            counts[v] += uint64_t{t[0][v]} + t[1][v] + t[2][v] + t[3][v];
        p += nSlice;
        n -= nSlice;
    }
}

std::string CharFrequencyCsv(const ByteCounts& counts) {
    std::string out;
    out.reserve(256 * 40);
    char line[64];
    for (int v = 0; v < 256; ++v) {
        char name[4] = {static_cast<char>(v), 0, 0, 0};
        const char* pszName = name;
        if (v < 16)
            pszName = kControlNames[v];
        else if (v == 127)
            pszName = "DEL";
        else if (v == '"')
            pszName = "\"\"";
        const int n = std::snprintf(line, sizeof line, "%d;0x%.2x;\"%s\";%llu\r\n", v, v, pszName,
                                    static_cast<unsigned long long>(counts[v]));
        out.append(line, static_cast<size_t>(n));
    }
    return out;
}

std::string CharFrequencyFileName(const std::string& tempFolder, const std::string& docPath,
                                  const std::tm& t) {
    const size_t nSlash = docPath.find_last_of('/');
    const std::string name = nSlash == std::string::npos ? docPath : docPath.substr(nSlash + 1);
    char stamp[80];
    std::snprintf(stamp, sizeof stamp, "_%.4d%.2d%.2d_%.2d%.2d%.2d.csv", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return tempFolder + "Tervik_" + name + stamp;
}

uint32_t CountFileBytes(CTervikDoc& doc, ByteCounts& counts) {
    std::unique_ptr<unsigned char[]> buf(new (std::nothrow) unsigned char[kBlock]);
    if (!buf) return kErrNoMemory;
    CSysFile file;
    if (!file.OpenRead(doc.GetPathName(), true)) return file.LastError();
    IDocumentHost& host = doc.Host();
    CBusyGuard busy(host);
    const int64_t nSize = file.Size();
    bool bBar = false;
    if (nSize >= kProgressFrom) {
        PixelRect rc;
        if (host.GetMessagePaneRect(rc)) {
            host.ShowProgressBar(rc, 1000);
            bBar = true;
        }
    }
    uint32_t nError = 0;
    int64_t nDone = 0;
    for (;;) {
        const int64_t n = file.Read(buf.get(), kBlock);
        if (n < 0) {
            nError = file.LastError();
            break;
        }
        if (n == 0) break;
        CountBytes(buf.get(), static_cast<size_t>(n), counts);
        nDone += n;
        // No abort, but the window stays painted.
        host.ServeBusy();
        if (bBar)
            host.SetProgress(static_cast<int>(nDone * 1000 / (nSize > nDone ? nSize : nDone)));
    }
    if (bBar) host.RemoveProgressBar();
    return nError;
}

uint32_t WriteCharFrequency(CTervikDoc& doc, const std::string& csvPath) {
    ByteCounts counts = {};
    if (const uint32_t nError = CountFileBytes(doc, counts)) return nError;
    const std::string csv = CharFrequencyCsv(counts);
    CSysFile out;
    if (!out.Create(csvPath)) return out.LastError();
    if (!out.Write(csv.data(), csv.size())) {
        const uint32_t nError = out.LastError();
        out.Close();
        RemoveFile(csvPath);
        return nError;
    }
    out.Close();
    return 0;
}

} // namespace tervik
