// Cost of a whole drawing pass (read, parse, sample, draw into a 1024 x 768
// picture) on a 2-D file of 2,000 smooth streamlines of 300 knots, against
// reading and parsing the same file alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "platform/indexed_canvas.h"
#include "view/drawing_pass.h"
#include "view/sampler.h"
#include "view/streamline_reader.h"

namespace {

using namespace vortan;

constexpr int kLines = 2000;
constexpr int kKnotsPerLine = 300;
constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// A machine real as Mathematica prints it: 17 significant digits, "1." for
// whole numbers, "*^" for the exponent.
void AppendReal(std::string& out, double v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
    std::string s(buf, res.ptr);
    std::string exponent;
    if (auto e = s.find('e'); e != std::string::npos) {
        exponent = s.substr(e + 1);
        s.erase(e);
        if (!exponent.empty() && exponent[0] == '+') exponent.erase(0, 1);
    }
    if (s.find('.') == std::string::npos) s += '.';
    out += s;
    if (!exponent.empty()) out += "*^" + exponent;
}

void AppendFunction(std::string& out, const char* name, const std::string& params, double tEnd,
                    const std::vector<double>& values) {
    out += name;
    out += " -> InterpolatingFunction[{{0., ";
    AppendReal(out, tEnd);
    out += "}}, {3, 1, 0, 0}, " + params + ", {";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) out += ", ";
        out += '{';
        AppendReal(out, values[i]);
        out += ", ";
        AppendReal(out, values[i] * 0.125);  // a derivative column, passed over by the reader
        out += '}';
    }
    out += "}]";
}

// The benchmark file: each streamline a gently curving path through the
// square -1..1, written once per process and removed at exit.
class PassFile {
  public:
    PassFile() {
        m_path = (std::filesystem::temp_directory_path() /
                  ("vortan-pass-bench-" + std::to_string(::getpid()) + ".txt"))
                     .string();
        std::mt19937_64 rng(11);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        std::string text = "1024.\n768.\n2.\n10.\n0.05\n-1.\n1.\n-1.\n1.\n0.\n0.\n";
        std::vector<double> x(kKnotsPerLine + 1), y(kKnotsPerLine + 1);
        for (int l = 0; l < kLines; ++l) {
            std::string params = "{{0.";
            const double dt = 10.0 / kKnotsPerLine;
            for (int k = 1; k <= kKnotsPerLine; ++k) {
                params += ", ";
                AppendReal(params, k * dt);
            }
            params += "}}";
            double px = unit(rng) * 1.6 - 0.8, py = unit(rng) * 1.6 - 0.8;
            double heading = unit(rng) * 6.283185307179586;
            const double turn = (unit(rng) - 0.5) * 0.02;
            for (int k = 0; k <= kKnotsPerLine; ++k) {
                x[k] = px;
                y[k] = py;
                heading += turn;
                px += 0.002 * std::cos(heading);
                py += 0.002 * std::sin(heading);
            }
            text += "{{";
            AppendFunction(text, "x", params, 10.0, x);
            text += ", ";
            AppendFunction(text, "y", params, 10.0, y);
            text += "}}\n";
        }
        std::FILE* f = std::fopen(m_path.c_str(), "wb");
        if (f) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        m_bytes = text.size();
    }
    ~PassFile() { std::remove(m_path.c_str()); }
    const std::string& path() const { return m_path; }
    std::size_t bytes() const { return m_bytes; }

  private:
    std::string m_path;
    std::size_t m_bytes = 0;
};

const PassFile& File() {
    static PassFile file;
    return file;
}

class QuietHost : public IFrameHost {
  public:
    int MessageBox(const std::string&, const std::string&, unsigned) override { return IDOK; }
    void SetStatusText(const std::string&, bool) override {}
    bool SetTimer(unsigned, std::uint32_t) override { return true; }
    void KillTimer(unsigned) override {}
};

VortanFrameState PassState() {
    VortanFrameState state;
    state.m_inputPath = File().path();
    state.m_axisX = 1;
    state.m_axisY = 1;
    state.m_diskDiameter = 2;
    state.m_withOrientation = 1;
    state.m_colortableCount = 7;
    state.m_entriesPerTable = 32;
    state.m_animationOn = 1;
    state.m_timeDelay = 50;
    return state;
}

// Reading and parsing only: the floor of any pass.
void BM_PassFileReadAndParse(benchmark::State& st) {
    VortanFrameState state = PassState();
    int parsed = 0;
    for (auto _ : st) {
        StreamlineFile file;
        if (!file.Open(File().path())) {
            st.SkipWithError("cannot open the benchmark file");
            return;
        }
        const StreamlineHeader header = ReadStreamlineHeader(file);
        std::string text;
        parsed = 0;
        while (ReadStreamlineRecord(file, text))
            parsed += ParseStreamlineRecord(text, header, state);
        benchmark::DoNotOptimize(state.m_knots.data());
    }
    st.counters["streamlines"] = parsed;
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * File().bytes()));
}
BENCHMARK(BM_PassFileReadAndParse)->Unit(benchmark::kMillisecond);

// Reading, parsing and sampling, without drawing.
void BM_PassFileReadParseSample(benchmark::State& st) {
    VortanFrameState state = PassState();
    state.m_sampleCount = kSamplesPerStreamline;
    SampleArray samples{};
    for (auto _ : st) {
        StreamlineFile file;
        if (!file.Open(File().path())) {
            st.SkipWithError("cannot open the benchmark file");
            return;
        }
        const StreamlineHeader header = ReadStreamlineHeader(file);
        state.m_tMax = header.tMax;
        std::string text;
        while (ReadStreamlineRecord(file, text))
            if (ParseStreamlineRecord(text, header, state)) SampleAll(state, samples);
        benchmark::DoNotOptimize(samples.data());
    }
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * File().bytes()));
}
BENCHMARK(BM_PassFileReadParseSample)->Unit(benchmark::kMillisecond);

// The whole screen pass into the client area of a 1024 x 768 picture.
void BM_WholeDrawingPass(benchmark::State& st) {
    VortanFrameState state = PassState();
    state.m_diskScaleDimming = static_cast<int>(st.range(0));
    IndexedCanvas canvas(kWidth, kHeight + kStatusBarHeight);
    QuietHost host;
    PassStats stats;
    for (auto _ : st) {
        stats = RunDrawingPass(state, canvas, host);
        benchmark::DoNotOptimize(canvas.Pixels().data());
    }
    if (stats.drawn != kLines) st.SkipWithError("not every streamline was drawn");
    st.counters["streamlines"] = stats.drawn;
    st.counters["disks"] = static_cast<double>(canvas.EllipseCount()) / (st.iterations() + 0.0);
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * File().bytes()));
}
BENCHMARK(BM_WholeDrawingPass)->Arg(0)->Arg(1)->ArgName("dimming")->Unit(benchmark::kMillisecond);

// Drawing alone: 2,000 streamlets of 64 disks from samples prepared once.
void BM_PassDrawOnly(benchmark::State& st) {
    IndexedCanvas canvas(kWidth, kHeight + kStatusBarHeight);
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> pos(40, 700);
    for (auto _ : st) {
        canvas.FillBlack(0, 0, canvas.Width(), canvas.Height());
        for (int l = 0; l < kLines; ++l) {
            int x = pos(rng), y = pos(rng);
            int px = x, py = y;
            for (int j = 63; j >= 0; --j) {
                canvas.SelectPen(4, PALETTEINDEX(static_cast<std::uint32_t>(j)));
                canvas.Ellipse(x - 1, y - 1, x + 1, y + 1);
                if (std::abs(x - px) > 3 || std::abs(y - py) > 3) {
                    canvas.MoveTo(px, py);
                    canvas.LineTo(x, y);
                }
                px = x;
                py = y;
                x += 2 + (j & 3);
                y += 1 + (j & 1);
            }
        }
        benchmark::DoNotOptimize(canvas.Pixels().data());
    }
}
BENCHMARK(BM_PassDrawOnly)->Unit(benchmark::kMillisecond);

}  // namespace
