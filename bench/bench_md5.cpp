// MD5 throughput as the checksum command drives it: a large buffer in 64 KB pieces.

#include "document/Md5.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

void BM_Md5Update64K(benchmark::State& state) {
    constexpr size_t kTotal = 64u << 20;
    constexpr size_t kChunk = 64u << 10;
    std::vector<uint8_t> data(kTotal);
    uint32_t x = 0x12345678; // cheap xorshift fill; content does not matter for MD5
    for (uint8_t& b : data) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x);
    }
    for (auto _ : state) {
        tervik::CMd5 md5;
        for (size_t pos = 0; pos < kTotal; pos += kChunk)
            md5.Update(data.data() + pos, kChunk);
        uint8_t digest[tervik::kMd5DigestSize];
        md5.Final(digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(kTotal));
}
BENCHMARK(BM_Md5Update64K)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
