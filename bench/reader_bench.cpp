// Throughput of reading and parsing a streamline file: 2,000 streamlines of
// 300 knots in 2-D, numbers printed to machine precision as Mathematica does.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "view/streamline_reader.h"

namespace {

using namespace vortan;

constexpr int kStreamlines = 2000;
constexpr int kKnots = 300;

void AppendNumber(std::string& out, double v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, res.ptr);
    if (s.find_first_of(".e") == std::string::npos) s += '.';
    if (auto e = s.find('e'); e != std::string::npos) {
        std::string exp = s.substr(e + 1);
        if (!exp.empty() && exp[0] == '+') exp.erase(0, 1);
        s = s.substr(0, e) + (s.find('.') == std::string::npos ? ".*^" : "*^") + exp;
    }
    out += s;
}

void AppendFunction(std::string& out, const char* name, const std::string& params, double tEnd,
                    const std::vector<double>& values, const std::vector<double>& slopes) {
    out += name;
    out += " -> InterpolatingFunction[{{0., ";
    AppendNumber(out, tEnd);
    out += "}}, {3, 1, 0, 0}, ";
    out += params;
    out += ", {";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) out += ", ";
        out += '{';
        AppendNumber(out, values[i]);
        out += ", ";
        AppendNumber(out, slopes[i]);
        out += '}';
    }
    out += "}]";
}

// The benchmark file, written once per process and removed at exit.
class BenchFile {
  public:
    BenchFile() {
        m_path = (std::filesystem::temp_directory_path() /
                  ("vortan-reader-bench-" + std::to_string(::getpid()) + ".txt"))
                     .string();
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<double> unit(-1.0, 1.0);
        std::string text = "800.\n600.\n2.\n10.\n0.05\n-1.\n1.\n-1.\n1.\n0.\n0.\n";
        std::vector<double> x(kKnots + 1), y(kKnots + 1), dx(kKnots + 1), dy(kKnots + 1);
        for (int s = 0; s < kStreamlines; ++s) {
            std::string params = "{{0.";
            double t = 0.0;
            for (int k = 1; k <= kKnots; ++k) {
                t += 10.0 / kKnots * (0.5 + 0.5 * (unit(rng) + 1.0));
                params += ", ";
                AppendNumber(params, t);
            }
            params += "}}";
            for (int k = 0; k <= kKnots; ++k) {
                x[k] = unit(rng);
                y[k] = unit(rng);
                dx[k] = unit(rng) * 1e-3;
                dy[k] = unit(rng) * 1e-3;
            }
            text += "{{";
            AppendFunction(text, "x", params, t, x, dx);
            text += ", ";
            AppendFunction(text, "y", params, t, y, dy);
            text += "}}\n";
        }
        m_size = text.size();
        std::FILE* f = std::fopen(m_path.c_str(), "wb");
        if (f) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }
    ~BenchFile() {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
    const std::string& path() const { return m_path; }
    std::size_t size() const { return m_size; }

  private:
    std::string m_path;
    std::size_t m_size = 0;
};

const BenchFile& File() {
    static BenchFile file;
    return file;
}

void BM_ReadAndParse(benchmark::State& st) {
    const BenchFile& bench = File();
    auto state = std::make_unique<VortanFrameState>();
    std::string text;
    int parsed = 0;
    for (auto _ : st) {
        StreamlineFile file;
        if (!file.Open(bench.path())) {
            st.SkipWithError("cannot open the benchmark file");
            return;
        }
        const StreamlineHeader header = ReadStreamlineHeader(file);
        parsed = 0;
        while (ReadStreamlineRecord(file, text)) {
            if (ParseStreamlineRecord(text, header, *state)) ++parsed;
        }
        benchmark::DoNotOptimize(state->m_knots.data());
    }
    if (parsed != kStreamlines) st.SkipWithError("not every streamline was parsed");
    st.counters["streamlines"] = parsed;
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) *
                         static_cast<std::int64_t>(bench.size()));
}
BENCHMARK(BM_ReadAndParse)->Unit(benchmark::kMillisecond);

void BM_ReadRecordsOnly(benchmark::State& st) {
    const BenchFile& bench = File();
    std::string text;
    for (auto _ : st) {
        StreamlineFile file;
        if (!file.Open(bench.path())) {
            st.SkipWithError("cannot open the benchmark file");
            return;
        }
        ReadStreamlineHeader(file);
        while (ReadStreamlineRecord(file, text)) benchmark::DoNotOptimize(text.data());
    }
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) *
                         static_cast<std::int64_t>(bench.size()));
}
BENCHMARK(BM_ReadRecordsOnly)->Unit(benchmark::kMillisecond);

void BM_ReadNumber(benchmark::State& st) {
    const std::string text =
        "0.7853981633974483, -5.52`*^-14, 16.799999999999997`, 1.5`15.9, 2.5*^-7, ";
    std::size_t count = 0;
    for (auto _ : st) {
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = pos;
            benchmark::DoNotOptimize(ReadNumber(text.data(), text.size(), pos, &end));
            pos = end + 1;
            ++count;
        }
    }
    st.SetItemsProcessed(static_cast<std::int64_t>(count));
}
BENCHMARK(BM_ReadNumber);

}  // namespace
