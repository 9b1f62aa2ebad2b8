#include "convert/columns.h"

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/test_support.h"
#include "view/streamline_reader.h"

namespace vortan::convert {
namespace {

struct Converted {
    bool ok = false;
    std::string error;
    std::vector<std::string> warnings;
    StreamlineHeader header;   // the output read back as the program reads it, and
    std::vector<float> knots;  // t, x, y, z of each knot of each record in turn
};

Converted Convert(const std::string& csv, const Options& options = {}) {
    Converted c;
    Table table;
    std::istringstream in(csv);
    if (!ReadTable(in, "in.csv", table, c.error)) return c;
    StreamlineHeader header;
    if (!ComputeHeader(table, options, header, c.error, &c.warnings)) return c;
    test::TempDir dir;
    const std::string path = dir.file("out.math");
    c.ok = WriteStreamlineFile(table, header, path, c.error);
    StreamlineFile file;
    if (!file.Open(path)) return c;
    c.header = ReadStreamlineHeader(file);
    auto state = std::make_unique<VortanFrameState>();
    for (std::string record; ReadStreamlineRecord(file, record);) {
        EXPECT_TRUE(ParseStreamlineRecord(record, c.header, *state)) << record;
        for (const Knot& n : std::span(state->m_knots).first(state->m_knotCount + 1u))
            c.knots.insert(c.knots.end(), {n.t, n.x, n.y, n.z});
    }
    return c;
}

std::string Replaced(std::string s, const std::string& from, const std::string& to) {
    for (auto at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

TEST(Convert, TableFormsRoundTripThroughTheReader) {
    // Points out of order, t not starting at 0, in several table forms.
    const std::string csv = "a,5.5,0.1,0.2\nb,0,1e-7,123456.7\na,5,0,0\nb,1,-2.5,3";
    const std::vector<float> two = {0, 0,     0,         0, .5f, .1f,   .2f, 0,
                                    0, 1e-7f, 123456.7f, 0, 1,   -2.5f, 3,   0};
    const std::tuple<const char*, std::string, Options, std::vector<float>> tables[] = {
        {"comma, header", "id,t,x,y\n" + csv + "\n", {}, two},
        {"semicolon", Replaced(csv, ",", ";"), {}, two},
        {"tabs", Replaced(csv, ",", "\t"), {}, two},
        {"blanks", Replaced(csv, ",", "  ") + "\n\n", {}, two},
        {"CR LF", Replaced(csv, "\n", "\r\n"), {}, two},
        {"quotes", Replaced(csv, "a,", "\"a\","), {}, two},
        {"comments", "# by\n% MATLAB\n" + Replaced(csv, "\nb,1", "\n# x\nb,1e0"), {}, two},
        {"3-D", "7 0 1 2 3\n7 1 4 5 6\n7 3 7 8 9.5\n", {}, {0, 1, 2, 3, 1, 4, 5, 6, 3, 7, 8, 9.5f}},
        {"5 as 2-D", "1 0 1 2 30\n1 1 3 4 50\n", {800, 600, 0.05, 2, 0}, {0, 1, 2, 0, 1, 3, 4, 0}}};
    for (const auto& [name, text, options, knots] : tables) {
        const Converted c = Convert(text, options);
        ASSERT_TRUE(c.ok) << name << ": " << c.error;
        EXPECT_EQ(c.header.dimension, knots.size() == 12 ? 3.0f : 2.0f) << name;
        EXPECT_EQ(c.knots, knots) << name;
    }
}

// Spreadsheet exports: a byte-order mark, old Mac line ends, ids in quotes
// holding the separator. Each streamline's id with its count of points.
TEST(Convert, SpreadsheetFormsKeepEveryIdAndPoint) {
    using Ids = std::vector<std::pair<std::string, std::size_t>>;
    const std::string bom = "\xEF\xBB\xBF";
    const std::tuple<const char*, std::string, Ids> cases[] = {
        {"BOM before the header", bom + "id,t,x,y\na,0,0,0\na,1,1,1\n", {{"a", 2}}},
        {"CR only, ends with CR", "a;0;0;0\ra;1;1;1\r\r", {{"a", 2}}},
        {"mixed line ends", "a,0,0,0\r\na,1,1,1\ra,2,2,2\na,3,3,3", {{"a", 4}}},
        {"a quoted ';' is no separator", "\"x;y\",0,0,0\n\"x;y\",1,1,1\n", {{"x;y", 2}}},
        {"doubled quotes",
         "\"say \"\"hi\"\"\",0,0,0\n\"say \"\"hi\"\"\",1,1,1\n",
         {{"say \"hi\"", 2}}},
        {"quoted id with blanks", "\"left gyre\" 0 0 0\n\"left gyre\" 1 1 1\n", {{"left gyre", 2}}},
    };
    for (const auto& [name, text, want] : cases) {
        Table table;
        std::string error;
        std::istringstream in(text);
        ASSERT_TRUE(ReadTable(in, "in.csv", table, error)) << name << ": " << error;
        Ids got;
        for (const Streamline& s : table.streamlines) got.emplace_back(s.id, s.points.size());
        EXPECT_EQ(got, want) << name;
    }
}

TEST(Convert, UnusableInputIsRefusedWithItsReason) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "in.csv: no points (expected lines of id, t, x, y[, z])"},
        {"1,0,1\n", "in.csv:1: expected 4 or 5 columns (id, t, x, y[, z]), found 3"},
        {"1,0,1,2\n1,1,2,3,4\n", "in.csv:2: expected 4 columns as above, found 5"},
        {"1,0,1,2\n1,nan,2,3\n", "in.csv:2: column 2 (t): \"nan\" is not a finite number"},
        {"1,0,1,2\n" + std::string(kMaxLineLength + 10, '7') + "\n",
         "in.csv:2: line longer than 65536 characters"},
        {std::string("1,0,1,2\n1,1,\0,3\n", 16), "in.csv:2: line holds a zero byte"},
        {"1 0 1 2\n2 0 3 4\n", "no streamline has two or more points"},
        {"1 3 1 2\n1 3 3 4\n", "every streamline has a parameter span of 0 (all t equal)"},
        {"1 0 1 2\n1 1 3.3e38 4\n", "coordinates beyond the single-precision range"},
        {"1 0 1 2\n1 1e300 3 4\n", "parameter span beyond the single-precision range"}};
    for (const auto& [csv, message] : cases) {
        const Converted c = Convert(csv);
        EXPECT_FALSE(c.ok) << csv.substr(0, 60);
        EXPECT_EQ(c.error, message) << csv.substr(0, 60);
    }
    // A single-point streamline is left out with a warning and does not widen the range.
    const Converted c = Convert("1 0 1 2\n1 1 3 4\nlonely 0 5 5\n");
    EXPECT_EQ(c.warnings,
              std::vector<std::string>{"streamline lonely has a single point and is left out"});
    EXPECT_EQ(c.knots.size(), 8u);  // one streamline of two knots
    EXPECT_EQ(c.header.xMax, 3.1f);
}

}  // namespace
}  // namespace vortan::convert
