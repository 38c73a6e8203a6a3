// Random files through both delimiters: the fast cutter, fed in pieces chosen by
// the input, must store exactly the records of the plain byte-wise rules.
#include "../tests/document/ReferenceDelimiter.h"
#include "document/RecordCutter.h"

#include <cstdlib>
#include <deque>
#include <vector>

namespace {

struct Sink : tervik::IRecordSink {
    std::deque<tervik::RecordEntry> records;
    bool Store(const tervik::RecordEntry& e) override {
        records.push_back(e);
        return true;
    }
    void RemoveFirst() override { records.pop_front(); }
};

bool Same(const tervik::RecordEntry& a, const tervik::RecordEntry& b) {
    return a.m_nOffset == b.m_nOffset && a.m_nLength == b.m_nLength && a.m_nFlags == b.m_nFlags;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tervik;
    if (size < 6) return 0;
    static constexpr uint32_t kMax[] = {1, 2, 3, 5, 63, 64, 65, 128, 1000, 32768};
    static constexpr uint32_t kFixed[] = {0, 0, 0, 0, 1, 7, 80, 200};
    CutParams p;
    p.m_eEncoding = static_cast<CutEncoding>(data[0] % 3);
    p.m_nMaxRecSize = kMax[data[1] % 10];
    p.m_nFixedSize = kFixed[data[2] % 8];
    switch (data[3] % 4) {
    case 1:
        p.m_nLimitFromStart = 1 + data[3] / 4 % 16;
        break;
    case 2:
        p.m_nLimitFromEnd = 1 + data[3] / 4 % 16;
        break;
    default:
        break;
    }
    const uint64_t nStart = data[4] & 1;
    const size_t nPiece = 1 + data[5] * 7u;
    const std::vector<uint8_t> bytes(data + 6, data + size);

    test::ReferenceOptions ro;
    ro.params = p;
    ro.nStartOffset = nStart;
    const auto want = test::ReferenceDelimit(bytes, ro);

    Sink sink;
    CRecordCutter cutter(p, sink, nStart);
    bool bGoing = true;
    for (size_t at = 0; bGoing && at < bytes.size(); at += nPiece)
        bGoing = cutter.Feed(bytes.data() + at, std::min(nPiece, bytes.size() - at));
    if (bGoing) cutter.Finish();

    if (sink.records.size() != want.records.size() || cutter.LineEnd() != want.nLineEnd ||
        cutter.MaxLength() != want.nMaxLength || cutter.Stopped() != want.bStopped)
        std::abort();
    for (size_t i = 0; i < want.records.size(); ++i)
        if (!Same(sink.records[i], want.records[i])) std::abort();
    return 0;
}
