#include "trace/seed_file.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>

namespace vortan::trace {

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r';
}

}  // namespace

bool ParseSeeds(const std::string& text, const std::string& name, int dimension,
                std::vector<SeedPoint>& seeds, std::string& error) {
    seeds.clear();
    const std::size_t want = dimension == 3 ? 3 : 2;
    std::size_t lineNumber = 0;
    auto fail = [&](const std::string& what) {
        error = name + ":" + std::to_string(lineNumber) + ": " + what;
        seeds.clear();
        return false;
    };
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        ++lineNumber;
        if (line.size() > kMaxSeedLine) {
            return fail("line longer than " + std::to_string(kMaxSeedLine) + " characters");
        }
        std::size_t i = 0;
        while (i < line.size() && IsSeparator(line[i])) ++i;
        if (i == line.size() || line[i] == '#') continue;
        double values[3] = {0.0, 0.0, 0.0};
        std::size_t count = 0;
        while (i < line.size()) {
            std::size_t j = i;
            while (j < line.size() && !IsSeparator(line[j])) ++j;
            const std::string_view field = line.substr(i, j - i);
            if (count == want) {
                return fail("expected " + std::to_string(want) + " numbers (" +
                            (want == 3 ? "x y z" : "x y") + "), found more");
            }
            const char* first = field.data() + (field.front() == '+' ? 1 : 0);
            double v = 0.0;
            const auto res = std::from_chars(first, field.data() + field.size(), v);
            if (res.ec != std::errc() || res.ptr != field.data() + field.size() ||
                !std::isfinite(v)) {
                return fail("'" + std::string(field.substr(0, 40)) + "' is not a number");
            }
            values[count++] = v;
            i = j;
            while (i < line.size() && IsSeparator(line[i])) ++i;
        }
        if (count != want) {
            return fail("expected " + std::to_string(want) + " numbers (" +
                        (want == 3 ? "x y z" : "x y") + "), found " + std::to_string(count));
        }
        if (seeds.size() == kMaxSeeds) {
            return fail("more than " + std::to_string(kMaxSeeds) + " seeds");
        }
        seeds.push_back({values[0], values[1], values[2]});
    }
    if (seeds.empty()) {
        error = name + ": no seed points";
        return false;
    }
    return true;
}

bool ReadSeedFile(const std::string& path, int dimension, std::vector<SeedPoint>& seeds,
                  std::string& error) {
    seeds.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    // Enough for the most seeds at a generous line length; a larger file
    // is refused before it is read whole.
    constexpr std::size_t kMaxBytes = kMaxSeeds * 128;
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (text.size() + got > kMaxBytes) {
            std::fclose(file);
            error = path + ": larger than " + std::to_string(kMaxBytes) + " bytes";
            return false;
        }
        text.append(buffer, got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = "cannot read " + path;
        return false;
    }
    return ParseSeeds(text, path, dimension, seeds, error);
}

}  // namespace vortan::trace
