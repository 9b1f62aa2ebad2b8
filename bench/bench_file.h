// The benchmark input shared by the reader and drawing-pass benchmarks: a 2-D
// streamline file of 2,000 smooth streamlines of 301 knots, numbers printed
// to machine precision as Mathematica prints them.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "view/streamline_writer.h"

namespace vortan::bench {

inline constexpr int kLines = 2000;
inline constexpr int kKnotsPerLine = 300;

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
        StreamlineHeader header;
        header.imageWidth = 1024.0f;
        header.imageHeight = 768.0f;
        header.dimension = 2.0f;
        header.tMax = 10.0f;
        header.progressStep = 0.05f;
        header.xMin = header.yMin = -1.0f;
        header.xMax = header.yMax = 1.0f;
        StreamlineRecordForm form;
        form.precision = StreamlinePrecision::kDouble;
        StreamlineWriter writer;
        bool ok = writer.Open(m_path, header, form);
        std::vector<StreamlinePoint> points(kKnotsPerLine + 1);
        const double dt = 10.0 / kKnotsPerLine;
        for (int l = 0; l < kLines && ok; ++l) {
            double px = unit(rng) * 1.6 - 0.8, py = unit(rng) * 1.6 - 0.8;
            double heading = unit(rng) * 6.283185307179586;
            const double turn = (unit(rng) - 0.5) * 0.02;
            for (int k = 0; k <= kKnotsPerLine; ++k) {
                // The derivative columns are passed over by the reader.
                points[static_cast<std::size_t>(k)] = {k * dt, px, py, 0.0, px * 0.125, py * 0.125};
                heading += turn;
                px += 0.002 * std::cos(heading);
                py += 0.002 * std::sin(heading);
            }
            ok = writer.Write(points);
        }
        if (ok && writer.Commit()) {
            std::error_code ec;
            m_bytes = static_cast<std::size_t>(std::filesystem::file_size(m_path, ec));
        } else {
            std::fprintf(stderr, "%s\n", writer.Error().c_str());
        }
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
