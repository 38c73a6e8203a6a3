// Subcommands over an opened document: info, records, text.

#include "base/Strings.h"
#include "cli/CliDocument.h"
#include "cli/Output.h"
#include "cli/RecordText.h"
#include "cli/Subcommands.h"
#include "platform/CodePage.h"
#include "views/DisplayText.h"

#include <memory>
#include <vector>

namespace tervik::cli {

namespace {

const char* BomName(const CTervikDoc& doc) {
    if (doc.m_bBomUtf16Le) return "utf16le";
    if (doc.m_bBomUtf16Be) return "utf16be";
    if (doc.m_bBomUtf8) return "utf8";
    return "none";
}

} // namespace

int RunInfo(CArgs& args) {
    const OpenArgs open = TakeOpenArgs(args);
    int nExit = kExitOk;
    OpenedFile f = OpenTheFile(args, open, nExit);
    if (!f.pDoc) return nExit;
    CTervikDoc& doc = *f.pDoc;
    // The open has told why the records stop early; their digest is not the file's.
    if (doc.RanOutOfMemory()) return kExitFailure;
    const std::string digest = doc.GetDigest();
    f.PrintTiming("digest");
    // A file that lost bytes while it was read has neither the size nor the digest
    // printed here.
    if (doc.ShrankWhileCut() || digest.empty()) {
        if (doc.ShrankWhileCut() || doc.CheckFileChange() == FileChange::Shorter)
            PrintMessage(LoadString(IDS_FILE_SHORTER));
        else if (doc.DigestOutOfMemory())
            PrintMessage(LoadString(IDS_NO_MEMORY));
        else
            PrintMessage(FormatString(IDS_CANNOT_READ, PathToAnsi(doc.GetPathName()).c_str()));
        return kExitFailure;
    }
    COutput out;
    out.Put("file-size: ");
    out.PutNumber(static_cast<uint64_t>(doc.m_nFileSize));
    out.Put("\nrecords: ");
    out.PutNumber(doc.m_nRecords);
    out.Put("\nmax-length: ");
    out.PutNumber(doc.m_nMaxLength);
    out.Put("\nline-end: ");
    out.PutNumber(doc.m_nLineEnd);
    out.Put("\nbom: ");
    out.Put(BomName(doc));
    out.Put("\ndigest: ");
    out.Put(digest);
    out.Put("\nutf8: ");
    out.Put(doc.m_bUtf8 ? "on" : "off");
    out.Put('\n');
    return kExitOk;
}

int RunRecords(CArgs& args) {
    const OpenArgs open = TakeOpenArgs(args);
    int nExit = kExitOk;
    OpenedFile f = OpenTheFile(args, open, nExit);
    if (!f.pDoc) return nExit;
    CTervikDoc& doc = *f.pDoc;
    COutput out;
    for (uint32_t r = 0; r < doc.m_nRecords; ++r) {
        const auto e = doc.Record(r);
        out.PutNumber(e->m_nOffset);
        out.Put(' ');
        out.PutNumber(e->m_nLength);
        out.Put(' ');
        out.PutHex(e->m_nFlags, 8);
        out.Put('\n');
    }
    return kExitOk;
}

TextFormat TakeTextFormat(CArgs& args) {
    TextFormat format;
    if (auto nSkip = args.TakeNumber("--skip", kMaxRecords))
        format.nSkip = static_cast<uint32_t>(*nSkip);
    format.bExpand = !args.TakeFlag("--no-expand");
    format.bDisplay = args.TakeFlag("--display");
    format.bEbcdic = args.TakeFlag("--ebcdic");
    format.bOem = args.TakeFlag("--oem");
    format.bUtf8Out = args.TakeFlag("--utf8-out");
    return format;
}

std::string_view CRecordText::Text(CTervikDoc& doc, uint32_t nRecord) {
    const auto e = doc.Record(nRecord);
    // Room for every column: each byte may expand to a whole tab stop.
    const size_t nRoom = static_cast<size_t>(std::max(1, doc.m_nTabSize)) *
                             std::min<size_t>(e->m_nLength, kDocBufferSize) +
                         1;
    if (m_buf.size() < nRoom) m_buf.resize(nRoom);
    const uint32_t n = doc.GetRecordText(nRecord, m_buf.data(), static_cast<uint32_t>(nRoom),
                                         m_format.nSkip, m_format.bExpand, false);
    if (m_format.bDisplay) {
        auto* p = reinterpret_cast<uint8_t*>(m_buf.data());
        ConvertForDisplay(p, n, m_format.bEbcdic, m_format.bOem);
        MakePrintable(p, n);
    }
    if (!m_format.bUtf8Out) return std::string_view(m_buf.data(), n);
    // The same columns as the document's own characters, taken where the display
    // has its substitute.
    int64_t nChars = 0;
    if (doc.m_bUtf8 || doc.m_bUtf16) {
        if (m_chars.size() < nRoom) m_chars.resize(nRoom);
        nChars = doc.ReadRecordChars(nRecord, m_chars.data(), static_cast<uint32_t>(nRoom),
                                     m_format.nSkip, m_format.bExpand);
    }
    if (m_chars.size() < n) m_chars.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        const auto c = static_cast<uint8_t>(m_buf[i]);
        if (!(c == kDefaultChar && i < nChars)) m_chars[i] = Cp1252ToUnicode(c);
    }
    m_utf8.clear();
    AppendCharsUtf8(m_utf8, m_chars.data(), n);
    return m_utf8;
}

int RunText(CArgs& args) {
    const OpenArgs open = TakeOpenArgs(args);
    const auto nFrom = args.TakeNumber("--from", kMaxRecords);
    const auto nCount = args.TakeNumber("--count", kMaxRecords);
    const TextFormat format = TakeTextFormat(args);
    int nExit = kExitOk;
    OpenedFile f = OpenTheFile(args, open, nExit);
    if (!f.pDoc) return nExit;
    CTervikDoc& doc = *f.pDoc;
    const uint64_t nFirst = nFrom.value_or(0);
    const uint64_t nEnd = std::min<uint64_t>(doc.m_nRecords, nFirst + nCount.value_or(kMaxRecords));
    CRecordText text(format);
    COutput out;
    for (uint64_t r = nFirst; r < nEnd; ++r)
        text.Put(out, doc, static_cast<uint32_t>(r));
    return kExitOk;
}

} // namespace tervik::cli
