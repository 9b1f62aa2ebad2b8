// CompressedData decoding throughput, in bytes of inflated data per second,
// against inflating the same stream alone and copying as many bytes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_compressed.h"
#include "notebook/compressed_decoder.h"
#include "platform/base64.h"
#include "view/modern_record.h"
#include "view/streamline_reader.h"
#include "view/vortan_frame_state.h"

namespace {

constexpr std::size_t kElements = 1'000'000;  // 8 MB of doubles

const vortan::bench::CompressedSample& MakeSample() {
    static const auto sample = vortan::bench::PackedRealsCompressed(kElements, 0.0);
    return sample;
}

void BM_DecodeCompressedData(benchmark::State& state) {
    const auto& s = MakeSample();
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

// A whole record whose two functions hold grid and values as CompressedData
// of 250,000 points each (8 MB inflated in all), through the record reader:
// decoding, then grid and values read out of the packed lists.
void BM_ParseCompressedRecord(benchmark::State& state) {
    constexpr std::size_t kPoints = kElements / 4;
    vortan::notebook::InstallCompressedDataDecoder();
    const auto grid = vortan::bench::PackedRealsCompressed(kPoints, 0.0);
    const std::string header =
        "{5, 3, 1, {" + std::to_string(kPoints) + "}, {4}, 0, 0, 0, 0, Automatic, {}, {}, False}";
    std::string record = "{{";
    std::size_t inflated = 0;
    for (int c = 0; c < 2; ++c) {
        const auto values = vortan::bench::PackedRealsCompressed(kPoints, c + 1.0);
        record += std::string(c ? ", y" : "x") + " -> InterpolatingFunction[{{0., 1.}}, " + header +
                  ", {CompressedData[\"" + grid.payload + "\"]}, CompressedData[\"" +
                  values.payload + "\"], {Automatic}]";
        inflated += grid.inflated + values.inflated;
    }
    record += "}}";
    vortan::StreamlineHeader streamHeader;
    streamHeader.dimension = 2;
    streamHeader.tMax = 1e9f;
    auto frame = std::make_unique<vortan::VortanFrameState>();
    for (auto _ : state) {
        vortan::SkipReason reason = vortan::SkipReason::None;
        if (!vortan::ParseModernRecord(record, streamHeader, *frame, &reason)) {
            state.SkipWithError(vortan::SkipReasonText(reason));
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * inflated));
}
BENCHMARK(BM_ParseCompressedRecord)->Unit(benchmark::kMillisecond);

// Baseline: the inflation step alone, on the same zlib bytes.
void BM_DecodeBaselineInflate(benchmark::State& state) {
    const auto& s = MakeSample();
    std::string zlib;
    if (!vortan::DecodeBase64(std::string_view(s.payload).substr(2), zlib,
                              vortan::Base64Options{.continuations = true})) {
        state.SkipWithError("base64 failed");
        return;
    }
    for (auto _ : state) {
        vortan::notebook::InflatedBytes bytes;
        if (vortan::notebook::Inflate(zlib, vortan::kMaxRecordLength, bytes) !=
            vortan::CompressedStatus::Ok) {
            state.SkipWithError("inflate failed");
            break;
        }
        benchmark::DoNotOptimize(bytes.data.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.inflated));
}
BENCHMARK(BM_DecodeBaselineInflate)->Unit(benchmark::kMillisecond);

// Baseline: copying as many bytes as the decoder inflates.
void BM_DecodeBaselineMemcpy(benchmark::State& state) {
    const auto& s = MakeSample();
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
