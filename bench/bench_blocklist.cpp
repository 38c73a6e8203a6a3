// Block list and the compact record table: appending a 100-million-record table,
// and random and sequential lookups in it.

#include "document/BlockList.h"
#include "document/RecordTable.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

using tervik::CBlockList;

struct Entry {
    uint64_t nOffset;
    uint32_t nLength;
    uint32_t nFlags;
};

constexpr uint32_t kRecords = 100'000'000;
constexpr int32_t kBlockSize = 32768;

// Resident memory of the process in bytes.
int64_t ResidentBytes() {
    long nPages = 0;
    long nResident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &nPages, &nResident) != 2) nResident = 0;
        std::fclose(f);
    }
    return int64_t{nResident} * sysconf(_SC_PAGESIZE);
}

void Fill(CBlockList& list, uint32_t n) {
    Entry e{0, 0, 0};
    for (uint32_t i = 0; i < n; ++i) {
        e.nOffset += 81;
        e.nLength = i & 0xFFF;
        list.Append(&e);
    }
}

// One table shared by the lookup benchmarks; built on first use.
CBlockList& Table() {
    static CBlockList* pList = [] {
        auto* p = new CBlockList(sizeof(Entry), kBlockSize);
        Fill(*p, kRecords);
        return p;
    }();
    return *pList;
}

void BM_Append(benchmark::State& state) {
    auto n = static_cast<uint32_t>(state.range(0));
    double nBytesPerRecord = 0;
    for (auto _ : state) {
        int64_t nBefore = ResidentBytes();
        auto list = std::make_unique<CBlockList>(sizeof(Entry), kBlockSize);
        Fill(*list, n);
        benchmark::DoNotOptimize(list->Count());
        state.PauseTiming();
        nBytesPerRecord = static_cast<double>(ResidentBytes() - nBefore) / n;
        list.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["rss_bytes_per_record"] = nBytesPerRecord;
}
BENCHMARK(BM_Append)->Arg(kRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

// Lookups at a million random positions, round and round.
void RandomLookups(benchmark::State& state, const CBlockList& list, std::mt19937& rng) {
    std::vector<uint32_t> indices(1 << 20);
    for (auto& i : indices)
        i = static_cast<uint32_t>(rng() % list.Count());
    size_t k = 0;
    uint64_t nSum = 0;
    for (auto _ : state) {
        nSum += list.AtAs<Entry>(indices[k])->nLength;
        k = (k + 1) & (indices.size() - 1);
    }
    benchmark::DoNotOptimize(nSum);
    state.SetItemsProcessed(state.iterations());
}

void BM_RandomAt(benchmark::State& state) {
    CBlockList& list = Table();
    std::mt19937 rng(1);
    RandomLookups(state, list, rng);
}
BENCHMARK(BM_RandomAt);

// The same after a few inserts, when blocks are no longer evenly full.
void BM_RandomAtUneven(benchmark::State& state) {
    const uint32_t n = 10'000'000;
    CBlockList list(sizeof(Entry), kBlockSize);
    Fill(list, n);
    std::mt19937 rng(2);
    Entry e{1, 2, 3};
    for (int k = 0; k < 1000; ++k)
        list.Insert(static_cast<uint32_t>(rng() % list.Count()), &e);
    RandomLookups(state, list, rng);
}
BENCHMARK(BM_RandomAtUneven);

void BM_SequentialAt(benchmark::State& state) {
    CBlockList& list = Table();
    bool bBackward = state.range(0) != 0;
    uint32_t n = list.Count();
    uint64_t nSum = 0;
    for (auto _ : state) {
        if (bBackward) {
            for (uint32_t i = n; i-- > 0;)
                nSum += list.AtAs<Entry>(i)->nLength;
        } else {
            for (uint32_t i = 0; i < n; ++i)
                nSum += list.AtAs<Entry>(i)->nLength;
        }
    }
    benchmark::DoNotOptimize(nSum);
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SequentialAt)->Arg(0)->Arg(1)->ArgName("backward")->Unit(benchmark::kMillisecond);

// The compact table with the same records (80 bytes and a line end of 1, lengths that
// vary as a log's do), for comparison with the 16-byte entries above.
using tervik::CRecordTable;
using tervik::RecordEntry;

void FillTable(CRecordTable& table, uint32_t n) {
    RecordEntry batch[256];
    uint64_t nOffset = 0;
    for (uint32_t i = 0; i < n;) {
        uint32_t k = 0;
        for (; k < 256 && i < n; ++k, ++i) {
            batch[k] = RecordEntry{nOffset, 40 + (i * 7919u) % 80, tervik::RF_NO_TAB};
            nOffset += batch[k].m_nLength + 1;
        }
        uint32_t nAppended = 0;
        table.AppendMany(batch, k, nAppended);
    }
}

CRecordTable& CompactTable() {
    static CRecordTable* pTable = [] {
        auto* p = new CRecordTable;
        FillTable(*p, kRecords);
        return p;
    }();
    return *pTable;
}

void BM_TableAppend(benchmark::State& state) {
    auto n = static_cast<uint32_t>(state.range(0));
    double nBytesPerRecord = 0;
    for (auto _ : state) {
        int64_t nBefore = ResidentBytes();
        auto table = std::make_unique<CRecordTable>();
        FillTable(*table, n);
        benchmark::DoNotOptimize(table->Count());
        state.PauseTiming();
        nBytesPerRecord = static_cast<double>(ResidentBytes() - nBefore) / n;
        table.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["rss_bytes_per_record"] = nBytesPerRecord;
}
BENCHMARK(BM_TableAppend)->Arg(kRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TableRandomAt(benchmark::State& state) {
    const CRecordTable& table = CompactTable();
    std::mt19937 rng(1);
    std::vector<uint32_t> indices(1 << 20);
    for (auto& i : indices)
        i = static_cast<uint32_t>(rng() % table.Count());
    size_t k = 0;
    uint64_t nSum = 0;
    for (auto _ : state) {
        nSum += table.At(indices[k])->m_nLength;
        k = (k + 1) & (indices.size() - 1);
    }
    benchmark::DoNotOptimize(nSum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TableRandomAt);

void BM_TableSequentialAt(benchmark::State& state) {
    const CRecordTable& table = CompactTable();
    bool bBackward = state.range(0) != 0;
    uint32_t n = table.Count();
    uint64_t nSum = 0;
    for (auto _ : state) {
        if (bBackward) {
            for (uint32_t i = n; i-- > 0;)
                nSum += table.At(i)->m_nOffset;
        } else {
            for (uint32_t i = 0; i < n; ++i)
                nSum += table.At(i)->m_nOffset;
        }
    }
    benchmark::DoNotOptimize(nSum);
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_TableSequentialAt)->Arg(0)->Arg(1)->ArgName("backward")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
