#include "view/streamline_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"
#include "view/number_scan.h"

namespace vortan {
namespace {

using test::ClassicRecord, test::HeaderText, test::KnotRows, test::PadRecord, test::Rows;
using Records = std::vector<std::string>;

Records ReadAll(const std::string& content, std::vector<bool>* tooLong = nullptr) {
    StreamlineFile file;
    file.OpenText(content);
    Records out;
    std::string text;
    // Bounded, so that a reader that never ends fails instead of hanging.
    for (bool flag = false; out.size() < 1000 && ReadStreamlineRecord(file, text, &flag);) {
        out.push_back(text);
        if (tooLong) tooLong->push_back(flag);
    }
    return out;
}

bool Open(StreamlineFile& file, const std::string& text, bool fromFile, const test::TempDir& dir) {
    if (!fromFile) return file.OpenText(text), true;
    test::WriteTextFile(dir.file("in.txt"), text);
    return file.Open(dir.file("in.txt"));
}

const std::string base = ClassicRecord({0.0f, 1.0f}, {{1.0f, 2.0f}, {3.0f, 4.0f}});

TEST(PictureSize, DrawableRangeIsOneToTheLargestSide) {
    // clang-format off
    const std::tuple<float, float, bool> cases[] = {
        {640, 480, true}, {1, 1, true}, {16384, 16384, true}, {1.5f, 2.5f, true},
        {0.99f, 480, false}, {640, 0, false}, {-640, 480, false}, {16384.5f, 10, false},
        {10, 16385, false}, {HUGE_VALF, 480, false}, {640, -HUGE_VALF, false}, {NAN, 480, false},
        {640, NAN, false}};
    // clang-format on
    for (auto [w, h, ok] : cases) EXPECT_EQ(IsDrawablePictureSize(w, h), ok) << w << " x " << h;
}

// The value read and where the number ends.
std::pair<double, std::size_t> Read(const char* text, std::size_t length, std::size_t pos = 0) {
    std::size_t end = 12345;
    const double value = ReadNumber(text, length, pos, &end);
    return {value, end};
}

// The general scan and conversion, the reference every number read must match.
double ReferenceNumber(const std::string& text, std::size_t* end) {
    const NumberScan scan = ScanNumber(
        [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : -1; });
    *end = scan.found ? scan.end : 0;
    return scan.found ? ConvertNumber(text.data(), scan) : 0.0;
}

TEST(ReadNumber, FormsAndGeneratedNumbersAsTheGeneralScan) {
    // clang-format off
    const std::tuple<const char*, double, std::size_t> cases[] = {
        {"2.5*^-7", 2.5e-7, 7}, {"1.5`15.9", 1.5, 8}, {"-5.52`*^-14", -5.52e-14, 11},
        {"1.`, 2.", 1.0, 3}, {" +3e2", 300.0, 5}, {"1e", 1.0, 1}, {"1e-x", 1.0, 1},
        {"-.5e-3x", -0.0005, 6}, {"2*^+3", 2000.0, 5}, {"3*^-", 3.0, 1}, {"4*5", 4.0, 1},
        {"1.5`*^2", 150.0, 7}, {"1.5``20.3", 1.5, 9}, {"0``-3.5", 0.0, 7}, {"7`16.}", 7.0, 5},
        {"7`.}", 7.0, 2}, {"1e999", HUGE_VAL, 5}, {"-1*^400", -HUGE_VAL, 7}, {"1e-999", 0.0, 6},
        {"inf", 0.0, 0}, {"nan", 0.0, 0}, {"0x10", 0.0, 1}, {".", 0.0, 0}, {"- 1", 0.0, 0},
        {"", 0.0, 0}, {"`5", 0.0, 0}};
    // clang-format on
    for (const auto& [text, value, end] : cases)
        EXPECT_EQ(Read(text, std::strlen(text)), std::pair(value, end)) << '"' << text << '"';
    // Stops at the length given, here inside the exponent.
    EXPECT_EQ(Read("ab 12.75e1xyz", 9, 2), std::pair(12.75, std::size_t{8}));
    // Generated numbers: the same value and end as the general scan.
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-330, 330);
    const char* const formats[] = {"%.17g", "%.16g", "%.9g", "%.3f", "%.0f", "%.25e", "%g"};
    // What may follow a number: ends of list items, marks, exponents, stray text.
    const char* const tails[] = {"",   ",",   "}",    " ",   "`",  "`16.", "*^-3", "*^",
                                 "*",  "e",   "E+",   "e-7", ".",  "x",    "``3",  "*^400",
                                 "0`", "e99", "e999", "1",   "-1", "d5",   "\n"};
    // What may lead: blanks, signs, bare points.
    const char* const leads[] = {"", " ", "\t\n ", "+", "-", " -", "--", "-.", "+.", "."};
    for (int n = 0; n < 200000; ++n) {
        char number[96];
        const double v = unit(rng) * std::pow(10.0, exponent(rng) % (n % 3 == 0 ? 330 : 20));
        std::snprintf(number, sizeof number, formats[n % 7], v);
        std::string text = std::string(leads[rng() % 10]) + number;
        // Mathematica's forms: "1." for whole numbers, "*^" exponents.
        if (auto e = text.find('e'); n % 5 == 1 && e != std::string::npos) text.replace(e, 1, "*^");
        if (n % 11 == 3 && text.find('.') == std::string::npos) text += '.';
        if (n % 13 == 5) text += std::string(30, '7');  // more digits than a double holds
        text += tails[rng() % 23];
        SCOPED_TRACE(text);
        // For one number in 16 also every shorter length: the text ends inside the number.
        const std::size_t shortest = n % 16 == 0 ? 0 : text.size();
        for (std::size_t len = text.size() + 1; len-- > shortest;) {
            const std::string cut = text.substr(0, len);
            std::size_t wantEnd = 0;
            const double want = ReferenceNumber(cut, &wantEnd);
            const auto [got, end] = Read(text.data(), len);
            ASSERT_EQ(std::pair(std::bit_cast<std::uint64_t>(got), end),
                      std::pair(std::bit_cast<std::uint64_t>(want), wantEnd))
                << "length " << len << ": " << got << " vs " << want;
        }
    }
}

TEST(StreamlineFile, FoldsCrLfOnlyAlsoAcrossReadBlocks) {
    test::TempDir dir;
    // Then CR LF on every even, or every odd, offset: some pair straddles each block boundary.
    const std::pair<std::string, std::string> leads[] = {{"a\r\nb\rc\r\r\n", "a\nb\rc\r\n"},
                                                         {"a\r\nb\rc\r\r\nd", "a\nb\rc\r\nd"}};
    for (auto [content, expected] : leads) {
        for (int i = 0; i < 300000; ++i) content += "\r\n", expected += "\n";
        StreamlineFile file;
        ASSERT_TRUE(Open(file, content + "y\rz\r", true, dir));
        std::string read;
        for (int c = file.Get(); c != EOF; c = file.Get()) read += static_cast<char>(c);
        EXPECT_TRUE(read == expected + "y\rz\r") << content.size();
    }
}

TEST(ReadStreamlineHeader, Forms) {
    const std::vector<float> eleven = {640, 480, 2, 12.5f, 0.25f, -3, 3, -2, 2, -1, 1};
    const std::string million(1000000, '1'), zeros(600000, '0');
    // Text, the numbers read in order, the first character left for the records, and
    // whether read from a file: numbers far longer than its read block stay one number.
    const std::tuple<std::string, std::vector<float>, int, bool> cases[] = {
        {HeaderText(eleven, "\t\r\n") + "\n\n  {{x", eleven, '{', false},
        {"6.4*^2\n4.8`*^2\n2.`\n1.5`15.9\nx", {640, 480, 2, 1.5f}, 'x', false},
        {"", {}, EOF, false},
        {"640\n" + million + "\n2\n{{x", {640, HUGE_VALF, 2}, '{', true},
        {"0." + zeros + "5e600000\n480\n{{x", {0.5f, 480}, '{', true},
        {zeros + "12.5\n" + zeros + "\n3\n{{x", {12.5f, 0, 3}, '{', true},
        {"-" + zeros + "1*^-1\n7{{x", {-0.1f, 7}, '{', true}};
    test::TempDir dir;
    for (const auto& [text, values, next, fromFile] : cases) {
        SCOPED_TRACE(text.substr(0, 20));
        StreamlineFile file;
        ASSERT_TRUE(Open(file, text, fromFile, dir));
        const StreamlineHeader h = ReadStreamlineHeader(file);
        std::vector<float> want = values;
        want.resize(11);  // fields not read stay 0
        EXPECT_EQ(std::tuple(h.numbersRead, test::HeaderNumbers(h), file.Peek()),
                  std::tuple(int(values.size()), want, next));
    }
}

TEST(ReadStreamlineRecord, Splitting) {
    const std::string a = "{{x -> F[{{0., 1.}}, {{0., 1.}}]}}\n";
    const std::string b = "{{y -> F[{{0., 2.}}, {{0., 2.}}]}}\n";
    const std::string stray = a.substr(0, a.size() - 1) + "}\n";  // one brace too many
    // Long lines arrive in chunks of 16383 (records of many chunks: below). A chunk that ends one
    // after the terminator ends the record inside the line; one character later the terminator is
    // not tested at a chunk end. A continuation's backslash may end one chunk and its line end
    // start the next.
    const std::string first = std::string(16377, 'a') + "}}]}}X";
    const std::string shifted = std::string(16378, 'a') + "}}]}}XY}}]}}\n";
    const std::string split = "{" + std::string(16381, '1');
    const std::pair<std::string, Records> cases[] = {
        {a + "{{y -> F[{{0., 2.}}]}}", {a}},  // no final line end
        {"abc\ndef\n", {}},
        {stray + b + a, {stray, b, a}},
        {"{{1,\n 2}}}\n{4}\n", {"{{1,\n 2}}}\n", "{4}\n"}},
        {"{1.2\\\r\n5}\r\n", {"{1.25}\n"}},
        {"{{x}}]}}\\\n, 1}}]}}\n", {"{{x}}]}}, 1}}]}}\n"}},
        {"a}}]}}\n", {"a}}]}}\n"}},
        {first + "rest}}]}}\n", {first, "rest}}]}}\n"}},
        {shifted, {shifted}},
        {split + "\\\n2}\n", {split + "2}\n"}}};
    for (const auto& [content, records] : cases)
        EXPECT_EQ(ReadAll(content), records) << content.substr(0, 100);
}

TEST(ReadStreamlineRecord, RecordsAcrossReadBlocksOfAFile) {
    // 10 to 90 KB records straddle the 256 KiB read blocks; one is longer than a block.
    Records written;
    std::mt19937 rng(5);
    for (int i = 0; i < 40; ++i)
        written.push_back("{{" + std::string(10000 + rng() % 80000, char('a' + i % 26)) +
                          "}}]}}\n");
    written[7] = "{{" + std::string(300000, '7') + "}}]}}\n";
    written[12] = "{{x -> F[{{0.,\n 1.}},\n {{0., 1.}}]}}\n";
    written[20] = "{{x -> 1.2\\\n5" + std::string(20000, ' ') + "}}\n";
    written[30] = "{{y,\r\n 2}}\r\n";
    std::string content;
    std::vector<long long> lines;  // where each record starts
    for (const std::string& w : written) {
        lines.push_back(1 + std::count(content.begin(), content.end(), '\n'));
        content += w;
    }
    written[20] = "{{x -> 1.25" + std::string(20000, ' ') + "}}\n";
    written[30] = "{{y,\n 2}}\n";
    test::TempDir dir;
    for (const bool fromFile : {true, false}) {
        SCOPED_TRACE(fromFile ? "file" : "memory");
        StreamlineFile file;
        ASSERT_TRUE(Open(file, content, fromFile, dir));
        std::string scratch;
        std::string_view record;
        for (std::size_t i = 0; i < written.size(); ++i) {
            EXPECT_EQ(file.LineNumber(), lines[i]) << i;
            ASSERT_TRUE(ReadStreamlineRecordView(file, scratch, record)) << i;
            ASSERT_EQ(record, written[i]) << i;
        }
        EXPECT_FALSE(ReadStreamlineRecordView(file, scratch, record));
    }
}

TEST(ReadStreamlineRecord, OverlongRecordsAreSkippedWhole) {
    const std::string sevens(kMaxRecordLength - 8, '7');
    // The record between two short ones, whether kept (else skipped, text empty).
    const std::pair<std::string, bool> cases[] = {
        {"{{" + sevens + "}}]}}\n", true},  // exactly at the limit
        {"{{" + sevens + "7}}]}}\n", false},
        {"{" + sevens + std::string(40000, '7') + "}\n", false},
        // Continued lines are still joined: the first terminator does not end it.
        {"{{" + sevens + "77777777}}]}}\\\n}}]}}\n", false}};
    for (const auto& [record, kept] : cases) {
        std::vector<bool> flags;
        const Records records = ReadAll("{1}\n" + record + "{2}\n", &flags);
        EXPECT_TRUE(records == (Records{"{1}\n", kept ? record : "", "{2}\n"})) << record.size();
        EXPECT_EQ(flags, (std::vector<bool>{false, !kept, false})) << record.size();
    }
    // Unfinished at the end of the file: dropped, and the reading ends.
    EXPECT_EQ(ReadAll("{1}\n{{" + sevens + "7777777777777"), (Records{"{1}\n"}));
}

TEST(ParseStreamlineRecord, SkippedRecordsGetTheirAccount) {
    const std::string pad(250, ' ');
    const std::pair<std::string, SkipReason> cases[] = {
        {PadRecord(base, 200), SkipReason::TooShort},
        {"{{x -> F[{{0, 1}}, {{0, 1}}]}}" + pad, SkipReason::Malformed},
        {pad + " {{0., 1.}}, [[[[[[[[[[", SkipReason::Malformed},
        {pad + " {{0., 1.}}, {{1.}}, y -> F[{{0., 1.}}, {3}, {{0., 1.}}, {{1.",
         SkipReason::Malformed}};
    for (const auto& [text, want] : cases) {
        auto state = std::make_unique<VortanFrameState>();
        state->m_knots[0].t = 9.0f;
        state->m_knots[1].x = 99.0f;
        SkipReason reason = SkipReason::None;
        EXPECT_FALSE(ParseStreamlineRecord(text, {640, 480, 2, 10}, *state, &reason)) << text;
        // Knot 0's t is set for every record.
        EXPECT_EQ(std::pair(reason, state->m_knots[0].t), std::pair(want, 0.0f)) << text;
        // Only a malformed record may have stored values before the scans ran off.
        EXPECT_TRUE(want == SkipReason::Malformed || state->m_knots[1].x == 99.0f) << text;
    }
}

TEST(ParseStreamlineRecord, KnotsRead) {
    auto padded = [](const std::vector<float>& t, const std::vector<std::vector<float>>& xyz) {
        return PadRecord(ClassicRecord(t, xyz), 300);
    };
    const std::string cut = padded({0, 0.5f, 1, 1.5f}, {{1, 2, 3, 4}, {5, 6, 7, 8}});
    const std::string helix = padded({0, 1, 2}, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    // The first number of each group of values is the coordinate.
    const std::string f = "InterpolatingFunction[{{0., 1.}}, {3, 1, 0, 0}, {{0., 1.}}, ";
    const std::string pairs = PadRecord(
        "{{x -> " + f + "{{1., 0.}, {2., 0.5}}], y -> " + f + "{{-3.5, 7., 8.}, {4.25}}]}}\n", 240);
    const std::string lines =
        "{{x -> InterpolatingFunction[{{0., 2.}}, {3, 1, 0, 0}, {{0., 1.2\\\n5, 2.}},\n"
        " {{1., 0.}, {2., 0.}, {3.\\\n75, 0.}}],\n"
        " y -> InterpolatingFunction[{{0., 2.}}, {3, 1, 0, 0}, {{0., 1.25, 2.}},\n"
        " {{4., 0.}, {5., 0.}, {6., 0.}}]}}\n";
    // A longer record, then a shorter one: its knots beyond the new end stay.
    const std::string stale =
        padded({0, 1, 2, 3, 4, 5}, {{10, 11, 12, 13, 14, 15}, {20, 21, 22, 23, 24, 25}}) +
        padded({0, 6}, {{30, 31}, {40, 41}});
    // Name, records parsed into one store, tMax, dimension, knot count, store indices, knots.
    // clang-format off
    const std::tuple<const char*, std::string, float, float, int, std::vector<int>, KnotRows> cases[] = {
        {"t above tMax: 0", cut, 1.2f, 2, 3, {2, 3}, {{1, 3, 7, 0}, {0, 4, 8, 0}}},
        {"t equal to tMax", cut, 1.5f, 2, 3, {3}, {{1.5f, 4, 8, 0}}},
        {"201 characters", PadRecord(base, 201), 10, 2, 1, {1}, {{1, 2, 4, 0}}},
        {"pairs", pairs, 10, 2, 1, {0, 1}, {{0, 1, -3.5f, 0}, {1, 2, 4.25f, 0}}},
        {"z in 3-D", helix, 10, 3, 2, {2}, {{2, 3, 6, 9}}},
        {"no z in 2-D", helix, 10, 2, 2, {2}, {{2, 3, 6, 0}}},
        {"no z just below 3", helix, 10, 2.9999998f, 2, {2}, {{2, 3, 6, 0}}},
        {"several lines", lines, 10, 2, 2, {1, 2}, {{1.25f, 2, 5, 0}, {2, 3.75f, 6, 0}}},
        {"stale", stale, 10, 2, 1, {1, 2, 5}, {{6, 31, 41, 0}, {2, 12, 22, 0}, {5, 15, 25, 0}}}};
    // clang-format on
    for (const auto& [name, content, tMax, dimension, count, at, want] : cases) {
        SCOPED_TRACE(name);
        auto state = std::make_unique<VortanFrameState>();
        for (const std::string& r : ReadAll(content))
            EXPECT_TRUE(ParseStreamlineRecord(r, {640, 480, dimension, tMax}, *state));
        EXPECT_EQ(state->m_knotCount, count);
        KnotRows got;
        for (int k : at) got.push_back(Rows(std::span(&state->m_knots[k], 1))[0]);
        EXPECT_EQ(got, want);
    }
}

}  // namespace
}  // namespace vortan
