#include "view/streamline_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "platform/numeric.h"
#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"
#include "view/streamline_reader.h"

namespace vortan {
namespace {

using Points = std::vector<StreamlinePoint>;

// A file read back as the program reads it.
struct ReadBack {
    StreamlineHeader header;
    std::vector<std::vector<Knot>> records;  // the knot store after each record
    std::vector<std::size_t> lengths;        // each record's characters, line end included
    std::vector<SkipReason> skipped;         // records the parser refused
};

ReadBack Read(StreamlineFile& file) {
    ReadBack r;
    r.header = ReadStreamlineHeader(file);
    auto state = std::make_unique<VortanFrameState>();
    for (std::string text; ReadStreamlineRecord(file, text);) {
        r.lengths.push_back(text.size());
        SkipReason why = SkipReason::None;
        if (!ParseStreamlineRecord(text, r.header, *state, &why)) {
            r.skipped.push_back(why);
            continue;
        }
        const auto knots = std::span(state->m_knots).first(state->m_knotCount + 1u);
        r.records.emplace_back(knots.begin(), knots.end());
    }
    return r;
}

ReadBack ReadFile(const std::string& path) {
    StreamlineFile file;
    EXPECT_TRUE(file.Open(path)) << path;
    return Read(file);
}

ReadBack ReadText(const std::string& text) {
    StreamlineFile file;
    file.OpenText(text);
    return Read(file);
}

StreamlineHeader Header(float dimension, float tMax = 100.0f) {
    return {640, 480, dimension, tMax, 50, -10, 10, -10, 10, -10, 10, 11};
}

std::vector<Knot> Knots(const Points& points) {
    std::vector<Knot> knots;
    for (const StreamlinePoint& p : points)
        knots.push_back(
            {NarrowToFloat(p.t), NarrowToFloat(p.x), NarrowToFloat(p.y), NarrowToFloat(p.z)});
    return knots;
}

bool Same(const std::vector<Knot>& a, const std::vector<Knot>& b) {
    return std::ranges::equal(a, b, [](const Knot& p, const Knot& q) {
        return p.t == q.t && p.x == q.x && p.y == q.y && p.z == q.z;
    });
}

// Points 0..n-1 with t = i / 4 and positions that differ at every knot.
Points Ramp(std::size_t n) {
    Points points;
    for (std::size_t i = 0; i < n; ++i) {
        const double k = static_cast<double>(i);
        points.push_back({k * 0.25, std::sin(k * 0.01), k * 0.5 - 3, std::cos(k * 0.02)});
    }
    return points;
}

TEST(StreamlineWriter, RecordsRoundTripThroughTheReader) {
    // name, dimension, streamlines, the knots the reader stores for each
    // (z stays 0 in two dimensions: the reader leaves it untouched).
    const Points twoD = {{0, 1.5, -2.25, 9, 0.5, -0.5}, {0.5, 2, -3}, {1.25, 2.5, -1}};
    const Points threeD = {{0, 1, 2, 3}, {1, 4, 5, 6}, {3, 7, 8, 9.5}};
    // t need not start at 0: the file holds it relative to the first point's.
    const Points shifted = {{5, 0, 0}, {5.5, 0.1, 0.2}, {7, 0.3, 0.4}};
    const std::tuple<const char*, int, std::vector<Points>, std::vector<std::vector<Knot>>>
        cases[] = {
            {"2-D", 2, {twoD}, {{{0, 1.5f, -2.25f, 0}, {0.5f, 2, -3, 0}, {1.25f, 2.5f, -1, 0}}}},
            {"3-D", 3, {threeD}, {Knots(threeD)}},
            {"2-D, shifted t",
             2,
             {shifted},
             {{{0, 0, 0, 0}, {0.5f, 0.1f, 0.2f, 0}, {2, .3f, .4f, 0}}}},
            {"several records",
             3,
             {threeD, Ramp(40), Ramp(2)},
             {Knots(threeD), Knots(Ramp(40)), Knots(Ramp(2))}},
        };
    for (const auto& [name, dimension, lines, want] : cases) {
        test::TempDir dir;
        const std::string path = dir.file("out.math");
        const StreamlineHeader header = Header(static_cast<float>(dimension));
        StreamlineWriter writer;
        ASSERT_TRUE(writer.Open(path, header)) << name << ": " << writer.Error();
        for (const Points& p : lines)
            ASSERT_TRUE(writer.Write(p)) << name << ": " << writer.Error();
        ASSERT_TRUE(writer.Commit()) << name << ": " << writer.Error();
        EXPECT_EQ(writer.Records(), lines.size()) << name;

        const ReadBack r = ReadFile(path);
        EXPECT_EQ(r.header.numbersRead, 11) << name;
        EXPECT_EQ(r.header.dimension, static_cast<float>(dimension)) << name;
        EXPECT_TRUE(r.skipped.empty()) << name;
        ASSERT_EQ(r.records.size(), want.size()) << name;
        for (std::size_t k = 0; k < want.size(); ++k) {
            EXPECT_TRUE(Same(r.records[k], want[k])) << name << " record " << k;
        }
    }
}

TEST(StreamlineWriter, RecordTextHasTheClassicForm) {
    const Points p = {{0, 1, 2, 0, 0.5}, {2, 3, 4}};
    StreamlineRecordForm raw;
    raw.pad = false;
    EXPECT_EQ(FormatStreamlineRecord(p, 2, raw),
              "{{x -> InterpolatingFunction[{{0., 2.}}, {3, 1, 0, 0}, {{0., 2.}}, "
              "{{1., 0.5}, {3., 0.}}], "
              "y -> InterpolatingFunction[{{0., 2.}}, {3, 1, 0, 0}, {{0., 2.}}, "
              "{{2., 0.}, {4., 0.}}]}}\n");
    // Padded, the same record is 201 characters: blanks after the two braces.
    const std::string padded = FormatStreamlineRecord(p, 2);
    EXPECT_EQ(padded.size(), kShortStreamlineRecord + 1);
    EXPECT_EQ(padded.substr(0, 4), "{{  ");
    EXPECT_EQ(padded.substr(padded.find('x')), FormatStreamlineRecord(p, 2, raw).substr(2));
    // A record already long enough is left as it is.
    EXPECT_EQ(FormatStreamlineRecord(Ramp(12), 2), FormatStreamlineRecord(Ramp(12), 2, raw));
}

TEST(StreamlineWriter, ShortRecordsArePaddedSoThatTheyAreDrawn) {
    // Two and three knots of short numbers make records of about 180 and
    // 210 characters: padded, both are drawn; unpadded, the first is not.
    const Points two = {{0, 1, 2}, {1, 3, 4}};
    const Points three = {{0, 1, 2}, {1, 3, 4}, {2, 5, 6}};
    const std::tuple<Points, bool, bool> cases[] = {
        {two, true, true}, {two, false, false}, {three, true, true}, {three, false, true}};
    for (const auto& [p, pad, drawn] : cases) {
        StreamlineRecordForm form;
        form.pad = pad;
        const ReadBack r =
            ReadText(FormatStreamlineHeader(Header(2)) + FormatStreamlineRecord(p, 2, form));
        ASSERT_EQ(r.lengths.size(), 1u) << p.size() << pad;
        if (drawn) {
            EXPECT_GT(r.lengths[0], kShortStreamlineRecord) << p.size() << pad;
            ASSERT_EQ(r.records.size(), 1u) << p.size() << pad;
            EXPECT_TRUE(Same(r.records[0], Knots(p))) << p.size() << pad;
        } else {
            EXPECT_EQ(r.skipped, std::vector<SkipReason>{SkipReason::TooShort}) << p.size();
        }
    }
}

TEST(StreamlineWriter, LongStreamlinesAreThinnedAsTheReaderThinsThem) {
    // Points, then the source index of knots 1, 500 and 1000 after thinning.
    const std::tuple<std::size_t, std::size_t, std::size_t> cases[] = {
        {1001, 1, 500}, {1002, 1, 501}, {2500, 2, 1250}, {20001, 20, 10000}};
    for (const auto& [n, one, half] : cases) {
        const Points p = Ramp(n);
        StreamlineRecordForm whole;
        whole.thin = false;
        const std::string header = FormatStreamlineHeader(Header(3, 1e6f));
        const ReadBack thinned = ReadText(header + FormatStreamlineRecord(p, 3));
        const ReadBack full = ReadText(header + FormatStreamlineRecord(p, 3, whole));
        ASSERT_EQ(thinned.records.size(), 1u) << n;
        ASSERT_EQ(full.records.size(), 1u) << n;
        // The writer keeps the knots the reader would keep from the whole list.
        EXPECT_TRUE(Same(thinned.records[0], full.records[0])) << n;
        const auto& k = thinned.records[0];
        ASSERT_EQ(k.size(), kLastStreamlineKnot + 1) << n;
        const std::vector<Knot> all = Knots(p);
        EXPECT_TRUE(Same({k[0], k[1], k[500], k[1000]}, {all[0], all[one], all[half], all[n - 1]}))
            << n;
    }
}

TEST(StreamlineWriter, NumbersReadBackExactly) {
    // Values whose shortest text needs many digits or an exponent.
    const float values[] = {0.1f,        1.0f / 3.0f, std::nextafter(1.0f, 2.0f),
                            16777215.0f, 123456.7f,   -2.5e-7f,
                            1e-7f,       FLT_MIN,     std::numeric_limits<float>::denorm_min(),
                            FLT_MAX,     -FLT_MAX,    3.0e38f,
                            1e20f,       -0.0f};
    // Every value in every header field and as t, x, y and z of a knot.
    for (float v : values) {
        StreamlineHeader h = Header(3);
        float* const fields[] = {&h.imageWidth, &h.imageHeight, &h.tMax, &h.progressStep, &h.xMin,
                                 &h.xMax,       &h.yMin,        &h.yMax, &h.zMin,         &h.zMax};
        for (float* f : fields) *f = v;
        const double t = std::fabs(v);
        const Points p = {{0, v, v, v}, {t, -v, v, -v}};
        const ReadBack r = ReadText(FormatStreamlineHeader(h) + FormatStreamlineRecord(p, 3));
        EXPECT_EQ(test::HeaderNumbers(r.header), test::HeaderNumbers(h)) << v;
        ASSERT_EQ(r.records.size(), 1u) << v;
        // t above tMax reads as 0, so tMax follows the value here.
        const float tRead = v > 0 ? v : 0.0f;
        EXPECT_TRUE(Same(r.records[0], {{0, v, v, v}, {tRead, -v, v, -v}})) << v;
    }
    // Exact text of common forms.
    const std::pair<double, const char*> texts[] = {
        {0, "0."},        {-0.0, "0."},        {1, "1."},
        {-2.25, "-2.25"}, {1.5e-7, "1.5*^-7"}, {1e20, "1.*^20"},
        {800, "800."},    {0.05, "0.05"},      {123456.7, "123456.7"},
        {1e-5, "1.*^-5"}, {NAN, "0."},         {HUGE_VAL, "0."}};
    for (const auto& [v, text] : texts) EXPECT_EQ(FormatStreamlineNumber(v), text) << v;
    EXPECT_EQ(FormatStreamlineNumber(0.1, StreamlinePrecision::kDouble), "0.1");
    EXPECT_EQ(FormatStreamlineNumber(1.0 / 3.0, StreamlinePrecision::kDouble),
              "0.3333333333333333");
    EXPECT_EQ(FormatStreamlineNumber(1e300, StreamlinePrecision::kDouble), "1.*^300");
}

TEST(StreamlineWriter, EveryFloatAndDoubleReadsBackAsItself) {
    // Random bit patterns: the text read as the reader reads numbers gives
    // back the same float (single precision) or the same double.
    std::mt19937_64 rng(9);
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t bits = rng();
        const auto f = std::bit_cast<float>(static_cast<std::uint32_t>(bits >> 7));
        const auto d = std::bit_cast<double>(bits);
        if (std::isfinite(f)) {
            const std::string text = FormatStreamlineNumber(f);
            ASSERT_EQ(NarrowToFloat(ReadNumber(text.data(), text.size(), 0)), f) << text;
        }
        if (std::isfinite(d)) {
            const std::string text = FormatStreamlineNumber(d, StreamlinePrecision::kDouble);
            ASSERT_EQ(ReadNumber(text.data(), text.size(), 0), d) << text;
        }
    }
}

TEST(StreamlineWriter, RefusedInputIsNamedAndLeavesTheFileUsable) {
    const double kNan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<Points, std::string> cases[] = {
        {{}, "fewer than two points"},
        {{{0, 1, 2}}, "fewer than two points"},
        {{{0, 1, 2}, {1, kNan, 2}}, "point 2 holds a value that is not a finite number"},
        {{{0, 1, 2}, {HUGE_VAL, 1, 2}}, "point 2 holds a value that is not a finite number"},
        {{{0, 1, 2}, {1, 1, 1e39}}, "point 2 holds a value beyond the single-precision range"},
        {{{0, 1, 2, 0, 1e39}, {1, 1, 1}},
         "point 1 holds a value beyond the single-precision range"},
        {{{5, 1, 2}, {5, 1, 2}, {4, 1, 2}}, "the parameter decreases at point 3"},
        {{{0, 1, 2}, {2, 1, 2}, {1, 1, 2}}, "the parameter decreases at point 3"}};
    test::TempDir dir;
    const std::string path = dir.file("out.math");
    StreamlineWriter writer;
    ASSERT_TRUE(writer.Open(path, Header(2)));
    for (const auto& [points, why] : cases) {
        EXPECT_FALSE(writer.Write(points)) << why;
        EXPECT_EQ(writer.Error(), "Cannot write " + path + ": streamline 1: " + why + ".");
    }
    // z is not written in two dimensions, so it need not fit.
    EXPECT_TRUE(writer.Write({{0, 1, 2, 1e300}, {1, 3, 4, kNan}})) << writer.Error();
    EXPECT_TRUE(writer.Commit()) << writer.Error();
    const ReadBack r = ReadFile(path);
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_TRUE(Same(r.records[0], {{0, 1, 2, 0}, {1, 3, 4, 0}}));
    // Large t is written relative to the first point, which keeps it in range.
    EXPECT_EQ(CheckStreamlinePoints({{1e300, 0, 0}, {1e300, 1, 1}}, 2), "");
    EXPECT_EQ(CheckStreamlinePoints({{0, 0, 0}, {1, 1e300, 1}}, 2, StreamlinePrecision::kDouble),
              "");
}

TEST(StreamlineWriter, FailuresKeepThePreviousFile) {
    // The file opened, the header's dimension, bytes of records written, the
    // size limit (0: none), the reason after "Cannot write PATH: ".
    const std::tuple<const char*, float, std::size_t, rlim_t, std::string> cases[] = {
        {"old.math", 2, 200000, 0, ""},
        {"none/x.math", 2, 10, 0, "No such file or directory."},
        {"old.math", 4, 10, 0, "the dimension must be 2 or 3, not 4."},
        {"old.math", NAN, 10, 0, "the header holds a number that is not finite."},
        {"old.math", 2, 1000, 100, "File too large."},     // at the end
        {"old.math", 2, 300000, 100, "File too large."}};  // while writing
    for (const auto& [file, dimension, bytes, limit, want] : cases) {
        test::TempDir dir;
        const std::string old = dir.file("old.math"), path = dir.file(file);
        test::WriteTextFile(old, "previous");
        StreamlineWriter writer;
        bool ok = false;
        {
            test::FileSizeLimit cap(limit);
            StreamlineHeader header = Header(2);
            header.dimension = dimension;
            ok = writer.Open(path, header);
            std::size_t written = 0;
            while (ok && written < bytes) {
                ok = writer.Write(Ramp(100));
                written += 2000;
            }
            if (ok) ok = writer.Commit();
        }
        EXPECT_EQ(ok, want.empty()) << file << " " << bytes;
        EXPECT_EQ(writer.Error(), ok ? "" : "Cannot write " + path + ": " + want) << bytes;
        if (ok) {
            EXPECT_EQ(ReadFile(old).records.size(), writer.Records());
        } else {
            EXPECT_EQ(test::ReadWholeFile(old), "previous") << bytes;
            // After a failure the writer stays failed with the same message.
            EXPECT_FALSE(writer.Write(Ramp(3)));
            EXPECT_EQ(writer.Error(), "Cannot write " + path + ": " + want) << bytes;
        }
        EXPECT_EQ(test::CountEntries(dir.path()), 1) << bytes;  // no temporary file left
    }
    StreamlineWriter unopened;
    EXPECT_FALSE(unopened.Write(Ramp(3)));
    EXPECT_EQ(unopened.Error(), "No streamline file is open for writing.");
}

}  // namespace
}  // namespace vortan
