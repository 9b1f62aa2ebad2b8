#include "view/modern_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"
#include "view/streamline_reader.h"

namespace vortan {
namespace {

using test::ClassicRecord, test::HeaderText;

std::string Fixture(const std::string& name) {
    return test::ReadWholeFile(test::SourcePath("tests/fixtures/modern/" + name));
}

// After each record of a file: whether parsed, the knot count, every knot's t, x, y, z.
using RecordStore = std::vector<float>;

std::vector<RecordStore> Stores(const std::string& text) {
    StreamlineFile file;
    file.OpenText(text);
    const StreamlineHeader header = ReadStreamlineHeader(file);
    auto state = std::make_unique<VortanFrameState>();
    std::vector<RecordStore> out;
    for (std::string r; ReadStreamlineRecord(file, r);) {
        RecordStore& s = out.emplace_back(1, float(ParseStreamlineRecord(r, header, *state)));
        s.push_back(static_cast<float>(state->m_knotCount));
        for (const Knot& k : state->m_knots) s.insert(s.end(), {k.t, k.x, k.y, k.z});
    }
    return out;
}

Knot At(const RecordStore& s, int k) {
    return {s[2 + 4 * k], s[3 + 4 * k], s[4 + 4 * k], s[5 + 4 * k]};
}

// Records wrapped as Put wraps them (after ", " past 78 columns, six blanks in) or continued
// with a backslash every 70 characters (inside numbers too), and both with CR LF.
std::string Relayout(const std::string& file, int which) {
    std::istringstream in(file);
    std::string out;
    for (std::string line; std::getline(in, line); out += line + "\n") {
        if (line.empty() || line[0] != '{') continue;
        std::string laid;
        for (std::size_t i = 0, col = 0; i < line.size(); ++i, ++col) {
            if (which % 2 && i && i % 70 == 0) laid += "\\\n";
            laid += line[i];
            if (!(which % 2) && col > 70 && line.compare(i - 1, 2, ", ") == 0)
                laid += "\n      ", col = 6;
        }
        line = laid;
    }
    for (std::size_t at = 0; which % 4 >= 2 && (at = out.find('\n', at)) != out.npos; at += 2)
        out.insert(at, 1, '\r');
    return out;
}

std::vector<std::string> RecordLines(const std::string& file) {
    std::istringstream in(file);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] == '{') out.push_back(line + "\n");
    return out;
}

TEST(ModernRecord, EachLayoutReadsAsItsClassicTwin) {
    const auto circle = Stores(Fixture("circle_classic.math"));
    const auto helix = Stores(Fixture("helix_classic.math"));
    ASSERT_TRUE(circle.size() == 2 && helix.size() == 1);
    // knot count, knot 7's t and y, the second record's knot 7's t, the helix's knot 9's z
    EXPECT_EQ(
        (std::vector{circle[0][1], At(circle[0], 7).t, At(circle[0], 7).y, At(circle[1], 7).t,
                     At(helix[0], 9).z}),
        (std::vector{11.0f, float(M_PI), 1.2246467991473532e-16f, 6.3f, float(0.25 * 6.4 - 0.8)}));
    // 9-, 10- and 13-element headers, packed and unpacked, applied to [t],
    // offsets stepping 2 and 3; each in one line and one other layout.
    int which = 0;
    for (const std::string name : {"circle_v7", "circle_v8", "circle_v10", "circle_v10_cellcontext",
                                   "circle_v10_order2", "circle_v10_unpacked", "circle_v10_plain",
                                   "helix_v10", "circle_v10_put", "circle_v10_backslash_crlf"}) {
        const auto& classic = name[0] == 'h' ? helix : circle;  // the classic twin
        const std::string text = Fixture(name + ".math");
        EXPECT_TRUE(Stores(text) == classic) << name;
        EXPECT_TRUE(Stores(Relayout(text, which)) == classic) << name << " layout " << which++;
    }
}

// A 13-element-header record with packed values, applied to t.
std::string Modern(const std::vector<float>& t, const std::vector<std::vector<float>>& coords) {
    std::string grid = "{{";
    for (float v : t) grid += (grid.size() > 2 ? ", " : "") + FormatStreamlineNumber(v);
    std::string out = "{";
    for (std::size_t c = 0; c < coords.size(); ++c) {
        std::string offsets = "{0", flat = "{";
        for (std::size_t i = 0; i < coords[c].size(); ++i) {
            offsets += ", " + std::to_string(2 * (i + 1));
            flat += (i ? ", " : "") + FormatStreamlineNumber(coords[c][i]) + "`, 0.`";
        }
        out += std::string(c ? ", " : "") + "xyz"[c] +
               "[t] -> InterpolatingFunction[{{0., 1.}}, {5, 3, 0, {" + std::to_string(t.size()) +
               "}, {2}, 0, 0, 0, 0, Automatic, {}, {}, False}, " + grid +
               "}}, {Developer`PackedArrayForm, " + offsets + "}, " + flat + "}}, {Automatic}][t]";
    }
    return out + "}\n";
}

TEST(ModernRecord, ThinningAndTMaxAsOnTheClassicPath) {
    for (int points : {4, 1000, 1001, 2500}) {
        std::vector<float> t, x;
        for (float f = 0; f <= float(points); ++f)
            t.push_back(f * 0.25f), x.push_back(std::sin(f * 0.013f));
        // The short one is cut at tMax 0.6: t above it stored as 0.
        const float tMax = points == 4 ? 0.6f : t.back();
        const std::string header = HeaderText({500, 500, 2, tMax, 10, -1, 1, -4, 4});
        const auto modern = Stores(header + Modern(t, {x, t}));
        ASSERT_TRUE(modern.size() == 1 && modern[0][0] == 1.0f) << points;
        EXPECT_EQ(At(modern[0], std::min(points, 1000)).t, points == 4 ? 0.0f : t.back()) << points;
        EXPECT_TRUE(modern == Stores(header + ClassicRecord(t, {x, t}))) << points;
    }
}

TEST(ModernRecord, OnlyANineTenOrThirteenElementHeaderLeavesTheClassicPath) {
    // A classic record with its second argument replaced, and whether that makes a newer
    // record: then a bare symbol among the values skips it, where the classic reads 0.
    // clang-format off
    const std::pair<std::string, bool> headers[] = {{"{3, 1, 0, 0}", false}, {"{3, 1, 0, {5}}", false},
        {"{3, 1, 0, {5}, {1}}", false}, {"{{3}, {1, {0}}, 0, {5}}", false},
        {"{4, 3, 0, {5}, {2}, 0, 0, 0, 0}", true}, {"{4, 3, 0, {5}, {2}, 0, 0, 0, 0, Automatic}", true},
        {"{5, 3, 0, {5}, {2}, 0, 0, 0, 0, Automatic, {}, {}, False}", true}};
    // clang-format on
    const std::vector<float> t = {0, 0.25f, 0.5f, 0.75f, 1}, x = {1, 2, 3, 4, 5},
                             y = {-1, -2, -3, -4, -5};
    const std::string head = HeaderText({100, 100, 2, 1, 10, 0, 10, -10, 0});
    const std::string classic = test::PadRecord(ClassicRecord(t, {x, y}), 400);
    const auto baseline = Stores(head + classic);
    ASSERT_TRUE(baseline.size() == 1 && baseline[0][0] == 1.0f);
    for (const auto& [version, modern] : headers) {
        SCOPED_TRACE(version);
        std::string record = classic;
        for (std::size_t at = 0; (at = record.find("{3, 1, 0, 0}", at)) != std::string::npos;
             at += version.size())
            record.replace(at, 12, version);
        EXPECT_EQ(IsModernRecord(record), modern);
        EXPECT_TRUE(Stores(head + record) == baseline);
        std::string symbol = record;
        symbol.replace(symbol.find("{4.,"), 4, "{Indeterminate,");
        const auto stores = Stores(head + symbol);
        ASSERT_EQ(stores.size(), 1u);
        EXPECT_EQ(stores[0][0], modern ? 0.0f : 1.0f);
        EXPECT_TRUE(modern || At(stores[0], 3).x == 0.0f);
    }
}

// The first record of circle_v10.math with one piece of text replaced.
std::string Mutated(const std::string& from, const std::string& to) {
    std::string r = RecordLines(Fixture("circle_v10.math"))[0];
    const std::size_t at = r.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? r : r.replace(at, from.size(), to);
}

TEST(ModernRecord, ContentThatIsNoStreamlineGetsItsAccount) {
    const StreamlineHeader header{400, 400, 2, 6.3f};
    using R = SkipReason;
    const std::string offsets = "{0, 2, 4, 6,", value = "0.999999995`";
    std::vector<std::pair<std::string, SkipReason>> cases = {
        {"{x[t] -> InterpolatingFunction[{{0., 5.}}, <>][t]}\n", R::OutputForm},
        {"CompressedData[\"1:eJxTTMoPSmNiYGAoZgESPpnFJcVMQFwCRUVJYAJlgEEYhWGgHA8Ak0QF1g==\"]\n",
         R::CompressedData},
        {std::string(300, '{') + Mutated("", "") + std::string(300, '}'), R::Malformed}};
    // The record with one piece replaced: from, to, account.
    const std::tuple<std::string, std::string, SkipReason> mutations[] = {
        {"{Developer`PackedArrayForm", "CompressedData[\"1:eJxTTMo}\"], {", R::CompressedData},
        {"22, 24}", "22, 23}", R::BadOffsets},
        {offsets, "{0, 4, 2, 6,", R::BadOffsets},
        {"20, 22, 24}", "20, 24}", R::BadOffsets},
        {value, "0.9 + 0.1*I", R::ComplexValues},
        {value, "Complex[0.9, 0.1]", R::ComplexValues},
        {value, "Indeterminate", R::SymbolicValues},
        {value, "a + b", R::SymbolicValues},
        {value, "1.`*^39", R::NonNumeric},
        {"{{0.`, 6.3`}}", "{{0.`, 6.3`}, {0.`, 1.`}}", R::SeveralVariables},
        {"{{0.`, 0.0001`", "{{0.`, 1.`}, {0.`, 0.0001`", R::SeveralVariables}};
    for (const auto& [from, to, reason] : mutations) cases.emplace_back(Mutated(from, to), reason);
    for (const auto& [text, want] : cases) {
        SCOPED_TRACE(text.substr(0, 200));
        auto state = std::make_unique<VortanFrameState>();
        std::tie(state->m_knots[0], state->m_knotCount) = std::tuple(Knot{5, 6, 7, 8}, 42);
        SkipReason reason = SkipReason::None;
        EXPECT_FALSE(ParseModernRecord(text, header, *state, &reason));
        // Nothing but knot 0's parameter is touched by a skipped record.
        EXPECT_EQ(std::tuple(reason, state->m_knotCount, state->m_knots[0].t, state->m_knots[0].x),
                  std::tuple(want, 42, 0.0f, 6.0f))
            << SkipReasonText(reason);
    }
}

}  // namespace
}  // namespace vortan
