#pragma once

// What the cut and the refresh share: the sink that appends records to the document's
// table, and the encoding the cut reads the file in.

#include "document/RecordTable.h"
#include "document/RecordCutter.h"
#include "document/TervikDoc.h"

#include <algorithm>
#include <cstdint>

namespace tervik {

// Appends records to the table; refuses beyond the cap. When memory runs out the
// cut stops there, so that the table holds every record up to that point and none
// is missing in between.
class CTableSink : public IRecordSink {
public:
    CTableSink(CRecordTable& table, uint32_t nCap) : m_table(table), m_nCap(nCap) {}
    bool Store(const RecordEntry& e) override {
        if (m_table.Count() >= m_nCap) return false;
        const bool bStored = m_table.Append(e);
        if (!bStored) m_bNoMemory = true;
        return bStored;
    }
    size_t StoreMany(const RecordEntry* pEntries, size_t n) override {
        const size_t nRoom = m_nCap - std::min<size_t>(m_nCap, m_table.Count());
        const auto nTake = static_cast<uint32_t>(std::min(n, nRoom));
        uint32_t nAppended = 0;
        if (!m_table.AppendMany(pEntries, nTake, nAppended)) m_bNoMemory = true;
        return nAppended;
    }
    void RemoveFirst() override {
        m_table.RemoveFirst();
    }
    bool NoMemory() const { return m_bNoMemory; }

private:
    CRecordTable& m_table;
    uint32_t m_nCap;
    bool m_bNoMemory = false;
};

inline CutEncoding EncodingOf(const CTervikDoc& doc) {
    if (doc.m_bBomUtf16Le) return CutEncoding::Utf16Le;
    if (doc.m_bBomUtf16Be) return CutEncoding::Utf16Be;
    return CutEncoding::SingleByte;
}

} // namespace tervik
