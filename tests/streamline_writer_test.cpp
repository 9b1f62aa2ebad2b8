#include "view/streamline_writer.h"

#include <gtest/gtest.h>

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
using test::KnotRows, test::Rows;

// A file read back as the program reads it.
struct ReadBack {
    StreamlineHeader header;
    std::vector<KnotRows> records;    // the knot store after each record
    std::vector<SkipReason> skipped;  // records the parser refused
};

ReadBack ReadText(const std::string& content) {
    StreamlineFile file;
    file.OpenText(content);
    ReadBack r;
    r.header = ReadStreamlineHeader(file);
    auto state = std::make_unique<VortanFrameState>();
    for (std::string text; ReadStreamlineRecord(file, text);) {
        SkipReason why = SkipReason::None;
        if (ParseStreamlineRecord(text, r.header, *state, &why))
            r.records.push_back(Rows(std::span(state->m_knots).first(state->m_knotCount + 1u)));
        else
            r.skipped.push_back(why);
    }
    return r;
}

StreamlineHeader Header(float dimension, float tMax = 100.0f) {
    return {640, 480, dimension, tMax, 50, -10, 10, -10, 10, -10, 10, 11};
}

KnotRows Knots(const Points& points) {
    KnotRows knots;
    for (const auto& p : points) knots.push_back({float(p.t), float(p.x), float(p.y), float(p.z)});
    return knots;
}

// Points 0..n-1 with t = i / 4 and positions that differ at every knot.
Points Ramp(std::size_t n) {
    Points points;
    for (double k = 0; k < static_cast<double>(n); ++k)
        points.push_back({k * 0.25, std::sin(k * 0.01), k * 0.5 - 3, std::cos(k * 0.02)});
    return points;
}

TEST(StreamlineWriter, RecordTextHasTheClassicFormPaddedAndThinnedToBeRead) {
    const Points p = {{0, 1, 2, 0, 0.5}, {2, 3, 4}};
    const StreamlineRecordForm raw{.pad = false};
    const std::string unpadded = FormatStreamlineRecord(p, 2, raw);
    EXPECT_EQ(unpadded,
              "{{x -> InterpolatingFunction[{{0., 2.}}, {3, 1, 0, 0}, {{0., 2.}}, {{1., 0.5}, "
              "{3., 0.}}], y -> InterpolatingFunction[{{0., 2.}}, {3, 1, 0, 0}, {{0., 2.}}, "
              "{{2., 0.}, {4., 0.}}]}}\n");
    // Padded, the same record is 201 characters: blanks after the two braces.
    EXPECT_EQ(
        FormatStreamlineRecord(p, 2),
        "{{" + std::string(kShortStreamlineRecord + 1 - unpadded.size(), ' ') + unpadded.substr(2));
    // A record already long enough is left as it is.
    EXPECT_EQ(FormatStreamlineRecord(Ramp(12), 2), FormatStreamlineRecord(Ramp(12), 2, raw));
    // Long streamlines are thinned as the reader thins them: points, then the source index
    // of knots 1, 500 and 1000 after thinning.
    const std::tuple<std::size_t, std::size_t, std::size_t> thinning[] = {
        {1001, 1, 500}, {1002, 1, 501}, {2500, 2, 1250}, {20001, 20, 10000}};
    for (const auto& [n, one, half] : thinning) {
        const Points points = Ramp(n);
        const std::string header = FormatStreamlineHeader(Header(3, 1e6f));
        const ReadBack thinned = ReadText(header + FormatStreamlineRecord(points, 3));
        const ReadBack full = ReadText(header + FormatStreamlineRecord(points, 3, {.thin = false}));
        ASSERT_TRUE(thinned.records.size() == 1 && full.records.size() == 1) << n;
        // The writer keeps the knots the reader would keep from the whole list.
        EXPECT_EQ(thinned.records[0], full.records[0]) << n;
        const auto& k = thinned.records[0];
        ASSERT_EQ(k.size(), kLastStreamlineKnot + 1) << n;
        const KnotRows all = Knots(points);
        EXPECT_EQ(KnotRows({k[0], k[1], k[500], k[1000]}),
                  KnotRows({all[0], all[one], all[half], all[n - 1]}))
            << n;
    }
}

TEST(StreamlineWriter, NumbersReadBackExactly) {
    // Values whose shortest text needs many digits or an exponent.
    // clang-format off
    const float values[] = {0.1f, 1.0f / 3.0f, std::nextafter(1.0f, 2.0f), 16777215.0f, 123456.7f,
        -2.5e-7f, 1e-7f, FLT_MIN, std::numeric_limits<float>::denorm_min(), FLT_MAX, -FLT_MAX,
        3.0e38f, 1e20f, -0.0f};
    // clang-format on
    for (float v : values) {
        const std::string text = FormatStreamlineNumber(v);
        EXPECT_EQ(NarrowToFloat(ReadNumber(text.data(), text.size(), 0)), v) << text;
    }
    // Exact text of common forms; the last three at double precision.
    // clang-format off
    const std::pair<double, const char*> texts[] = {{0, "0."}, {-0.0, "0."}, {1, "1."},
        {-2.25, "-2.25"}, {1.5e-7, "1.5*^-7"}, {1e20, "1.*^20"}, {800, "800."}, {0.05, "0.05"},
        {123456.7, "123456.7"}, {1e-5, "1.*^-5"}, {NAN, "0."}, {HUGE_VAL, "0."}, {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333333"}, {1e300, "1.*^300"}};
    // clang-format on
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        const auto precision =
            i + 3 < std::size(texts) ? StreamlinePrecision::kSingle : StreamlinePrecision::kDouble;
        EXPECT_EQ(FormatStreamlineNumber(texts[i].first, precision), texts[i].second) << i;
    }
    // Random bit patterns read back as the same float, or at double precision the same double.
    std::mt19937_64 rng(9);
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t bits = rng();
        const auto f = std::bit_cast<float>(static_cast<std::uint32_t>(bits >> 7));
        const auto d = std::bit_cast<double>(bits);
        const std::string single = FormatStreamlineNumber(f),
                          twice = FormatStreamlineNumber(d, StreamlinePrecision::kDouble);
        ASSERT_TRUE(!std::isfinite(f) ||
                    NarrowToFloat(ReadNumber(single.data(), single.size(), 0)) == f)
            << single;
        ASSERT_TRUE(!std::isfinite(d) || ReadNumber(twice.data(), twice.size(), 0) == d) << twice;
    }
}

TEST(StreamlineWriter, RefusedInputIsNamedAndLeavesTheFileUsable) {
    const std::pair<Points, std::string> cases[] = {
        {{}, "fewer than two points"},
        {{{0, 1, 2}}, "fewer than two points"},
        {{{0, 1, 2}, {1, NAN, 2}}, "point 2 holds a value that is not a finite number"},
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
    // z is not written in two dimensions, so it need not fit; t is kept relative to the first.
    EXPECT_TRUE(writer.Write({{5, 1, 2, 1e300}, {6, 3, 4, NAN}})) << writer.Error();
    EXPECT_TRUE(writer.Commit()) << writer.Error();
    EXPECT_EQ(ReadText(test::ReadWholeFile(path)).records,
              (std::vector<KnotRows>{{{0, 1, 2, 0}, {1, 3, 4, 0}}}));
    // Large t is written relative to the first point, which keeps it in range.
    EXPECT_EQ(CheckStreamlinePoints({{1e300, 0, 0}, {1e300, 1, 1}}, 2), "");
    EXPECT_EQ(CheckStreamlinePoints({{0, 0, 0}, {1, 1e300, 1}}, 2, StreamlinePrecision::kDouble),
              "");
}

TEST(StreamlineWriter, FailuresKeepThePreviousFile) {
    // File opened, dimension, bytes written, size limit (0: none), the reason after the path.
    const std::tuple<const char*, float, std::size_t, rlim_t, std::string> cases[] = {
        {"old.math", 3, 200000, 0, ""},
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
            ok = writer.Open(path, Header(dimension));
            for (std::size_t written = 0; ok && written < bytes; written += 2000)
                ok = writer.Write(Ramp(100));
            if (ok) ok = writer.Commit();
        }
        const std::string error = want.empty() ? "" : "Cannot write " + path + ": " + want;
        EXPECT_EQ(std::pair(ok, writer.Error()), std::pair(want.empty(), error)) << bytes;
        if (ok) {
            const ReadBack r = ReadText(test::ReadWholeFile(old));  // 100 streamlines of 100 points
            EXPECT_EQ(test::HeaderNumbers(r.header), test::HeaderNumbers(Header(3)));
            EXPECT_EQ(std::pair(writer.Records(), r.records),
                      std::pair(std::size_t{100}, std::vector<KnotRows>(100, Knots(Ramp(100)))));
        } else {
            EXPECT_EQ(test::ReadWholeFile(old), "previous") << bytes;
            // After a failure the writer stays failed with the same message.
            EXPECT_FALSE(writer.Write(Ramp(3)));
            EXPECT_EQ(writer.Error(), error) << bytes;
        }
        EXPECT_EQ(test::CountEntries(dir.path()), 1) << bytes;  // no temporary file left
    }
    StreamlineWriter unopened;
    EXPECT_FALSE(unopened.Write(Ramp(3)));
    EXPECT_EQ(unopened.Error(), "No streamline file is open for writing.");
}

}  // namespace
}  // namespace vortan
