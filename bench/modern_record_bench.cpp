// Throughput of the newer-layout record reader, and the cost of telling the
// layouts apart on classic records.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "view/modern_record.h"
#include "view/streamline_reader.h"
#include "view/streamline_writer.h"

namespace {

std::string Number(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.16g", v);
    std::string s = buf;
    if (s.find('.') == std::string::npos && s.find('e') == std::string::npos) s += '.';
    if (auto e = s.find('e'); e != std::string::npos)
        s.replace(e, 1, "`*^");
    else
        s += '`';
    return s;
}

// A Mathematica 10 record: packed values, 13-element header, applied to t.
std::string ModernRecord(int knots, int seed) {
    std::string grid = "{{";
    for (int i = 0; i < knots; ++i) grid += (i ? ", " : "") + Number(i * 0.01);
    grid += "}}";
    std::string out = "{{";
    for (int c = 0; c < 2; ++c) {
        std::string offsets = "{0", flat = "{";
        for (int i = 0; i < knots; ++i) {
            offsets += ", " + std::to_string(2 * (i + 1));
            const double v = c ? std::sin(i * 0.01 + seed) : std::cos(i * 0.01 + seed);
            flat += (i ? ", " : "") + Number(v) + ", " + Number(-v * 0.5);
        }
        out += std::string(c ? ", " : "") + (c ? "y" : "x") +
               "[t] -> InterpolatingFunction[{{0., 3.}}, {5, 3, 0, {" + std::to_string(knots) +
               "}, {2}, 0, 0, 0, 0, Automatic, {}, {}, False}, " + grid +
               ", {Developer`PackedArrayForm, " + offsets + "}, " + flat + "}}, {Automatic}][t]";
    }
    return out + "}}\n";
}

// The same streamline as a classic record.
std::string ClassicRecord(int knots, int seed) {
    std::vector<vortan::StreamlinePoint> points;
    for (int i = 0; i < knots; ++i) {
        points.push_back({i * 0.01, std::cos(i * 0.01 + seed), std::sin(i * 0.01 + seed)});
    }
    vortan::StreamlineRecordForm form;
    form.precision = vortan::StreamlinePrecision::kDouble;
    return vortan::FormatStreamlineRecord(points, 2, form);
}

void BM_ParseModernRecord(benchmark::State& state) {
    std::string records[8];
    std::size_t bytes = 0;
    for (int s = 0; s < 8; ++s) {
        records[s] = ModernRecord(300, s);
        bytes += records[s].size();
    }
    vortan::StreamlineHeader header;
    header.dimension = 2;
    header.tMax = 3.0f;
    auto frame = std::make_unique<vortan::VortanFrameState>();
    for (auto _ : state) {
        for (const auto& r : records) {
            vortan::SkipReason reason;
            benchmark::DoNotOptimize(vortan::ParseModernRecord(r, header, *frame, &reason));
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ParseModernRecord);

void BM_IsModernRecordOnClassic(benchmark::State& state) {
    const std::string record = ClassicRecord(300, 1);
    for (auto _ : state) benchmark::DoNotOptimize(vortan::IsModernRecord(record));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * record.size()));
}
BENCHMARK(BM_IsModernRecordOnClassic);

}  // namespace
