// vortan-convert --list over a generated notebook of about 50 MB (output
// cells with compressed arrays, Manipulate values in input form), against
// reading the same file and copying its bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_compressed.h"
#include "notebook/compressed_decoder.h"
#include "notebook/notebook_file.h"
#include "view/streamline_writer.h"

namespace {

constexpr int kSolutions = 210;  // of each kind
constexpr std::size_t kPoints = 2000;

std::string Boxed(const std::string& name, const std::string& function) {
    return "RowBox[{\"" + name + "\", \"\\[Rule]\",\n  InterpretationBox[RowBox[{TagBox[" +
           "\"InterpolatingFunction\", \"SummaryHead\"], \"[\", \"\\[Ellipsis]\", \"]\"}],\n   " +
           function + ",\n   Editable->False, SelectWithContents->True, Selectable->False]}]";
}

std::string Header() {
    return "{5, 3, 1, {" + std::to_string(kPoints) +
           "}, {4}, 0, 0, 0, 0, Automatic, {}, {}, False}";
}

std::string CompressedFunction(double phase) {
    const auto grid = vortan::bench::PackedRealsCompressed(kPoints, 0.0);
    const auto values = vortan::bench::PackedRealsCompressed(kPoints, phase);
    return "InterpolatingFunction[{{0., 1.}}, " + Header() + ", CompressedData[\"" + grid.payload +
           "\"], CompressedData[\"" + values.payload + "\"], {Automatic}]";
}

std::string ExplicitFunction(double phase) {
    std::string grid = "{{", values = "{";
    for (std::size_t k = 0; k < kPoints; ++k) {
        if (k) grid += ", ", values += ", ";
        grid += vortan::FormatStreamlineNumber(static_cast<double>(k) * 1e-3,
                                               vortan::StreamlinePrecision::kDouble);
        values += vortan::FormatStreamlineNumber(std::sin(static_cast<double>(k) * 1e-3 + phase),
                                                 vortan::StreamlinePrecision::kDouble);
    }
    return "InterpolatingFunction[{{0., 2.}}, " + Header() + ", " + grid + "}}, " + values +
           "}, {Automatic}]";
}

const std::string& NotebookPath() {
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() /
                               ("vortan-bench-" + std::to_string(getpid()) + ".nb"))
                                  .string();
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::string nb = "(* Content-type: application/vnd.wolfram.mathematica *)\nNotebook[{\n";
        for (int k = 0; k < kSolutions; ++k) {
            const double phase = k * 0.01;
            nb += "Cell[BoxData[RowBox[{\"{\", RowBox[{\"{\", RowBox[{" +
                  Boxed("x", CompressedFunction(phase)) + ", \",\", " +
                  Boxed("y", CompressedFunction(phase + 1.0)) +
                  "}], \"}\"}], \"}\"}]], \"Output\"],\n";
            nb += "Cell[BoxData[DynamicModuleBox[{$CellContext`sol$$ = {{$CellContext`x -> " +
                  ExplicitFunction(phase) + ",\n $CellContext`y -> " +
                  ExplicitFunction(phase + 1.0) + "}}}, \"Manipulate\"]], \"Output\"],\n";
            std::fwrite(nb.data(), 1, nb.size(), f);
            nb.clear();
        }
        nb = "Cell[\"end\", \"Text\"]\n}]\n";
        std::fwrite(nb.data(), 1, nb.size(), f);
        std::fclose(f);
        std::atexit([] { std::remove(NotebookPath().c_str()); });
        return p;
    }();
    return path;
}

std::int64_t FileSize() {
    return static_cast<std::int64_t>(std::filesystem::file_size(NotebookPath()));
}

void BM_NotebookList(benchmark::State& state) {
    vortan::notebook::InstallCompressedDataDecoder();
    const std::string& path = NotebookPath();
    std::size_t readable = 0;
    for (auto _ : state) {
        std::string text, error;
        std::vector<vortan::notebook::NotebookEntry> entries;
        if (!vortan::notebook::LoadNotebook(path, text, entries, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        const std::string listing = vortan::notebook::FormatListing(entries);
        readable = 0;
        for (const auto& e : entries) readable += e.reason == vortan::SkipReason::None;
        benchmark::DoNotOptimize(listing.data());
    }
    state.counters["solutions"] = static_cast<double>(readable);
    state.counters["MB"] = static_cast<double>(FileSize()) / 1e6;
    state.SetBytesProcessed(state.iterations() * FileSize());
}
BENCHMARK(BM_NotebookList)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baselines: reading the file whole, and copying its bytes in memory.
void BM_NotebookBaselineRead(benchmark::State& state) {
    const std::string& path = NotebookPath();
    for (auto _ : state) {
        std::string text;
        std::FILE* f = std::fopen(path.c_str(), "rb");
        char block[1 << 16];
        for (std::size_t got; (got = std::fread(block, 1, sizeof block, f)) > 0;) {
            text.append(block, got);
        }
        std::fclose(f);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * FileSize());
}
BENCHMARK(BM_NotebookBaselineRead)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NotebookBaselineMemcpy(benchmark::State& state) {
    std::vector<char> from(static_cast<std::size_t>(FileSize()), 1), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * FileSize());
}
BENCHMARK(BM_NotebookBaselineMemcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
