// Streamlines given as plain columns (streamline id, t, x, y[, z], one point
// a line, separated by commas, semicolons or blanks, with or without a header
// line): the table reader, the header computed from the data, and the
// streamline file written from both.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

#include "view/streamline_reader.h"
#include "view/streamline_writer.h"

namespace vortan::convert {

// Most points read from one table (32 bytes each in memory).
inline constexpr std::size_t kMaxPoints = 10'000'000;
// Longest line of the table.
inline constexpr std::size_t kMaxLineLength = 65536;

struct Options {
    int width = 800;
    int height = 600;
    double margin = 0.05;  // fraction of each coordinate's span added on both sides
    int dimension = 0;     // 2 or 3; 0 takes it from the columns
    double tMax = 0.0;     // 0: the longest streamline's parameter span
};

struct Point {
    double t = 0.0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct Streamline {
    std::string id;
    std::vector<Point> points;  // in the order read
};

struct Table {
    int columns = 0;  // 4 (id, t, x, y) or 5 (with z)
    std::size_t points = 0;
    std::vector<Streamline> streamlines;  // in order of first appearance
};

// Reads the table from in. name is used in messages ("NAME:LINE: ...").
// Blank lines and lines starting with '#' or '%' are passed over; the first
// other line is a header when its number fields are not all numbers.
bool ReadTable(std::istream& in, const std::string& name, Table& table, std::string& error);

// The header of the streamline file for table: the parameter range is the
// longest streamline's span of t (unless options give one), the progress step
// 100 divided by the number of streamlines written, the coordinate ranges
// those of the data widened by the margin. Streamlines of a single point are
// left out, each named in warnings (when given).
bool ComputeHeader(const Table& table, const Options& options, StreamlineHeader& header,
                   std::string& error, std::vector<std::string>* warnings = nullptr);

// The knots of one streamline: its points ordered by t (points of equal t
// keep their order).
std::vector<StreamlinePoint> OrderedPoints(const Streamline& streamline);

// Writes the streamline file for table to path: header (from ComputeHeader),
// then one record per streamline of two or more points. An existing file at
// path is replaced only once the new one is complete; a failure's error is a
// whole sentence naming the file.
bool WriteStreamlineFile(const Table& table, const StreamlineHeader& header,
                         const std::string& path, std::string& error);

}  // namespace vortan::convert
