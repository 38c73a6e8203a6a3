#include "search/CharFrequency.h"

#include "document/DocumentHost.h"
#include "document/TervikDoc.h"
#include "framework/Completion.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysPaths.h"
#include "search/RawScan.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

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
    // counters are safe for one call's slices of at most 1 GB each.
    constexpr size_t kSlice = size_t{1} << 30;
    while (n > 0) {
        const size_t nSlice = n < kSlice ? n : kSlice;
        uint32_t t[4][256] = {};
        size_t i = 0;
        for (; i + 8 <= nSlice; i += 8) {
            uint64_t a;
            std::memcpy(&a, p + i, 8);
            ++t[0][a & 0xFF];
            ++t[1][(a >> 8) & 0xFF];
            ++t[2][(a >> 16) & 0xFF];
            ++t[3][(a >> 24) & 0xFF];
            ++t[0][(a >> 32) & 0xFF];
            ++t[1][(a >> 40) & 0xFF];
            ++t[2][(a >> 48) & 0xFF];
            ++t[3][a >> 56];
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

namespace {

// Counts the bytes from nFrom to nTo (-1: to the end of the file, so a growing file
// is counted as far as it is at the moment) with a read position of its own.
// Answers 0 or the system error code.
uint32_t CountRange(const std::string& path, int64_t nFrom, int64_t nTo, ByteCounts& counts,
                    std::atomic<int64_t>& nDone, const std::function<void()>& serve) {
    std::unique_ptr<unsigned char[]> buf(new (std::nothrow) unsigned char[kBlock]);
    if (!buf) return kErrNoMemory;
    CSysFile file;
    if (!file.OpenRead(path, true)) return file.LastError();
    if (nFrom > 0 && !file.Seek(nFrom)) return file.LastError();
    int64_t nPos = nFrom;
    while (nTo < 0 || nPos < nTo) {
        size_t nWant = kBlock;
        if (nTo >= 0 && nTo - nPos < static_cast<int64_t>(nWant))
            nWant = static_cast<size_t>(nTo - nPos);
        const int64_t n = file.Read(buf.get(), nWant);
        if (n < 0) return file.LastError();
        if (n == 0) break;
        CountBytes(buf.get(), static_cast<size_t>(n), counts);
        nPos += n;
        nDone.fetch_add(n, std::memory_order_relaxed);
        if (serve) serve();
    }
    return 0;
}

} // namespace

uint32_t CountFileBytes(CTervikDoc& doc, ByteCounts& counts, int64_t nSplitFrom) {
    const std::string& path = doc.GetPathName();
    IDocumentHost& host = doc.Host();
    int64_t nSize = -1;
    {
        CSysFile probe;
        if (!probe.OpenRead(path, true)) return probe.LastError();
        nSize = probe.Size();
    }
    CBusyGuard busy(host);
    bool bBar = false;
    if (nSize >= kProgressFrom) {
        PixelRect rc;
        if (host.GetMessagePaneRect(rc)) {
            host.ShowProgressBar(rc, 1000);
            bBar = true;
        }
    }
    std::atomic<int64_t> nDone{0};
    // No abort, but the window stays painted and the bar moves.
    const auto serve = [&] {
        host.ServeBusy();
        if (bBar) {
            const int64_t n = nDone.load(std::memory_order_relaxed);
            host.SetProgress(static_cast<int>(n * 1000 / (nSize > n ? nSize : n)));
        }
    };

    // Counting runs at about a third of the speed of reading from the cache: a big
    // file is counted in two halves at once, the second on a thread of its own.
    int64_t nHalf = -1;
    if (nSplitFrom >= 0 && nSize >= nSplitFrom && nSize >= 2 &&
        std::thread::hardware_concurrency() > 1)
        nHalf = nSize / 2;
    ByteCounts second = {};
    uint32_t nSecondError = 0;
    CCompletion secondDone;
    std::thread worker;
    if (nHalf > 0) {
        try {
            worker = std::thread([&] {
                nSecondError = CountRange(path, nHalf, -1, second, nDone, {});
                secondDone.Set();
            });
        } catch (const std::system_error&) {
            nHalf = -1; // no thread: one pass counts it all
        }
    }
    uint32_t nError = CountRange(path, 0, nHalf, counts, nDone, serve);
    if (worker.joinable()) {
        while (!secondDone.IsSet()) {
            host.WaitBusy(secondDone, 50);
            serve();
        }
        worker.join();
        for (int v = 0; v < 256; ++v)
            counts[v] += second[v];
        if (nError == 0) nError = nSecondError;
    }
    if (bBar) host.RemoveProgressBar();
    return nError;
}

uint32_t WriteCharFrequency(CTervikDoc& doc, const std::string& csvPath, bool bNew) {
    ByteCounts counts = {};
    if (const uint32_t nError = CountFileBytes(doc, counts)) return nError;
    const std::string csv = CharFrequencyCsv(counts);
    CSysFile out;
    if (!(bNew ? out.CreateNew(csvPath) : out.Create(csvPath))) return out.LastError();
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
