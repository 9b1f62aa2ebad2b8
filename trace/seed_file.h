// The user's own seed points: a text file of one point a line, "x y" for a
// 2-D field and "x y z" for a 3-D one, numbers separated by blanks, tabs,
// commas or semicolons; blank lines and lines starting with '#' are passed
// over.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "trace/tracer.h"

namespace vortan::trace {

// Most seeds a file may hold, and the longest line.
inline constexpr std::size_t kMaxSeeds = 1'000'000;
inline constexpr std::size_t kMaxSeedLine = 4096;

// Parses text (name is used in messages: "NAME:LINE: ..."). False with a
// sentence in error; seeds then holds nothing.
bool ParseSeeds(const std::string& text, const std::string& name, int dimension,
                std::vector<SeedPoint>& seeds, std::string& error);

// Reads and parses the file at path.
bool ReadSeedFile(const std::string& path, int dimension, std::vector<SeedPoint>& seeds,
                  std::string& error);

}  // namespace vortan::trace
