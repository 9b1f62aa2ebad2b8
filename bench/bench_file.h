// The benchmark input shared by the reader and drawing-pass benchmarks: a 2-D
// streamline file of 2,000 smooth streamlines of 300 knots, numbers printed
// to machine precision as Mathematica prints them.
#pragma once

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace vortan::bench {

inline constexpr int kLines = 2000;
inline constexpr int kKnotsPerLine = 300;

// A machine real as Mathematica prints it: 17 significant digits, "1." for
// whole numbers, "*^" for the exponent.
inline void AppendReal(std::string& out, double v) {
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

inline void AppendFunction(std::string& out, const char* name, const std::string& params,
                           double tEnd, const std::vector<double>& values) {
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
class StreamlineBenchFile {
  public:
    StreamlineBenchFile() {
        m_path = (std::filesystem::temp_directory_path() /
                  ("vortan-bench-" + std::to_string(::getpid()) + ".txt"))
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
    ~StreamlineBenchFile() { std::remove(m_path.c_str()); }
    const std::string& path() const { return m_path; }
    std::size_t bytes() const { return m_bytes; }

  private:
    std::string m_path;
    std::size_t m_bytes = 0;
};

inline const StreamlineBenchFile& File() {
    static StreamlineBenchFile file;
    return file;
}

}  // namespace vortan::bench
