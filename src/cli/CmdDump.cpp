// The dump subcommand: the file's bytes as the dump display shows them.

#include "cli/CliDocument.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "platform/CodePage.h"
#include "views/DisplayText.h"
#include "views/HexDump.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace tervik::cli {

int RunDump(CArgs& args) {
    const OpenArgs open = TakeOpenArgs(args);
    const auto nOffset = args.TakeNumber("--offset", std::numeric_limits<uint64_t>::max());
    const auto nRows = args.TakeNumber("--rows", std::numeric_limits<uint64_t>::max());
    const auto groups = args.TakeValue("--groups");
    const bool bEbcdic = args.TakeFlag("--ebcdic");
    const bool bOem = args.TakeFlag("--oem");
    int nGroups = 4;
    if (groups) {
        // Only the widths the toolbar box offers.
        if (*groups == "2" || *groups == "4" || *groups == "6" || *groups == "8")
            nGroups = (*groups)[0] - '0';
        else if (!args.HasError())
            args.SetError("Ungültiger Wert für --groups: " + *groups);
    }
    int nExit = kExitOk;
    OpenedFile f = OpenTheFile(args, open, nExit);
    if (!f.pDoc) return nExit;
    CTervikDoc& doc = *f.pDoc;
    doc.m_bEbcdic = bEbcdic ? 1 : 0;
    doc.m_bOem = bOem ? 1 : 0;

    const auto nRowBytes = static_cast<uint64_t>(DumpRowBytes(nGroups));
    // Whole rows per read, as many as one read may deliver.
    const uint64_t nChunk = AlignDown(kDocBufferSize, nRowBytes);
    std::vector<uint8_t> buf(static_cast<size_t>(nChunk));
    std::string row;
    COutput out;
    uint64_t nPos = AlignDown(nOffset.value_or(0), nRowBytes);
    uint64_t nLeft = nRows.value_or(std::numeric_limits<uint64_t>::max());
    const auto nFileSize = static_cast<uint64_t>(doc.m_nFileSize);
    const int nDigits = DumpOffsetDigits(nFileSize);
    while (nLeft > 0 && nPos < nFileSize) {
        const uint64_t nWant = nRowBytes * std::min(nLeft, nChunk / nRowBytes);
        const uint32_t nGot = doc.ReadBytes(buf.data(), static_cast<uint32_t>(nWant), nPos);
        if (nGot == 0) break;
        uint64_t i = 0;
        for (; i < nGot && nLeft > 0; i += nRowBytes, --nLeft) {
            const uint64_t n = std::min<uint64_t>(nRowBytes, nGot - i);
            // A short read inside the file: read that row again from its start.
            if (n < nRowBytes && i > 0 && nPos + i + n < nFileSize) break;
            BuildDumpRow(row, nPos + i, buf.data() + i, static_cast<size_t>(n), nGroups,
                         doc.m_bEbcdic != 0, doc.m_bOem != 0, 0, nDigits);
            MakePrintable(reinterpret_cast<uint8_t*>(row.data()), row.size());
            out.Put(row);
            out.Put('\n');
        }
        nPos += i;
    }
    return kExitOk;
}

} // namespace tervik::cli
