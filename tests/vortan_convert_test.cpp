#include "tools/vortan_convert.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "view/streamline_reader.h"

namespace vortan::convert {
namespace {

bool Read(const std::string& text, Table& table, std::string& error) {
    std::istringstream in(text);
    return ReadTable(in, "in.csv", table, error);
}

struct Written {
    bool ok = false;
    std::string text;
    std::string error;
    std::vector<std::string> warnings;
};

Written Convert(const std::string& csv, const Options& options = {}) {
    Written w;
    Table table;
    if (!Read(csv, table, w.error)) return w;
    std::ostringstream out;
    w.ok = WriteStreamlineFile(table, options, out, w.error, &w.warnings);
    w.text = out.str();
    return w;
}

// The file read back as the program reads it: header and knot stores.
struct ReadBack {
    StreamlineHeader header;
    std::vector<std::vector<Knot>> streamlines;
    std::vector<std::size_t> recordLengths;
};

ReadBack ReadBackFile(const std::string& text) {
    ReadBack r;
    StreamlineFile file;
    file.OpenText(text);
    r.header = ReadStreamlineHeader(file);
    auto state = std::make_unique<VortanFrameState>();
    std::string record;
    while (ReadStreamlineRecord(file, record)) {
        r.recordLengths.push_back(record.size());
        SkipReason reason = SkipReason::None;
        if (!ParseStreamlineRecord(record, r.header, *state, &reason)) {
            ADD_FAILURE() << "record skipped: " << SkipReasonText(reason) << "\n" << record;
            continue;
        }
        r.streamlines.emplace_back(state->m_knots.begin(),
                                   state->m_knots.begin() + state->m_knotCount + 1);
    }
    return r;
}

TEST(ReadTable, SeparatorsHeadersAndComments) {
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"comma", "1,0,0.5,1.5\n1,1,0.75,2\n2,0,3,4\n2,2,5,6\n"},
        {"comma with blanks and header",
         "id, t, x, y\n1, 0, 0.5, 1.5\n1, 1, 0.75, 2\n2, 0, 3, 4\n"
         "2, 2, 5, 6\n"},
        {"semicolon", "1;0;0.5;1.5\n1;1;0.75;2\n2;0;3;4\n2;2;5;6\n"},
        {"tabs", "1\t0\t0.5\t1.5\n1\t1\t0.75\t2\n2\t0\t3\t4\n2\t2\t5\t6\n"},
        {"blanks", "  1   0  0.5 1.5\n1 1 0.75 2\n\n2 0 3 4\n2 2 5 6"},
        {"crlf and quotes",
         "\"id\",\"t\",\"x\",\"y\"\r\n\"1\",0,0.5,1.5\r\n\"1\",1,0.75,2\r\n"
         "\"2\",0,3,4\r\n\"2\",2,5,6\r\n"},
        {"comments and exponents",
         "# made by hand\n% and a MATLAB comment\n1 0 5e-1 +1.5\n"
         "1 1e0 0.75 2\n2 0 3 4\n# between\n2 2 5 6\n"},
        {"interleaved ids", "1,0,0.5,1.5\n2,0,3,4\n1,1,0.75,2\n2,2,5,6\n"},
    };
    for (const auto& c : cases) {
        Table table;
        std::string error;
        ASSERT_TRUE(Read(c.text, table, error)) << c.name << ": " << error;
        EXPECT_EQ(table.columns, 4) << c.name;
        ASSERT_EQ(table.streamlines.size(), 2u) << c.name;
        EXPECT_EQ(table.streamlines[0].id, "1") << c.name;
        EXPECT_EQ(table.streamlines[1].id, "2") << c.name;
        ASSERT_EQ(table.streamlines[0].points.size(), 2u) << c.name;
        ASSERT_EQ(table.streamlines[1].points.size(), 2u) << c.name;
        const Point& p = table.streamlines[0].points[1];
        EXPECT_EQ(p.t, 1.0) << c.name;
        EXPECT_EQ(p.x, 0.75) << c.name;
        EXPECT_EQ(p.y, 2.0) << c.name;
        EXPECT_EQ(table.streamlines[0].points[0].y, 1.5) << c.name;
        EXPECT_EQ(table.streamlines[1].points[1].x, 5.0) << c.name;
    }
}

TEST(ReadTable, BadTablesNameTheLine) {
    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"", "in.csv: no points (expected lines of id, t, x, y[, z])"},
        {"id,t,x,y\n", "in.csv: no points (expected lines of id, t, x, y[, z])"},
        {"# nothing\n\n", "in.csv: no points (expected lines of id, t, x, y[, z])"},
        {"1,0,1\n", "in.csv:1: expected 4 or 5 columns (id, t, x, y[, z]), found 3"},
        {"1,0,1,2\n1,1,2,3,4\n", "in.csv:2: expected 4 columns as above, found 5"},
        {"1,0,1,2\n1,1,2,abc\n", "in.csv:2: column 4 (y): \"abc\" is not a finite number"},
        {"1,0,1,2\n1,nan,2,3\n", "in.csv:2: column 2 (t): \"nan\" is not a finite number"},
        {"1,0,1,2\n1,1,inf,3\n", "in.csv:2: column 3 (x): \"inf\" is not a finite number"},
        {"1,0,1,2\n1,1,1e999,3\n", "in.csv:2: column 3 (x): \"1e999\" is not a finite number"},
        {"1,0,1,2\n1,1,,3\n", "in.csv:2: column 3 (x): \"\" is not a finite number"},
        {"1,0,1,2\n1,1,0x10,3\n", "in.csv:2: column 3 (x): \"0x10\" is not a finite number"},
        {"1,0,1,2\n1,1,2,3,4,5\n", "in.csv:2: expected 4 or 5 columns (id, t, x, y[, z]), found 6"},
        {"a,b,c,d\nid,t,x,y\n", "in.csv:2: column 2 (t): \"t\" is not a finite number"},
        {"1,0,1,2\n" + std::string(kMaxLineLength + 10, '7') + "\n",
         "in.csv:2: line longer than 65536 characters"},
        {std::string("1,0,1,2\n1,1,\0,3\n", 16), "in.csv:2: line holds a zero byte"},
    };
    for (const auto& c : cases) {
        Table table;
        std::string error;
        EXPECT_FALSE(Read(c.text, table, error)) << c.text.substr(0, 60);
        EXPECT_EQ(error, c.message) << c.text.substr(0, 60);
    }
}

TEST(WriteStreamlineFile, HeaderFromTheData) {
    // Two streamlines: t spans 2 and 3 (the second starts at t = 10).
    const Written w =
        Convert("1,0,0,0\n1,2,10,5\n2,10,-10,0\n2,13,0,-5\n", Options{640, 480, 0.1, 0, 0.0});
    ASSERT_TRUE(w.ok) << w.error;
    const ReadBack r = ReadBackFile(w.text);
    EXPECT_EQ(r.header.numbersRead, 11);
    EXPECT_EQ(r.header.imageWidth, 640.0f);
    EXPECT_EQ(r.header.imageHeight, 480.0f);
    EXPECT_EQ(r.header.dimension, 2.0f);
    EXPECT_EQ(r.header.tMax, 3.0f);
    EXPECT_EQ(r.header.progressStep, 50.0f);
    EXPECT_EQ(r.header.xMin, -12.0f);  // -10 .. 10 widened by 10 % of 20
    EXPECT_EQ(r.header.xMax, 12.0f);
    EXPECT_EQ(r.header.yMin, -6.0f);  // -5 .. 5 widened by 1 on each side
    EXPECT_EQ(r.header.yMax, 6.0f);
    EXPECT_LT(r.header.zMin, r.header.zMax);

    struct Range {
        std::string csv;
        Options options;
        float tMax, progress, xMin, xMax, yMin, yMax, zMin, zMax;
    };
    const Range ranges[] = {
        // A flat coordinate gets a range of 1 around its value.
        {"a 0 1 7\na 1 3 7\n", Options{}, 1, 100, 0.9f, 3.1f, 6, 8, -1, 1},
        {"a 0 1 7\na 1 3 7\n", Options{800, 600, 0, 0, 0}, 1, 100, 1, 3, 6, 8, -1, 1},
        {"a 0 1 7\na 1 3 7\n", Options{800, 600, 0, 0, 0.25}, 0.25f, 100, 1, 3, 6, 8, -1, 1},
        {"a 0 1 2 3\na 4 2 3 5\nb 0 0 0 0\nb 1 1 1 1\nc 0 0 0 0\nc 1 1 1 1\n", Options{}, 4,
         100.0f / 3, -0.1f, 2.1f, -0.15f, 3.15f, -0.25f, 5.25f},
    };
    for (const auto& c : ranges) {
        const Written rw = Convert(c.csv, c.options);
        ASSERT_TRUE(rw.ok) << rw.error;
        const StreamlineHeader h = ReadBackFile(rw.text).header;
        EXPECT_EQ(h.tMax, c.tMax) << c.csv;
        EXPECT_EQ(h.progressStep, c.progress) << c.csv;
        EXPECT_FLOAT_EQ(h.xMin, c.xMin) << c.csv;
        EXPECT_FLOAT_EQ(h.xMax, c.xMax) << c.csv;
        EXPECT_FLOAT_EQ(h.yMin, c.yMin) << c.csv;
        EXPECT_FLOAT_EQ(h.yMax, c.yMax) << c.csv;
        EXPECT_FLOAT_EQ(h.zMin, c.zMin) << c.csv;
        EXPECT_FLOAT_EQ(h.zMax, c.zMax) << c.csv;
    }
}

TEST(WriteStreamlineFile, RoundTripThroughTheReader) {
    // 2-D and 3-D, points given out of order and t not starting at 0.
    struct Case {
        const char* name;
        std::string csv;
        std::vector<std::vector<Knot>> expected;
        float dimension;
    };
    const Case cases[] = {
        {"2-D",
         "id,t,x,y\ns1,5.5,0.1,0.2\ns1,6,0.3,-0.4\ns2,0,1e-7,123456.7\ns1,5,0,0\ns2,0.25,-2.5,3\n",
         {{{0, 0, 0, 0}, {0.5f, 0.1f, 0.2f, 0}, {1, 0.3f, -0.4f, 0}},
          {{0, 1e-7f, 123456.7f, 0}, {0.25f, -2.5f, 3, 0}}},
         2},
        {"3-D",
         "7 0 1 2 3\n7 1 4 5 6\n7 3 7 8 9.5\n",
         {{{0, 1, 2, 3}, {1, 4, 5, 6}, {3, 7, 8, 9.5f}}},
         3},
    };
    for (const auto& c : cases) {
        const Written w = Convert(c.csv);
        ASSERT_TRUE(w.ok) << c.name << ": " << w.error;
        EXPECT_TRUE(w.warnings.empty()) << c.name;
        const ReadBack r = ReadBackFile(w.text);
        EXPECT_EQ(r.header.dimension, c.dimension) << c.name;
        ASSERT_EQ(r.streamlines.size(), c.expected.size()) << c.name;
        for (std::size_t s = 0; s < c.expected.size(); ++s) {
            ASSERT_EQ(r.streamlines[s].size(), c.expected[s].size()) << c.name << " " << s;
            for (std::size_t k = 0; k < c.expected[s].size(); ++k) {
                const Knot& got = r.streamlines[s][k];
                const Knot& want = c.expected[s][k];
                EXPECT_EQ(got.t, want.t) << c.name << " " << s << "/" << k;
                EXPECT_EQ(got.x, want.x) << c.name << " " << s << "/" << k;
                EXPECT_EQ(got.y, want.y) << c.name << " " << s << "/" << k;
                if (c.dimension == 3) {
                    EXPECT_EQ(got.z, want.z) << c.name << " " << s << "/" << k;
                }
            }
        }
        // Even the shortest streamline's record is long enough to be drawn.
        for (std::size_t len : r.recordLengths) EXPECT_GT(len, 200u) << c.name;
    }
}

TEST(WriteStreamlineFile, ValuesKeepEveryFloatBit) {
    // Floats from 2^-30 to 2^29 of both signs, given with all their digits.
    std::string csv;
    std::vector<float> xs;
    for (int i = 0; i < 200; ++i) {
        const float x = std::ldexp(1.0f + i / 211.0f, (i % 60) - 30) * (i % 2 ? -1.0f : 1.0f);
        xs.push_back(x);
        char buf[64];
        const auto res = std::to_chars(buf, buf + sizeof buf, x);
        csv += "a," + std::to_string(i) + "," + std::string(buf, res.ptr) + ",0\n";
    }
    const Written w = Convert(csv);
    ASSERT_TRUE(w.ok) << w.error;
    const ReadBack r = ReadBackFile(w.text);
    ASSERT_EQ(r.streamlines.size(), 1u);
    ASSERT_EQ(r.streamlines[0].size(), 200u);
    for (std::size_t i = 0; i < 200; ++i) EXPECT_EQ(r.streamlines[0][i].x, xs[i]) << i;
}

TEST(WriteStreamlineFile, LongStreamlinesAreThinnedKeepingBothEnds) {
    for (int points : {1001, 1002, 2500}) {
        std::string csv;
        for (int i = 0; i < points; ++i) {
            csv += "1 " + std::to_string(i) + " " + std::to_string(i * 2) + " 0\n";
        }
        const Written w = Convert(csv);
        ASSERT_TRUE(w.ok) << w.error;
        const ReadBack r = ReadBackFile(w.text);
        ASSERT_EQ(r.streamlines.size(), 1u);
        const auto& knots = r.streamlines[0];
        ASSERT_EQ(knots.size(), 1001u) << points;
        EXPECT_EQ(knots.back().t, static_cast<float>(points - 1)) << points;
        EXPECT_EQ(knots.back().x, static_cast<float>(2 * (points - 1))) << points;
        for (std::size_t k = 1; k < knots.size(); ++k) {
            EXPECT_LT(knots[k - 1].t, knots[k].t) << points << " " << k;
            EXPECT_EQ(knots[k].x, 2 * knots[k].t) << points << " " << k;
        }
        if (points == 2500) {
            EXPECT_EQ(knots[500].t, 1250.0f);  // round(500 * 2499 / 1000)
        }
    }
}

TEST(WriteStreamlineFile, UnusableTablesAreRefused) {
    struct Case {
        std::string csv;
        Options options;
        const char* error;
    };
    const Case cases[] = {
        {"1 0 1 2\n2 0 3 4\n", Options{}, "no streamline has two or more points"},
        {"1 3 1 2\n1 3 3 4\n", Options{},
         "every streamline has a parameter span of 0 (all t equal)"},
        {"1 0 1 2\n1 1 3 4\n", Options{800, 600, 0.05, 3, 0},
         "three dimensions need a z column (id, t, x, y, z)"},
        {"1 0 1 2\n1 1 3.3e38 4\n", Options{}, "coordinates beyond the single-precision range"},
        {"1 0 1 2\n1 1e300 3 4\n", Options{}, "parameter span beyond the single-precision range"},
    };
    for (const auto& c : cases) {
        const Written w = Convert(c.csv, c.options);
        EXPECT_FALSE(w.ok) << c.csv;
        EXPECT_EQ(w.error, c.error) << c.csv;
    }
    // A single-point streamline among others is left out with a warning.
    const Written w = Convert("1 0 1 2\n1 1 3 4\nlonely 0 5 5\n");
    ASSERT_TRUE(w.ok) << w.error;
    ASSERT_EQ(w.warnings.size(), 1u);
    EXPECT_EQ(w.warnings[0], "streamline lonely has a single point and is left out");
    const ReadBack r = ReadBackFile(w.text);
    EXPECT_EQ(r.streamlines.size(), 1u);
    EXPECT_EQ(r.header.progressStep, 100.0f);
    EXPECT_EQ(r.header.xMax, 3.1f);  // the left-out point does not widen the range
}

TEST(WriteStreamlineFile, ThreeColumnsOfFiveDrawnInTwoDimensions) {
    const Written w = Convert("1 0 1 2 30\n1 1 3 4 50\n", Options{800, 600, 0.05, 2, 0});
    ASSERT_TRUE(w.ok) << w.error;
    const ReadBack r = ReadBackFile(w.text);
    EXPECT_EQ(r.header.dimension, 2.0f);
    EXPECT_EQ(w.text.find("z ->"), std::string::npos);
    ASSERT_EQ(r.streamlines.size(), 1u);
    EXPECT_EQ(r.streamlines[0][1].y, 4.0f);
}

struct SaveCase {
    const char* name;
    const char* file;   // in a fresh folder holding "old.math"
    std::size_t bytes;  // written by the writer
    bool writerFails;   // the writer gives up with "in.csv: bad data"
    rlim_t limit;       // file size limit while saving (0: none)
    const char* error;  // expected, after "cannot write PATH: " unless it starts with "in.csv"
};

TEST(WriteAtomically, ReplacesOnlyAfterACompleteWrite) {
    const SaveCase cases[] = {
        {"a complete write replaces", "old.math", 5000, false, 0, ""},
        {"a new file is made", "new.math", 3, false, 0, ""},
        {"the writer's own failure is its message", "old.math", 100, true, 0, "in.csv: bad data"},
        {"a missing folder names the output", "none/x.math", 10, false, 0,
         "No such file or directory"},
        {"a full disk at the end names the output", "old.math", 1000, false, 100, "File too large"},
        {"a full disk while writing names the output, not the input", "old.math", 300000, false,
         100, "File too large"},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        vortan::test::TempDir dir;
        const std::string old = dir.file("old.math");
        vortan::test::WriteTextFile(old, "previous");
        const std::string path = dir.file(c.file);
        const std::string text(c.bytes, 'z');
        std::string error;
        bool ok = false;
        {
            test::FileSizeLimit cap(c.limit);
            ok = WriteAtomically(
                path,
                [&](std::ostream& out, std::string& why) {
                    out << text;
                    if (c.writerFails || !out) {
                        why = c.writerFails ? "in.csv: bad data" : "in.csv: write error";
                        return false;
                    }
                    return true;
                },
                error);
        }
        const std::string want = std::string(c.error).rfind("in.csv", 0) == 0
                                     ? c.error
                                     : "cannot write " + path + ": " + c.error;
        EXPECT_EQ(ok, *c.error == '\0');
        EXPECT_EQ(error, ok ? "" : want);
        EXPECT_EQ(vortan::test::ReadWholeFile(old),
                  ok && path == old ? text : std::string("previous"));
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        const bool added = ok && path != old;
        const std::vector<std::string> wantNames =
            added ? std::vector<std::string>{c.file, "old.math"}
                  : std::vector<std::string>{"old.math"};
        EXPECT_EQ(names, wantNames);
        if (added) {
            EXPECT_EQ(vortan::test::ReadWholeFile(path), text);
        }
    }
}

}  // namespace
}  // namespace vortan::convert
