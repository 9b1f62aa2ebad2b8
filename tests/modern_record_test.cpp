#include "view/modern_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/settings_record.h"
#include "app/start_validation.h"
#include "palette/color_tables.h"
#include "platform/indexed_canvas.h"
#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"
#include "view/drawing_pass.h"
#include "view/streamline_reader.h"

namespace vortan {
namespace {

using test::ClassicRecord;
using test::HeaderText;
using test::MathematicaNumber;
using test::ReadWholeFile;
using test::SourcePath;
using test::TempDir;
using test::WriteTextFile;

std::string Fixture(const std::string& name) {
    return SourcePath("tests/fixtures/modern/" + name);
}

// What one file leaves in the knot store after each of its records.
struct RecordStore {
    bool parsed = false;
    SkipReason reason = SkipReason::None;
    int knotCount = 0;
    std::array<Knot, kKnotCapacity> knots{};
};

std::vector<RecordStore> ReadStores(StreamlineFile& file) {
    const StreamlineHeader header = ReadStreamlineHeader(file);
    auto state = std::make_unique<VortanFrameState>();
    std::vector<RecordStore> out;
    std::string text;
    while (ReadStreamlineRecord(file, text)) {
        RecordStore s;
        s.parsed = ParseStreamlineRecord(text, header, *state, &s.reason);
        s.knotCount = state->m_knotCount;
        s.knots = state->m_knots;
        out.push_back(s);
    }
    return out;
}

std::vector<RecordStore> ReadFileStores(const std::string& path) {
    StreamlineFile file;
    EXPECT_TRUE(file.Open(path)) << path;
    return ReadStores(file);
}

std::vector<RecordStore> ReadTextStores(const std::string& text) {
    StreamlineFile file;
    file.OpenText(text);
    return ReadStores(file);
}

testing::AssertionResult SameStores(const std::vector<RecordStore>& a,
                                    const std::vector<RecordStore>& b) {
    if (a.size() != b.size()) {
        return testing::AssertionFailure() << a.size() << " records against " << b.size();
    }
    for (std::size_t r = 0; r < a.size(); ++r) {
        if (a[r].parsed != b[r].parsed || a[r].knotCount != b[r].knotCount) {
            return testing::AssertionFailure()
                   << "record " << r << ": parsed " << a[r].parsed << "/" << b[r].parsed
                   << ", knots " << a[r].knotCount << "/" << b[r].knotCount << ", reason "
                   << SkipReasonText(a[r].reason) << "/" << SkipReasonText(b[r].reason);
        }
        for (int k = 0; k < kKnotCapacity; ++k) {
            const Knot& p = a[r].knots[k];
            const Knot& q = b[r].knots[k];
            if (p.t != q.t || p.x != q.x || p.y != q.y || p.z != q.z) {
                return testing::AssertionFailure()
                       << "record " << r << " knot " << k << ": (" << p.t << ", " << p.x << ", "
                       << p.y << ", " << p.z << ") against (" << q.t << ", " << q.x << ", " << q.y
                       << ", " << q.z << ")";
            }
        }
    }
    return testing::AssertionSuccess();
}

// Header lines (up to the first record) and the one-line records of a file.
struct SplitFile {
    std::string header;
    std::vector<std::string> records;
};

SplitFile Split(const std::string& text) {
    SplitFile out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '{') {
            out.records.push_back(line);
        } else if (out.records.empty()) {
            out.header += line + "\n";
        }
    }
    return out;
}

// Line layouts that Mathematica and notebook exports write.
std::string PutWrapped(const std::string& record) {
    // Breaks after ", " where a line would pass 78 columns, continuing with
    // an indentation of six blanks, as Put does.
    std::string out, line;
    std::size_t pos = 0;
    while (pos < record.size()) {
        std::size_t cut = record.find(", ", pos);
        std::string piece =
            cut == std::string::npos ? record.substr(pos) : record.substr(pos, cut + 2 - pos);
        pos = cut == std::string::npos ? record.size() : cut + 2;
        if (!line.empty() && line.size() + piece.size() - 1 > 78) {
            out += line + "\n";
            line = "      ";
        }
        line += piece;
    }
    return out + line;
}

std::string BackslashContinued(const std::string& record) {
    // A break every 70 characters, wherever it falls (inside numbers too).
    std::string out;
    for (std::size_t i = 0; i < record.size(); i += 70) {
        if (i) out += "\\\n";
        out += record.substr(i, 70);
    }
    return out;
}

std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

struct LineLayout {
    const char* name;
    std::string (*apply)(const std::string&);  // whole file text -> file text
};

std::string Relayout(const std::string& file, std::string (*record)(const std::string&)) {
    const SplitFile parts = Split(file);
    std::string out = parts.header;
    for (const auto& r : parts.records) out += record(r) + "\n";
    return out;
}

const LineLayout kLayouts[] = {
    {"one line", [](const std::string& f) { return f; }},
    {"put-wrapped", [](const std::string& f) { return Relayout(f, PutWrapped); }},
    {"backslash-continued", [](const std::string& f) { return Relayout(f, BackslashContinued); }},
    {"crlf put-wrapped", [](const std::string& f) { return Crlf(Relayout(f, PutWrapped)); }},
    {"crlf backslash", [](const std::string& f) { return Crlf(Relayout(f, BackslashContinued)); }},
};

// ---------------------------------------------------------------------------

TEST(ModernRecord, EveryLayoutReadsAsItsClassicTwin) {
    const auto classic = ReadFileStores(Fixture("circle_classic.math"));
    ASSERT_EQ(classic.size(), 2u);
    ASSERT_TRUE(classic[0].parsed && classic[1].parsed);
    // The classic twin itself holds the streamlines the fixtures were made from.
    EXPECT_EQ(classic[0].knotCount, 11);
    EXPECT_EQ(classic[0].knots[7].t, static_cast<float>(M_PI));
    EXPECT_EQ(classic[0].knots[7].x, -1.0f);
    EXPECT_EQ(classic[0].knots[7].y, 1.2246467991473532e-16f);
    EXPECT_EQ(classic[0].knots[1].y, 9.999999983333334e-05f);
    EXPECT_EQ(classic[1].knotCount, 7);
    EXPECT_EQ(classic[1].knots[0].x, 0.7f);
    EXPECT_EQ(classic[1].knots[7].t, 6.3f);

    const char* const fixtures[] = {
        "circle_v7.math",         "circle_v8.math",
        "circle_v10.math",        "circle_v10_cellcontext.math",
        "circle_v10_order2.math", "circle_v10_unpacked.math",
        "circle_v10_plain.math",
    };
    TempDir dir;
    for (const char* name : fixtures) {
        const std::string text = ReadWholeFile(Fixture(name));
        ASSERT_FALSE(text.empty()) << name;
        for (const auto& layout : kLayouts) {
            const std::string path = dir.file("layout.math");
            WriteTextFile(path, layout.apply(text));
            EXPECT_TRUE(SameStores(ReadFileStores(path), classic)) << name << ", " << layout.name;
        }
    }
    // Files as Put and a notebook export wrote them.
    for (const char* name : {"circle_v10_put.math", "circle_v10_backslash_crlf.math"}) {
        EXPECT_TRUE(SameStores(ReadFileStores(Fixture(name)), classic)) << name;
    }
}

TEST(ModernRecord, ThreeDimensionalHelixReadsAsItsClassicTwin) {
    const auto classic = ReadFileStores(Fixture("helix_classic.math"));
    ASSERT_EQ(classic.size(), 1u);
    ASSERT_TRUE(classic[0].parsed);
    EXPECT_EQ(classic[0].knotCount, 9);
    EXPECT_EQ(classic[0].knots[9].z, static_cast<float>(0.25 * 6.4 - 0.8));
    EXPECT_EQ(classic[0].knots[3].z, static_cast<float>(0.25 * 1.3 - 0.8));

    TempDir dir;
    const std::string text = ReadWholeFile(Fixture("helix_v10.math"));
    for (const auto& layout : kLayouts) {
        const std::string path = dir.file("helix.math");
        WriteTextFile(path, layout.apply(text));
        EXPECT_TRUE(SameStores(ReadFileStores(path), classic)) << layout.name;
    }

    // Read as a 2-D file, the third function is not looked at and z stays.
    std::string flat = text;
    flat.replace(flat.find("\n3.\n"), 4, "\n2.\n");
    const auto twoD = ReadTextStores(flat);
    ASSERT_EQ(twoD.size(), 1u);
    ASSERT_TRUE(twoD[0].parsed);
    EXPECT_EQ(twoD[0].knots[9].x, classic[0].knots[9].x);
    for (const Knot& k : twoD[0].knots) EXPECT_EQ(k.z, 0.0f);
}

TEST(ModernRecord, ClassicRecordsKeepTheClassicAlgorithm) {
    const std::vector<float> t = {0.0f, 0.5f, 1.0f, 1.5f};
    std::vector<std::string> classic = {
        ClassicRecord(t, {{1, 2, 3, 4}, {5, 6, 7, 8}}),
        ClassicRecord(t, {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}}),
        ClassicRecord({0.0f, 2.5e-7f}, {{-1.5e-9f, 3.0f}, {0.25f, 1e20f}}),
        Split(ReadWholeFile(Fixture("circle_classic.math"))).records[0] + "\n",
        Split(ReadWholeFile(Fixture("helix_classic.math"))).records[0] + "\n",
        "not a record at all, just text that goes on and on\n",
    };
    // A long line cut after "}}]}}" and one more character ends a classic record too.
    std::string cut = ClassicRecord(t, {{1, 2, 3, 4}, {5, 6, 7, 8}});
    cut.back() = '{';
    classic.push_back(cut);
    for (const auto& r : classic) EXPECT_FALSE(IsModernRecord(r)) << r;
    for (const char* example : {"examples/double-gyre.math", "examples/lorenz.math"}) {
        const auto records = Split(ReadWholeFile(SourcePath(example))).records;
        ASSERT_FALSE(records.empty()) << example;
        for (const auto& r : records) EXPECT_FALSE(IsModernRecord(r + "\n")) << example;
    }
}

TEST(ModernRecord, NewerLayoutsAreRecognised) {
    for (const char* name :
         {"circle_v7.math", "circle_v8.math", "circle_v10.math", "circle_v10_cellcontext.math",
          "circle_v10_order2.math", "circle_v10_unpacked.math", "circle_v10_plain.math",
          "helix_v10.math"}) {
        for (const auto& r : Split(ReadWholeFile(Fixture(name))).records) {
            EXPECT_TRUE(IsModernRecord(r + "\n")) << name;
            EXPECT_TRUE(IsModernRecord(r + "  \r\n")) << name;
        }
    }
    const char* const marks[] = {
        "{{x -> InterpolatingFunction[{{0., 5.}}, <>], y -> InterpolatingFunction[{{0., 5.}}, "
        "<>]}}\n",
        "{{x -> "
        "CompressedData[\"1:eJxTTMoPSmNiYGAoZgESPpnFJcVMQFwCRUVJYAJlgEEYhWGgHA8Ak0}]}}\"]}}\n",
        "{x -> InterpolatingFunction[{{0., 1.}}, {3, 1, 0, 0}, {{0., 1.}}, {{1., 0.}, {2., "
        "0.}}][t]}\n",
        "{{x -> InterpolatingFunction[{{0., 1.}}, {3, 1, 0, {2}, 0}, {{0., 1.}}, {{1., 0.}, {2., "
        "0.}}]}}\n",
    };
    for (const char* m : marks) EXPECT_TRUE(IsModernRecord(m)) << m;
}

// A newer-layout record (13-element header, packed values, applied to t)
// built from knot lists, for the cases the fixtures do not cover.
std::string ModernRecord(const std::vector<float>& t,
                         const std::vector<std::vector<float>>& coords) {
    std::string grid = "{{";
    for (std::size_t i = 0; i < t.size(); ++i) grid += (i ? ", " : "") + MathematicaNumber(t[i]);
    grid += "}}";
    std::string out = "{";
    const char* names[] = {"x", "y", "z"};
    for (std::size_t c = 0; c < coords.size(); ++c) {
        std::string offsets = "{0", flat = "{";
        for (std::size_t i = 0; i < coords[c].size(); ++i) {
            offsets += ", " + std::to_string(2 * (i + 1));
            flat += (i ? ", " : "") + MathematicaNumber(coords[c][i]) + "`, 0.`";
        }
        out += std::string(c ? ", " : "") + names[c] +
               "[t] -> InterpolatingFunction[{{0., 1.}}, {5, 3, 0, {" + std::to_string(t.size()) +
               "}, {2}, 0, 0, 0, 0, Automatic, {}, {}, False}, " + grid +
               ", {Developer`PackedArrayForm, " + offsets + "}, " + flat + "}}, {Automatic}][t]";
    }
    return out + "}\n";
}

TEST(ModernRecord, ManyKnotsAreThinnedAsTheClassicPathThinsThem) {
    for (int points : {1000, 1001, 1002, 2500, 4999}) {
        std::vector<float> t, x, y;
        for (int i = 0; i <= points; ++i) {
            t.push_back(i * 0.01f);
            x.push_back(std::sin(i * 0.013f));
            y.push_back(i * 0.5f - 3.0f);
        }
        const std::string header = HeaderText({500, 500, 2, points * 0.01f, 10, -1, 1, -4, 4});
        const auto classic = ReadTextStores(header + ClassicRecord(t, {x, y}));
        const auto modern = ReadTextStores(header + ModernRecord(t, {x, y}));
        ASSERT_EQ(modern.size(), 1u);
        ASSERT_TRUE(modern[0].parsed) << points << ": " << SkipReasonText(modern[0].reason);
        EXPECT_EQ(modern[0].knotCount, std::min(points, 1000)) << points;
        // The first and the last knot always survive.
        EXPECT_EQ(modern[0].knots[0].x, x.front()) << points;
        EXPECT_EQ(modern[0].knots[modern[0].knotCount].x, x.back()) << points;
        EXPECT_EQ(modern[0].knots[modern[0].knotCount].t, t.back()) << points;
        EXPECT_TRUE(SameStores(modern, classic)) << points;
    }
}

TEST(ModernRecord, ParametersAboveTMaxAreStoredAsZero) {
    const std::vector<float> t = {0.0f, 0.5f, 1.0f, 1.5f, 2.0f};
    const std::vector<float> x = {1, 2, 3, 4, 5}, y = {6, 7, 8, 9, 10};
    const std::string header = HeaderText({100, 100, 2, 1.2f, 10, 0, 10, 0, 10});
    const auto modern = ReadTextStores(header + ModernRecord(t, {x, y}));
    ASSERT_EQ(modern.size(), 1u);
    ASSERT_TRUE(modern[0].parsed);
    EXPECT_EQ(modern[0].knotCount, 4);
    const float expected[] = {0.0f, 0.5f, 1.0f, 0.0f, 0.0f};
    for (int k = 0; k <= 4; ++k) EXPECT_EQ(modern[0].knots[k].t, expected[k]) << k;
    EXPECT_EQ(modern[0].knots[4].x, 5.0f);  // values are kept; only t is cut
    EXPECT_TRUE(SameStores(modern, ReadTextStores(header + ClassicRecord(t, {x, y}))));
}

TEST(ModernRecord, AStrayClosingBraceLosesOnlyItsOwnRecord) {
    // Newer records end where their braces close at a line end; one extra
    // '}' must not hide the records that follow it.
    const std::vector<float> t = {0.0f, 0.5f, 1.0f};
    const std::vector<float> x1 = {1, 2, 3}, x2 = {4, 5, 6}, y = {7, 8, 9};
    std::string broken = ModernRecord(t, {x1, y});
    broken.insert(broken.size() - 1, "}");
    const std::string header = HeaderText({100, 100, 2, 1.0f, 10, 0, 10, 0, 10});
    const auto stores = ReadTextStores(header + "}\n" + broken + ModernRecord(t, {x2, y}) +
                                       ModernRecord(t, {x1, y}));
    ASSERT_EQ(stores.size(), 4u);
    EXPECT_FALSE(stores[0].parsed);  // the lone brace
    ASSERT_TRUE(stores[2].parsed) << SkipReasonText(stores[2].reason);
    ASSERT_TRUE(stores[3].parsed) << SkipReasonText(stores[3].reason);
    for (int k = 0; k <= 2; ++k) {
        EXPECT_EQ(stores[2].knots[k].x, x2[k]) << k;
        EXPECT_EQ(stores[3].knots[k].x, x1[k]) << k;
    }
}

// The first record of circle_v10.math with one piece of text replaced.
std::string Mutated(const std::string& from, const std::string& to, bool all = false) {
    std::string r = Split(ReadWholeFile(Fixture("circle_v10.math"))).records[0] + "\n";
    std::size_t at = r.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    while (at != std::string::npos) {
        r.replace(at, from.size(), to);
        if (!all) break;
        at = r.find(from, at + to.size());
    }
    return r;
}

StreamlineHeader Header2D() {
    StreamlineHeader h;
    h.imageWidth = h.imageHeight = 400;
    h.dimension = 2;
    h.tMax = 6.3f;
    return h;
}

TEST(ModernRecord, ContentThatIsNoStreamlineGetsItsAccount) {
    const std::string outputForm =
        "{{x -> InterpolatingFunction[{{0., 5.}}, <>], y -> InterpolatingFunction[{{0., 5.}}, "
        "<>]}}\n";
    struct Case {
        const char* name;
        std::string text;
        SkipReason reason;
    };
    const Case cases[] = {
        {"output form", outputForm, SkipReason::OutputForm},
        {"output form, applied",
         "{x[t] -> InterpolatingFunction[{{0., 5.}}, <>][t], y[t] -> "
         "InterpolatingFunction[{{0., 5.}}, <>][t]}\n",
         SkipReason::OutputForm},
        {"output form, torn", "{{x -> InterpolatingFunction[{{0., 5.}}, <>], y -> Interpol",
         SkipReason::OutputForm},
        {"compressed values",
         Mutated("{Developer`PackedArrayForm", "CompressedData[\"1:eJxTTMo}\"], {"),
         SkipReason::CompressedData},
        {"compressed record",
         "CompressedData[\"1:eJxTTMoPSmNiYGAoZgESPpnFJcVMQFwCRUVJYAJlgEEYhWGgHA8Ak0QF1g==\"]\n",
         SkipReason::CompressedData},
        {"last offset short of the values", Mutated("22, 24}", "22, 23}"), SkipReason::BadOffsets},
        {"last offset past the values", Mutated("22, 24}", "22, 26}"), SkipReason::BadOffsets},
        {"offsets falling", Mutated("{0, 2, 4, 6,", "{0, 4, 2, 6,"), SkipReason::BadOffsets},
        {"offsets repeating", Mutated("{0, 2, 4, 6,", "{0, 2, 2, 6,"), SkipReason::BadOffsets},
        {"offsets not starting at 0", Mutated("{0, 2, 4, 6,", "{1, 2, 4, 6,"),
         SkipReason::BadOffsets},
        {"offset not whole", Mutated("{0, 2, 4, 6,", "{0, 2.5, 4, 6,"), SkipReason::BadOffsets},
        {"offset negative", Mutated("{0, 2, 4, 6,", "{0, -2, 4, 6,"), SkipReason::BadOffsets},
        {"offset a symbol", Mutated("{0, 2, 4, 6,", "{0, n, 4, 6,"), SkipReason::BadOffsets},
        {"one knot fewer than the grid", Mutated("20, 22, 24}", "20, 24}"), SkipReason::BadOffsets},
        {"no flat values", Mutated("20, 22, 24}, {", "20, 22, 24}}, {{"), SkipReason::BadOffsets},
        {"complex value", Mutated("0.999999995`", "0.9 + 0.1*I"), SkipReason::NonNumeric},
        {"complex head", Mutated("0.999999995`", "Complex[0.9, 0.1]"), SkipReason::NonNumeric},
        {"indeterminate value", Mutated("0.999999995`", "Indeterminate"), SkipReason::NonNumeric},
        {"value beyond float", Mutated("0.999999995`", "1.`*^39"), SkipReason::NonNumeric},
        {"symbolic grid point", Mutated("0.0001`", "a"), SkipReason::NonNumeric},
        {"grid of two dimensions", Mutated("{{0.`, 0.0001`", "{{0.`}, {0.`, 0.0001`"),
         SkipReason::Malformed},
        {"one function only",
         "{{x -> InterpolatingFunction[{{0., 1.}}, {5, 3, 0, {2}, {2}, 0, 0, 0, "
         "0, Automatic, {}, {}, False}, {{0., 1.}}, {{1., 0.}, {2., 0.}}, "
         "{Automatic}]}}\n",
         SkipReason::Malformed},
        {"torn in half", Mutated("y -> ", "y -> ").substr(0, 600), SkipReason::Malformed},
        {"too few arguments", Mutated("{{0.`, 0.0001`", "X"), SkipReason::Malformed},
        {"values not a list", Mutated("{Developer`PackedArrayForm", "f[{Developer`PackedArrayForm"),
         SkipReason::Malformed},
        {"nested too deep", std::string(300, '{') + Mutated("{{x", "{{x") + std::string(300, '}'),
         SkipReason::Malformed},
    };
    for (const auto& c : cases) {
        auto state = std::make_unique<VortanFrameState>();
        state->m_knots[3] = Knot{7, 8, 9, 10};
        state->m_knots[0] = Knot{5, 6, 7, 8};
        state->m_knotCount = 42;
        SkipReason reason = SkipReason::None;
        EXPECT_FALSE(ParseModernRecord(c.text, Header2D(), *state, &reason)) << c.name;
        EXPECT_EQ(reason, c.reason) << c.name << ": " << SkipReasonText(reason);
        // Nothing but knot 0's parameter is touched by a skipped record.
        EXPECT_EQ(state->m_knotCount, 42) << c.name;
        EXPECT_EQ(state->m_knots[0].t, 0.0f) << c.name;
        EXPECT_EQ(state->m_knots[0].x, 6.0f) << c.name;
        EXPECT_EQ(state->m_knots[3].x, 8.0f) << c.name;
    }
}

TEST(ModernRecord, ShortRecordsThatShowWhatTheyAre) {
    struct Case {
        const char* text;
        SkipReason reason;
    };
    const Case cases[] = {
        {"{{x -> InterpolatingFunction[{{0., 5.}}, <>], y -> InterpolatingFunction[{{0., 5.}}, "
         "<>]}}\n",
         SkipReason::OutputForm},
        {"{x[t] -> InterpolatingFunction[{{0., 5.}}, <>][t]}\n", SkipReason::OutputForm},
        {"CompressedData[\"1:eJxTTMoPSmNiYGAoZgESPpnFJcVMQFwCRUVJYAJlgEEYhWGgHA8Ak0QF1g==\"]\n",
         SkipReason::CompressedData},
        {"{{x -> InterpolatingFunction[{{0., 1.}}, {3, 1, 0, 0}, {{0., 1.}}, {{1., 0.}}]}}\n",
         SkipReason::TooShort},
        {"\"a <> b\"\n", SkipReason::TooShort},
        {"\n", SkipReason::TooShort},
    };
    for (const auto& c : cases) EXPECT_EQ(ShortRecordReason(c.text), c.reason) << c.text;
}

TEST(ModernRecord, NumberFormsInValues) {
    struct Form {
        const char* text;
        float value;
    };
    const Form forms[] = {
        {"0.5", 0.5f},
        {"0.5`", 0.5f},
        {"0.5`15.954589770191003", 0.5f},
        {"5.`*^-1", 0.5f},
        {"5*^-1", 0.5f},
        {"0.5``15.3", 0.5f},
        {"-0.5`", -0.5f},
        {"- 0.5", -0.5f},
        {"+0.5", 0.5f},
        {"2", 2.0f},
        {"-5.52`*^-14", -5.52e-14f},
        {"16.799999999999997`", 16.8f},
        {"1.`*^38", 1e38f},
        {"2.5*^-7", 2.5e-7f},
        {"0.", 0.0f},
        {"(0.5)", 0.5f},
    };
    for (const auto& f : forms) {
        const std::string text = Mutated("0.999999995`", f.text);
        auto state = std::make_unique<VortanFrameState>();
        SkipReason reason = SkipReason::None;
        ASSERT_TRUE(ParseModernRecord(text, Header2D(), *state, &reason))
            << f.text << ": " << SkipReasonText(reason);
        EXPECT_EQ(state->m_knots[1].x, f.value) << f.text;
    }
}

TEST(ModernRecord, GridsOfDifferentLengthsFillWhatEachHas) {
    // x on four points, y on two: knots 2 and 3 keep the y they held.
    const std::string text =
        "{x -> InterpolatingFunction[{{0., 3.}}, {5, 3, 0, {4}, {2}, 0, 0, 0, 0, Automatic, {}, "
        "{}, False}, {{0., 1., 2., 3.}}, {Developer`PackedArrayForm, {0, 2, 4, 6, 8}, {10., 0., "
        "11., 0., 12., 0., 13., 0.}}, {Automatic}], y -> InterpolatingFunction[{{0., 1.}}, {5, 3, "
        "0, {2}, {2}, 0, 0, 0, 0, Automatic, {}, {}, False}, {{0., 1.}}, {{20., 0.}, {21., 0.}}, "
        "{Automatic}]}\n";
    auto state = std::make_unique<VortanFrameState>();
    for (auto& k : state->m_knots) k.y = -1.0f;
    SkipReason reason = SkipReason::None;
    ASSERT_TRUE(ParseModernRecord(text, Header2D(), *state, &reason)) << SkipReasonText(reason);
    EXPECT_EQ(state->m_knotCount, 3);
    const float x[] = {10, 11, 12, 13}, y[] = {20, 21, -1, -1}, t[] = {0, 1, 2, 3};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(state->m_knots[k].t, t[k]) << k;
        EXPECT_EQ(state->m_knots[k].x, x[k]) << k;
        EXPECT_EQ(state->m_knots[k].y, y[k]) << k;
    }
}

TEST(ModernRecord, EveryPrefixAndDamageEndsWithAnAccount) {
    const std::string record = Split(ReadWholeFile(Fixture("circle_v10.math"))).records[0] + "\n";
    for (std::size_t len = 0; len + 1 < record.size(); ++len) {
        auto state = std::make_unique<VortanFrameState>();
        SkipReason reason = SkipReason::None;
        EXPECT_FALSE(ParseModernRecord(record.substr(0, len), Header2D(), *state, &reason)) << len;
        EXPECT_NE(reason, SkipReason::None) << len;
    }
    // Each character in turn replaced by a brace, a bracket or a quote.
    for (std::size_t i = 0; i < record.size(); i += 3) {
        for (char c : {'{', ']', '"', ','}) {
            std::string damaged = record;
            damaged[i] = c;
            auto state = std::make_unique<VortanFrameState>();
            SkipReason reason = SkipReason::None;
            const bool parsed = ParseModernRecord(damaged, Header2D(), *state, &reason);
            EXPECT_EQ(parsed, reason == SkipReason::None) << i << c;
            EXPECT_LE(state->m_knotCount, 1000);
        }
    }
}

// A host that draws headless and ignores the timer.
class QuietHost : public IFrameHost {
  public:
    int MessageBox(const std::string& text, const std::string&, unsigned) override {
        messages.push_back(text);
        return IDOK;
    }
    void SetStatusText(const std::string&, bool) override {}
    bool SetTimer(unsigned, std::uint32_t) override { return true; }
    void KillTimer(unsigned) override {}
    std::vector<std::string> messages;
};

struct Drawn {
    IndexedCanvas canvas;
    PassStats stats;
};

Drawn Draw(const std::string& path, float width, float height, float dimension) {
    auto state = std::make_unique<VortanFrameState>();
    ApplyAnimationParameters(
        MakeAnimationParameters(SettingsRecord{}, width, height, dimension, path), *state);
    state->m_axisX = 1;
    state->m_axisY = 1;
    state->m_axisZ = 0;
    BuildWindowPalette(*state);
    Drawn d{IndexedCanvas(state->m_imageWidth, state->m_imageHeight + kStatusBarHeight), {}};
    QuietHost host;
    d.stats = RunDrawingPass(*state, d.canvas, host);
    EXPECT_TRUE(host.messages.empty());
    return d;
}

TEST(ModernRecord, NewerFilesDrawTheSamePicture) {
    const Drawn classic = Draw(Fixture("circle_classic.math"), 400, 400, 2);
    EXPECT_EQ(classic.stats.drawn, 2);
    std::size_t lit = 0;
    for (auto p : classic.canvas.Pixels()) lit += p != classic.canvas.Pixels().back();
    EXPECT_GT(lit, 200u);  // two circles of disks, not a black window
    for (const char* name : {"circle_v7.math", "circle_v8.math", "circle_v10_cellcontext.math",
                             "circle_v10_put.math", "circle_v10_backslash_crlf.math"}) {
        const Drawn modern = Draw(Fixture(name), 400, 400, 2);
        EXPECT_EQ(modern.stats.drawn, 2) << name;
        EXPECT_TRUE(modern.canvas.Pixels() == classic.canvas.Pixels()) << name;
    }
    const Drawn helixClassic = Draw(Fixture("helix_classic.math"), 300, 300, 3);
    const Drawn helix = Draw(Fixture("helix_v10.math"), 300, 300, 3);
    EXPECT_EQ(helix.stats.drawn, 1);
    EXPECT_TRUE(helix.canvas.Pixels() == helixClassic.canvas.Pixels());
}

TEST(ModernRecord, SkippedRecordsAreCountedByKind) {
    // Good records between unreadable ones: the good ones are drawn, the
    // others counted under their reason.
    const SplitFile parts = Split(ReadWholeFile(Fixture("circle_v10.math")));
    std::string file = parts.header;
    file += parts.records[0] + "\n";
    file += Mutated("22, 24}", "22, 23}");
    file += Mutated("0.999999995`", "0.9 + 0.1*I");
    file += Mutated("0.999999995`", "Complex[0.9, 0.1]");
    file += Mutated("{Developer`PackedArrayForm", "CompressedData[\"1:eJxTTMo\"], {");
    file += parts.records[1] + "\n";
    TempDir dir;
    WriteTextFile(dir.file("mixed.math"), file);
    const Drawn d = Draw(dir.file("mixed.math"), 400, 400, 2);
    EXPECT_EQ(d.stats.records, 6);
    EXPECT_EQ(d.stats.drawn, 2);
    std::map<SkipReason, int> expected = {
        {SkipReason::BadOffsets, 1}, {SkipReason::NonNumeric, 2}, {SkipReason::CompressedData, 1}};
    std::map<SkipReason, int> seen;
    for (const auto& [r, n] : d.stats.skipped) {
        if (n) seen[r] = n;
    }
    EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace vortan
