// CompressedData decoding throughput, in bytes of inflated data per second,
// against copying the same number of bytes.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "notebook/compressed_decoder.h"
#include "view/streamline_reader.h"

namespace {

constexpr std::size_t kElements = 1'000'000;  // 8 MB of doubles

// "!boR" + a packed real array of kElements smooth values, as a
// CompressedData string's text.
struct Sample {
    std::string payload;
    std::size_t inflated = 0;
};

const Sample& MakeSample() {
    static const Sample sample = [] {
        std::string raw = "!boRe";
        auto put32 = [&](std::int32_t v) { raw.append(reinterpret_cast<const char*>(&v), 4); };
        put32(1);
        put32(static_cast<std::int32_t>(kElements));
        for (std::size_t k = 0; k < kElements; ++k) {
            const double v = std::sin(static_cast<double>(k) * 1e-3);
            raw.append(reinterpret_cast<const char*>(&v), 8);
        }
        uLongf size = compressBound(static_cast<uLong>(raw.size()));
        std::string z(size, '\0');
        compress2(reinterpret_cast<Bytef*>(z.data()), &size,
                  reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 6);
        z.resize(size);
        static const char* kAlphabet =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        Sample s;
        s.payload = "1:";
        for (std::size_t i = 0; i < z.size(); i += 3) {
            std::uint32_t v = static_cast<unsigned char>(z[i]) << 16;
            if (i + 1 < z.size()) v |= static_cast<unsigned char>(z[i + 1]) << 8;
            if (i + 2 < z.size()) v |= static_cast<unsigned char>(z[i + 2]);
            s.payload += kAlphabet[(v >> 18) & 63];
            s.payload += kAlphabet[(v >> 12) & 63];
            s.payload += i + 1 < z.size() ? kAlphabet[(v >> 6) & 63] : '=';
            s.payload += i + 2 < z.size() ? kAlphabet[v & 63] : '=';
            if (i % 57 == 54) s.payload += "\\\n";  // a notebook's broken lines
        }
        s.inflated = raw.size();
        return s;
    }();
    return sample;
}

void BM_DecodeCompressedData(benchmark::State& state) {
    const Sample& s = MakeSample();
    for (auto _ : state) {
        vortan::mexpr::Expression e;
        (void)e.Parse("0");
        vortan::mexpr::Expression::Index root = 0;
        std::size_t budget = vortan::kMaxRecordLength;
        if (vortan::notebook::DecodeCompressedData(s.payload, e, root, budget) !=
            vortan::CompressedStatus::Ok) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(e.NodeCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.inflated));
}
BENCHMARK(BM_DecodeCompressedData)->Unit(benchmark::kMillisecond);

// Baseline: copying as many bytes as the decoder inflates.
void BM_DecodeBaselineMemcpy(benchmark::State& state) {
    const Sample& s = MakeSample();
    std::vector<char> from(s.inflated, 1), to(s.inflated);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.inflated));
}
BENCHMARK(BM_DecodeBaselineMemcpy)->Unit(benchmark::kMillisecond);

}  // namespace
