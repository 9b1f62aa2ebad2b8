#include "view/streamline_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"

namespace vortan {
namespace {

using test::ClassicRecord;
using test::HeaderText;
using test::PadRecord;

constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<std::string> ReadAllRecords(StreamlineFile& file,
                                        std::vector<bool>* tooLongFlags = nullptr) {
    std::vector<std::string> records;
    std::string text;
    bool tooLong = false;
    // Bounded, so that a reader that never ends fails instead of hanging.
    while (records.size() < 1000 && ReadStreamlineRecord(file, text, &tooLong)) {
        records.push_back(text);
        if (tooLongFlags) tooLongFlags->push_back(tooLong);
    }
    return records;
}

std::vector<std::string> ReadAllRecords(const std::string& content) {
    StreamlineFile file;
    file.OpenText(content);
    return ReadAllRecords(file);
}

StreamlineHeader Header2D(float tMax = 10.0f) {
    StreamlineHeader h;
    h.imageWidth = 640;
    h.imageHeight = 480;
    h.dimension = 2;
    h.tMax = tMax;
    h.progressStep = 1;
    h.xMin = -1;
    h.xMax = 1;
    h.yMin = -1;
    h.yMax = 1;
    h.numbersRead = 11;
    return h;
}

std::unique_ptr<VortanFrameState> NewState() {
    return std::make_unique<VortanFrameState>();
}

// A record of three knots in 2-D, long enough to be parsed.
std::string SmallRecord2D() {
    return PadRecord(ClassicRecord({0.0f, 0.5f, 1.0f}, {{1.0f, 2.0f, 3.0f}, {4.0f, 5.0f, 6.0f}}),
                     260);
}

// ---------------------------------------------------------------------------
// Numbers

struct NumberCase {
    const char* text;
    double value;
    std::size_t end;
};

TEST(ReadNumber, FormsOfNumbers) {
    const NumberCase cases[] = {
        {"2.5*^-7", 2.5e-7, 7},
        {"1.5`15.9", 1.5, 8},
        {"16.799999999999997`", 16.799999999999997, 19},
        {"-5.52`*^-14", -5.52e-14, 11},
        {"1.`", 1.0, 3},
        {"1.`, 2.", 1.0, 3},
        {" +3e2", 300.0, 5},
        {"1e", 1.0, 1},
        {"1e+", 1.0, 1},
        {"1e-x", 1.0, 1},
        {".5", 0.5, 2},
        {"5.", 5.0, 2},
        {"-.5e-3x", -0.0005, 6},
        {"12.5E+1,", 125.0, 7},
        {"\n\t 7}", 7.0, 4},
        {"2*^+3", 2000.0, 5},
        {"3*^", 3.0, 1},
        {"3*^-", 3.0, 1},
        {"4*5", 4.0, 1},
        {"1.5`*^2", 150.0, 7},
        {"1.5``20.3", 1.5, 9},
        {"0``-3.5", 0.0, 7},
        {"7`16.}", 7.0, 5},
        {"7`.}", 7.0, 2},
        {"1e999", kInf, 5},
        {"-1*^400", -kInf, 7},
        {"1e-999", 0.0, 6},
        {"abc", 0.0, 0},
        {"inf", 0.0, 0},
        {"nan", 0.0, 0},
        {"0x10", 0.0, 1},
        {".", 0.0, 0},
        {"-", 0.0, 0},
        {"- 1", 0.0, 0},
        {"", 0.0, 0},
        {"`5", 0.0, 0},
    };
    for (const NumberCase& c : cases) {
        const std::string text = c.text;
        std::size_t end = 12345;
        const double v = ReadNumber(text.data(), text.size(), 0, &end);
        EXPECT_EQ(v, c.value) << "text \"" << c.text << "\"";
        EXPECT_EQ(end, c.end) << "text \"" << c.text << "\"";
    }
}

TEST(ReadNumber, StartsAtPositionAndStopsAtLength) {
    const std::string text = "ab 12.75e1xyz";
    std::size_t end = 0;
    EXPECT_EQ(ReadNumber(text.data(), text.size(), 2, &end), 127.5);
    EXPECT_EQ(end, 10u);
    // The text ends in the middle of the exponent: the number ends before it.
    EXPECT_EQ(ReadNumber(text.data(), 9, 2, &end), 12.75);
    EXPECT_EQ(end, 8u);
    EXPECT_EQ(ReadNumber(text.data(), 5, 2, &end), 12.0);
    EXPECT_EQ(end, 5u);
    EXPECT_EQ(ReadNumber(text.data(), 4, 2, &end), 1.0);
    EXPECT_EQ(end, 4u);
    // At or beyond the end: no number, end stays at pos.
    EXPECT_EQ(ReadNumber(text.data(), text.size(), text.size(), &end), 0.0);
    EXPECT_EQ(end, text.size());
    EXPECT_EQ(ReadNumber(text.data(), 3, 7, &end), 0.0);
    EXPECT_EQ(end, 7u);
}

TEST(ReadNumber, LongDigitStrings) {
    // 400 zeros after the point, then a 1, scaled back: exactly 1.
    std::string tiny = "0." + std::string(399, '0') + "1e400";
    EXPECT_EQ(ReadNumber(tiny.data(), tiny.size(), 0), 1.0);
    // The same digits with the Mathematica exponent take the other path.
    std::string tinyStar = "0." + std::string(399, '0') + "1`*^400";
    EXPECT_EQ(ReadNumber(tinyStar.data(), tinyStar.size(), 0), 1.0);
    // Without scaling it is far below the double range.
    std::string under = "0." + std::string(399, '0') + "1";
    EXPECT_EQ(ReadNumber(under.data(), under.size(), 0), 0.0);
    std::string over = "1" + std::string(400, '0') + ".5";
    EXPECT_EQ(ReadNumber(over.data(), over.size(), 0), kInf);
    // A huge exponent saturates instead of overflowing.
    std::string hugeExp = "2e" + std::string(30, '9');
    EXPECT_EQ(ReadNumber(hugeExp.data(), hugeExp.size(), 0), kInf);
    std::string hugeNeg = "2*^-" + std::string(30, '9');
    EXPECT_EQ(ReadNumber(hugeNeg.data(), hugeNeg.size(), 0), 0.0);
}

// ---------------------------------------------------------------------------
// Characters

TEST(StreamlineFile, FoldsCrLfOnly) {
    StreamlineFile file;
    file.OpenText("a\r\nb\rc\r\r\nd\r");
    const int expected[] = {'a', '\n', 'b', '\r', 'c', '\r', '\n', 'd', '\r', EOF, EOF};
    EXPECT_EQ(file.PeekAt(1), '\n');
    for (int e : expected) {
        EXPECT_EQ(file.Peek(), e);
        EXPECT_EQ(file.Get(), e);
    }
}

TEST(StreamlineFile, OpenFailsForMissingFile) {
    test::TempDir dir;
    StreamlineFile file;
    EXPECT_FALSE(file.Open(dir.file("missing.txt")));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Get(), EOF);
}

TEST(StreamlineFile, CrLfAcrossReadBlocks) {
    // CR LF pairs on every even and, with one leading character, every odd
    // offset: whatever the block size, some pair straddles a block boundary.
    // A lone CR at the very end stays a character.
    test::TempDir dir;
    for (const std::string lead : {"", "a"}) {
        std::string content = lead;
        std::string expected = lead;
        for (int i = 0; i < 300000; ++i) {
            content += "\r\n";
            expected += "\n";
        }
        content += "y\rz\r";
        expected += "y\rz\r";
        test::WriteTextFile(dir.file("crlf.txt"), content);
        StreamlineFile file;
        ASSERT_TRUE(file.Open(dir.file("crlf.txt")));
        std::string read;
        for (int c = file.Get(); c != EOF; c = file.Get()) read += static_cast<char>(c);
        EXPECT_EQ(read.size(), expected.size()) << "lead \"" << lead << "\"";
        EXPECT_TRUE(read == expected) << "lead \"" << lead << "\"";
    }
}

// ---------------------------------------------------------------------------
// Header

struct HeaderCase {
    const char* name;
    std::string text;
    int numbersRead;
    std::vector<float> values;  // the fields read, in order
    int nextChar;               // the first character left for the records
};

TEST(ReadStreamlineHeader, Forms) {
    const std::vector<float> eleven = {640, 480, 2, 12.5f, 0.25f, -3, 3, -2, 2, -1, 1};
    const HeaderCase cases[] = {
        {"lines", HeaderText(eleven) + "{{x", 11, eleven, '{'},
        {"blanks", HeaderText(eleven, " ") + "{{x", 11, eleven, '{'},
        {"tabs and CR LF", HeaderText(eleven, "\t\r\n") + "\n\n  {{x", 11, eleven, '{'},
        {"nine numbers",
         "640\n480\n2\n12.5\n0.25\n-3\n3\n-2\n2\n{{x",
         9,
         {640, 480, 2, 12.5f, 0.25f, -3, 3, -2, 2},
         '{'},
        {"two numbers", "640\n480\n{{x", 2, {640, 480}, '{'},
        {"empty", "", 0, {}, EOF},
        {"words", "width 640\n", 0, {}, 'w'},
        {"Mathematica forms", "6.4*^2\n4.8`*^2\n2.`\n1.5`15.9\nx", 4, {640, 480, 2, 1.5f}, 'x'},
        {"exponent forms", "6.4e2 48E1 +2 -.5e-1 x", 4, {640, 480, 2, -0.05f}, 'x'},
        {"no digits after e", "640e\n", 1, {640}, 'e'},
        {"sign alone", "640 - 480", 1, {640}, '-'},
        {"beyond float",
         "1e39 -1e39 1e-50",
         3,
         {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(), 0.0f},
         EOF},
        {"twelve numbers", HeaderText(eleven) + "99\n{", 11, eleven, '9'},
    };
    for (const HeaderCase& c : cases) {
        StreamlineFile file;
        file.OpenText(c.text);
        const StreamlineHeader h = ReadStreamlineHeader(file);
        EXPECT_EQ(h.numbersRead, c.numbersRead) << c.name;
        const float got[] = {h.imageWidth,   h.imageHeight, h.dimension, h.tMax,
                             h.progressStep, h.xMin,        h.xMax,      h.yMin,
                             h.yMax,         h.zMin,        h.zMax};
        for (std::size_t i = 0; i < 11; ++i) {
            const float want = i < c.values.size() ? c.values[i] : 0.0f;
            EXPECT_EQ(got[i], want) << c.name << " number " << i + 1;
        }
        EXPECT_EQ(file.Peek(), c.nextChar) << c.name;
    }
}

TEST(ReadStreamlineHeader, NineNumberHeaderReadsTheSameKnots) {
    const std::string record = SmallRecord2D();
    const std::string nine = "640\n480\n2\n10\n1\n-1\n1\n-1\n1\n" + record;
    const std::string eleven = "640\n480\n2\n10\n1\n-1\n1\n-1\n1\n0\n0\n\n" + record;
    std::vector<std::vector<Knot>> stores;
    for (const std::string& text : {nine, eleven}) {
        StreamlineFile file;
        file.OpenText(text);
        const StreamlineHeader h = ReadStreamlineHeader(file);
        std::string rec;
        ASSERT_TRUE(ReadStreamlineRecord(file, rec));
        EXPECT_EQ(rec, record);
        auto state = NewState();
        ASSERT_TRUE(ParseStreamlineRecord(rec, h, *state));
        stores.emplace_back(state->m_knots.begin(), state->m_knots.begin() + 3);
        EXPECT_FALSE(ReadStreamlineRecord(file, rec));
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(stores[0][k].t, stores[1][k].t);
        EXPECT_EQ(stores[0][k].x, stores[1][k].x);
        EXPECT_EQ(stores[0][k].y, stores[1][k].y);
    }
    EXPECT_EQ(stores[0][2].x, 3.0f);
    EXPECT_EQ(stores[0][2].y, 6.0f);
}

// ---------------------------------------------------------------------------
// Records

struct RecordCase {
    const char* name;
    std::string content;
    std::vector<std::string> records;
};

TEST(ReadStreamlineRecord, Splitting) {
    const std::string a = "{{x -> F[{{0., 1.}}, {{0., 1.}}]}}\n";
    const std::string b = "{{y -> F[{{0., 2.}}, {{0., 2.}}]}}\n";
    const std::string c = "{{z -> F[{{0., 3.}}, {{0., 3.}}]}}\n";
    const RecordCase cases[] = {
        {"three records", a + b + c, {a, b, c}},
        {"over several lines",
         "{{x -> F[{{0.,\n 1.}},\n {{0., 1.}}]}}\n" + b,
         {"{{x -> F[{{0.,\n 1.}},\n {{0., 1.}}]}}\n", b}},
        {"CR LF", "{{x -> F[{{0.,\r\n 1.}}]}}\r\n" + b, {"{{x -> F[{{0.,\n 1.}}]}}\n", b}},
        {"no final line end", a + "{{y -> F[{{0., 2.}}]}}", {a}},
        {"partial record at the end", a + "{{y -> F[{{0., 2.}},", {a}},
        {"blank lines after the last", a + "\n\n  \n", {a}},
        {"blank lines before a record", "\n\n" + a, {"\n\n" + a}},
        {"braces balance at a line end", "{1, {2,\n 3}}\n{4}\n", {"{1, {2,\n 3}}\n", "{4}\n"}},
        {"no brace: not a record", "abc\ndef\n", {}},
        {"too many closing braces", "}}\n{1}\n", {"}}\n", "{1}\n"}},
        {"stray closing brace ends its own record only",
         "{1}}\n{2}\n{3}\n",
         {"{1}}\n", "{2}\n", "{3}\n"}},
        {"stray closing brace in a classic record",
         a.substr(0, a.size() - 1) + "}\n" + b + c,
         {a.substr(0, a.size() - 1) + "}\n", b, c}},
        {"stray closing brace after a record over several lines",
         "{{1,\n 2}}}\n{4}\n",
         {"{{1,\n 2}}}\n", "{4}\n"}},
        {"continued line", "{{x -> 1.2\\\n5}}\n{7}\n", {"{{x -> 1.25}}\n", "{7}\n"}},
        {"continued line, CR LF", "{1.2\\\r\n5}\r\n", {"{1.25}\n"}},
        {"continued terminator line", "{{x}}]}}\\\n, 1}}]}}\n", {"{{x}}]}}, 1}}]}}\n"}},
        {"terminator without braces balance", "a}}]}}\n", {"a}}]}}\n"}},
        {"empty", "", {}},
    };
    for (const RecordCase& c : cases) {
        EXPECT_EQ(ReadAllRecords(c.content), c.records) << c.name;
    }
}

TEST(ReadStreamlineRecord, LongLinesArriveInChunks) {
    // A 50,000-character line ends only at its terminator; nothing is lost at
    // the chunk boundaries.
    const std::string longLine = "{{" + std::string(50000, 'a') + "}}]}}\n";
    EXPECT_EQ(ReadAllRecords(longLine + "{1}\n"), (std::vector<std::string>{longLine, "{1}\n"}));

    // A chunk of 16383 characters that ends one after the terminator ends the
    // record inside the line.
    const std::string first = std::string(16377, 'a') + "}}]}}X";
    ASSERT_EQ(first.size(), 16383u);
    EXPECT_EQ(ReadAllRecords(first + "rest}}]}}\n"),
              (std::vector<std::string>{first, "rest}}]}}\n"}));

    // One character later the terminator is not tested at a chunk end.
    const std::string shifted = std::string(16378, 'a') + "}}]}}XY}}]}}\n";
    EXPECT_EQ(ReadAllRecords(shifted), (std::vector<std::string>{shifted}));

    // A continuation whose backslash ends one chunk and line end starts the next.
    const std::string split = "{" + std::string(16382, '1');
    ASSERT_EQ(split.size(), 16383u);
    EXPECT_EQ(ReadAllRecords(split.substr(0, 16382) + "\\\n2}\n"),
              (std::vector<std::string>{split.substr(0, 16382) + "2}\n"}));
}

TEST(ReadStreamlineRecord, OverlongRecordsAreSkippedWhole) {
    const std::string before = "{1}\n";
    const std::string after = "{2}\n";
    // Exactly at the limit: kept. One more: skipped with an empty text.
    const std::string atLimit = "{{" + std::string(kMaxRecordLength - 8, '7') + "}}]}}\n";
    ASSERT_EQ(atLimit.size(), kMaxRecordLength);
    const std::string overLimit = "{{" + std::string(kMaxRecordLength - 7, '7') + "}}]}}\n";
    const std::string byBraces = "{" + std::string(kMaxRecordLength + 40000, '7') + "}\n";
    // Continued lines in a skipped record are still joined: the first "}}]}}\"
    // does not end it.
    const std::string joined = "{{" + std::string(kMaxRecordLength, '7') + "}}]}}\\\n}}]}}\n";

    struct Case {
        const char* name;
        std::string record;
        bool kept;
    };
    const Case cases[] = {
        {"at the limit", atLimit, true},
        {"one over, terminator", overLimit, false},
        {"far over, braces", byBraces, false},
        {"over, continued", joined, false},
    };
    for (const Case& c : cases) {
        StreamlineFile file;
        file.OpenText(before + c.record + after);
        std::vector<bool> flags;
        const auto records = ReadAllRecords(file, &flags);
        ASSERT_EQ(records.size(), 3u) << c.name;
        EXPECT_EQ(records[0], before) << c.name;
        EXPECT_EQ(records[2], after) << c.name;
        EXPECT_EQ(flags, (std::vector<bool>{false, !c.kept, false})) << c.name;
        if (c.kept) {
            EXPECT_TRUE(records[1] == c.record) << c.name;
        } else {
            EXPECT_TRUE(records[1].empty()) << c.name;
        }
    }

    // Unfinished at the end of the file: dropped, and the reading ends.
    StreamlineFile file;
    file.OpenText(before + "{{" + std::string(kMaxRecordLength + 5, '7'));
    EXPECT_EQ(ReadAllRecords(file), (std::vector<std::string>{before}));
}

TEST(ReadStreamlineRecord, FromFileWithCrLf) {
    test::TempDir dir;
    const std::string r1 = SmallRecord2D();
    const std::string r2 =
        PadRecord(ClassicRecord({0.0f, 2.0f}, {{7.0f, 8.0f}, {9.0f, 10.0f}}), 230);
    std::string crlf = HeaderText({640, 480, 2, 10, 1, -1, 1, -1, 1, 0, 0}) + r1 + r2 + r1;
    for (std::size_t p = crlf.find('\n'); p != std::string::npos; p = crlf.find('\n', p + 2))
        crlf.insert(p, "\r");
    test::WriteTextFile(dir.file("in.txt"), crlf);

    StreamlineFile file;
    ASSERT_TRUE(file.Open(dir.file("in.txt")));
    const StreamlineHeader h = ReadStreamlineHeader(file);
    EXPECT_EQ(h.numbersRead, 11);
    EXPECT_EQ(h.tMax, 10.0f);
    EXPECT_EQ(ReadAllRecords(file), (std::vector<std::string>{r1, r2, r1}));
}

// ---------------------------------------------------------------------------
// Parsing

TEST(ParseStreamlineRecord, LengthThreshold) {
    const std::string base = ClassicRecord({0.0f, 1.0f}, {{1.0f, 2.0f}, {3.0f, 4.0f}});
    ASSERT_LT(base.size(), 200u);
    struct Case {
        std::size_t length;
        bool parsed;
    };
    for (const Case c : {Case{199, false}, Case{200, false}, Case{201, true}, Case{202, true}}) {
        auto state = NewState();
        state->m_knots[0].t = 9.0f;
        state->m_knots[1].x = 99.0f;
        const std::string text = PadRecord(base, c.length);
        ASSERT_EQ(text.size(), c.length);
        SkipReason reason = SkipReason::Malformed;
        EXPECT_EQ(ParseStreamlineRecord(text, Header2D(), *state, &reason), c.parsed) << c.length;
        EXPECT_EQ(reason, c.parsed ? SkipReason::None : SkipReason::TooShort) << c.length;
        EXPECT_EQ(state->m_knots[0].t, 0.0f) << c.length;  // set for every record
        EXPECT_EQ(state->m_knots[1].x, c.parsed ? 2.0f : 99.0f) << c.length;
    }
}

TEST(ParseStreamlineRecord, ShortRecordsAreAccountedFor) {
    struct Case {
        std::string text;
        SkipReason reason;
    };
    const Case cases[] = {
        {"{{x -> InterpolatingFunction[{{0., 5.}}, <>], y -> InterpolatingFunction[{{0., 5.}}, "
         "<>]}}\n",
         SkipReason::OutputForm},
        {"{{x -> F[{{0., 1.}}, {{0., 1.}}]}}\n", SkipReason::TooShort},
        {"\n", SkipReason::TooShort},
        {"", SkipReason::TooShort},
    };
    for (const Case& c : cases) {
        auto state = NewState();
        SkipReason reason = SkipReason::None;
        EXPECT_FALSE(ParseStreamlineRecord(c.text, Header2D(), *state, &reason)) << c.text;
        EXPECT_EQ(reason, c.reason) << c.text;
    }
}

TEST(ParseStreamlineRecord, ParameterCutOffAtTMax) {
    auto state = NewState();
    const std::string text =
        PadRecord(ClassicRecord({0.0f, 0.5f, 1.0f, 1.5f}, {{1, 2, 3, 4}, {5, 6, 7, 8}}), 300);
    ASSERT_TRUE(ParseStreamlineRecord(text, Header2D(1.2f), *state));
    EXPECT_EQ(state->m_knotCount, 3);
    const float want[] = {0.0f, 0.5f, 1.0f, 0.0f};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(state->m_knots[k].t, want[k]) << k;
    // A value equal to tMax is kept.
    ASSERT_TRUE(ParseStreamlineRecord(text, Header2D(1.5f), *state));
    EXPECT_EQ(state->m_knots[3].t, 1.5f);
}

TEST(ParseStreamlineRecord, FirstNumberOfEachGroup) {
    const std::string text =
        "{{x -> InterpolatingFunction[{{0., 1.}}, {3, 1, 0, 0}, {{0., 1.}}, {{1., 0.}, {2., "
        "0.5}}], "
        "y -> InterpolatingFunction[{{0., 1.}}, {3, 1, 0, 0}, {{0., 1.}}, {{-3.5, 7., 8.}, "
        "{4.25}}]}}\n";
    auto state = NewState();
    ASSERT_TRUE(ParseStreamlineRecord(PadRecord(text, 240), Header2D(), *state));
    EXPECT_EQ(state->m_knotCount, 1);
    EXPECT_EQ(state->m_knots[0].x, 1.0f);
    EXPECT_EQ(state->m_knots[1].x, 2.0f);
    EXPECT_EQ(state->m_knots[0].y, -3.5f);
    EXPECT_EQ(state->m_knots[1].y, 4.25f);
    EXPECT_EQ(state->m_knots[1].t, 1.0f);
}

TEST(ParseStreamlineRecord, ZOnlyInThreeDimensions) {
    const std::string text =
        PadRecord(ClassicRecord({0.0f, 1.0f, 2.0f}, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}), 400);
    struct Case {
        float dimension;
        bool readsZ;
    };
    for (const Case c :
         {Case{3.0f, true}, Case{2.0f, false}, Case{3.5f, false}, Case{2.9999998f, false}}) {
        auto state = NewState();
        for (auto& k : state->m_knots) k.z = -42.0f;
        StreamlineHeader h = Header2D();
        h.dimension = c.dimension;
        ASSERT_TRUE(ParseStreamlineRecord(text, h, *state)) << c.dimension;
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(state->m_knots[k].z, c.readsZ ? 7.0f + k : -42.0f)
                << c.dimension << " knot " << k;
            EXPECT_EQ(state->m_knots[k].y, 4.0f + k) << c.dimension;
        }
    }
}

TEST(ParseStreamlineRecord, NothingClearedBetweenRecords) {
    auto state = NewState();
    const std::string five = PadRecord(
        ClassicRecord({0, 1, 2, 3, 4, 5}, {{10, 11, 12, 13, 14, 15}, {20, 21, 22, 23, 24, 25}}),
        300);
    const std::string two = PadRecord(ClassicRecord({0, 6, 7}, {{30, 31, 32}, {40, 41, 42}}), 300);
    ASSERT_TRUE(ParseStreamlineRecord(five, Header2D(), *state));
    EXPECT_EQ(state->m_knotCount, 5);
    ASSERT_TRUE(ParseStreamlineRecord(two, Header2D(), *state));
    EXPECT_EQ(state->m_knotCount, 2);
    const Knot want[] = {{0, 30, 40, 0}, {6, 31, 41, 0}, {7, 32, 42, 0},
                         {3, 13, 23, 0}, {4, 14, 24, 0}, {5, 15, 25, 0}};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(state->m_knots[k].t, want[k].t) << k;
        EXPECT_EQ(state->m_knots[k].x, want[k].x) << k;
        EXPECT_EQ(state->m_knots[k].y, want[k].y) << k;
    }
}

TEST(ParseStreamlineRecord, MathematicaNumberForms) {
    const std::string text =
        "{{x -> InterpolatingFunction[{{0., 3.}}, {3, 1, 0, 0}, {{0., 2.5*^-7, 1.5`15.9, "
        "16.799999999999997`}}, "
        "{{-5.52`*^-14, 0.}, {1.`, 0.}, {3e2, 0.}, {-.5, 0.}}], "
        "y -> InterpolatingFunction[{{0., 3.}}, {3, 1, 0, 0}, {{0., 1., 2., 3.}}, "
        "{{7.25`16, 0.}, {1.5``20.3, 0.}, {2*^3, 0.}, {0.1`, 0.}}]}}\n";
    auto state = NewState();
    ASSERT_TRUE(ParseStreamlineRecord(text, Header2D(20.0f), *state));
    EXPECT_EQ(state->m_knotCount, 3);
    const Knot want[] = {{0.0f, -5.52e-14f, 7.25f, 0},
                         {2.5e-7f, 1.0f, 1.5f, 0},
                         {1.5f, 300.0f, 2000.0f, 0},
                         {16.799999999999997f, -0.5f, 0.1f, 0}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(state->m_knots[k].t, want[k].t) << k;
        EXPECT_EQ(state->m_knots[k].x, want[k].x) << k;
        EXPECT_EQ(state->m_knots[k].y, want[k].y) << k;
    }
}

TEST(ParseStreamlineRecord, RecordOverSeveralLinesAndContinuedNumbers) {
    // The reader joins continued lines; other line ends stay and are blanks.
    const std::string content =
        "{{x -> InterpolatingFunction[{{0., 2.}}, {3, 1, 0, 0}, {{0., 1.2\\\n5, 2.}},\n"
        " {{1., 0.}, {2., 0.}, {3.\\\n75, 0.}}],\n"
        " y -> InterpolatingFunction[{{0., 2.}}, {3, 1, 0, 0}, {{0., 1.25, 2.}},\n"
        " {{4., 0.}, {5., 0.}, {6., 0.}}]}}\n";
    const auto records = ReadAllRecords(content);
    ASSERT_EQ(records.size(), 1u);
    auto state = NewState();
    ASSERT_TRUE(ParseStreamlineRecord(records[0], Header2D(), *state));
    EXPECT_EQ(state->m_knotCount, 2);
    EXPECT_EQ(state->m_knots[1].t, 1.25f);
    EXPECT_EQ(state->m_knots[2].x, 3.75f);
    EXPECT_EQ(state->m_knots[2].y, 6.0f);
}

TEST(ParseStreamlineRecord, ThinsLongStreamlinesEvenly) {
    struct Case {
        int n;              // parameter values after the leading 0
        int knot;           // a knot of the store
        float sourceIndex;  // the source knot it must hold
    };
    const Case cases[] = {
        {1000, 0, 0},     {1000, 1, 1},       {1000, 999, 999},   {1000, 1000, 1000},
        {2000, 1, 2},     {2000, 500, 1000},  {2000, 1000, 2000}, {1500, 1, 2},
        {1500, 2, 3},     {1500, 999, 1499},  {1500, 1000, 1500}, {1001, 1, 1},
        {1001, 500, 501}, {1001, 1000, 1001},
    };
    int lastN = -1;
    auto state = NewState();
    for (const Case& c : cases) {
        if (c.n != lastN) {
            std::vector<float> t, x, y;
            for (int i = 0; i <= c.n; ++i) {
                t.push_back(static_cast<float>(i));
                x.push_back(static_cast<float>(2 * i));
                y.push_back(static_cast<float>(-i));
            }
            ASSERT_TRUE(ParseStreamlineRecord(ClassicRecord(t, {x, y}), Header2D(1e9f), *state))
                << c.n;
            EXPECT_EQ(state->m_knotCount, std::min(c.n, 1000)) << c.n;
            lastN = c.n;
        }
        EXPECT_EQ(state->m_knots[c.knot].t, c.sourceIndex) << c.n << " knot " << c.knot;
        EXPECT_EQ(state->m_knots[c.knot].x, 2 * c.sourceIndex) << c.n << " knot " << c.knot;
        EXPECT_EQ(state->m_knots[c.knot].y, -c.sourceIndex) << c.n << " knot " << c.knot;
    }
}

TEST(ParseStreamlineRecord, SurplusCoordinateValuesAreDropped) {
    // Three parameter values, but 1500 values in each coordinate list: the
    // first 1001 are stored (the classic reader writes them all), no more.
    std::vector<float> x, y;
    for (int i = 0; i < 1500; ++i) {
        x.push_back(static_cast<float>(i));
        y.push_back(static_cast<float>(i + 0.5f));
    }
    const std::string text = ClassicRecord({0, 1, 2, 3}, {x, y});
    auto state = NewState();
    ASSERT_TRUE(ParseStreamlineRecord(text, Header2D(), *state));
    EXPECT_EQ(state->m_knotCount, 3);
    EXPECT_EQ(state->m_knots[3].x, 3.0f);
    EXPECT_EQ(state->m_knots[1000].x, 1000.0f);
    EXPECT_EQ(state->m_knots[1000].y, 1000.5f);
}

TEST(ParseStreamlineRecord, MalformedRecordsAreSkipped) {
    const std::string padding(250, ' ');
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"no marker", "{{x -> F[{{0, 1}}, {{0, 1}}]}}" + padding},
        {"marker only", padding + " {{0.,"},
        {"parameter list never closes", padding + " {{0., 1., 2., {3."},
        {"no bracket after x", padding + " {{0., 1.}}, {{1., 0.}, {2., 0.}}}}, y -> F"},
        {"opening braces", padding + " {{0.," + std::string(300, '{')},
        {"closing braces", padding + " {{0.," + std::string(300, '}')},
        {"commas", padding + " {{0.," + std::string(300, ',')},
        {"brackets", padding + " {{0., 1.}}, [[[[[[[[[["},
        {"nothing after y's bracket", padding + " {{0., 1.}}, {{1., 0.}}, y -> F["},
        {"y value list never ends",
         padding + " {{0., 1.}}, {{1.}}, y -> F[{{0., 1.}}, {3}, {{0., 1.}}, {{1."},
    };
    for (const Case& c : cases) {
        auto state = NewState();
        SkipReason reason = SkipReason::None;
        EXPECT_FALSE(ParseStreamlineRecord(c.text, Header2D(), *state, &reason)) << c.name;
        EXPECT_EQ(reason, SkipReason::Malformed) << c.name;
    }
}

TEST(ParseStreamlineRecord, EveryTruncationIsSafe) {
    // Each prefix of a 3-D record: parsed exactly when it still holds the
    // closing bracket of the last function that is read. The functions are
    // named F, which the parser passes over like any name; no prefix then
    // looks like the newer layout.
    std::string full = ClassicRecord({0.0f, 0.5f, 1.0f},
                                     {{1.0f, 2.0f, 3.0f}, {4.0f, 5.0f, 6.0f}, {7.0f, 8.0f, 9.0f}});
    for (std::size_t p; (p = full.find("InterpolatingFunction")) != std::string::npos;)
        full.replace(p, 21, "F");
    full = PadRecord(full, 360);
    const std::size_t zEnd = full.rfind(']');
    const std::size_t yEnd = full.rfind(']', full.rfind("z ->"));
    ASSERT_GT(yEnd, 200u);
    for (float dimension : {2.0f, 3.0f}) {
        StreamlineHeader h = Header2D();
        h.dimension = dimension;
        const std::size_t needed = dimension == 3.0f ? zEnd : yEnd;
        for (std::size_t len = 201; len <= full.size(); ++len) {
            auto state = NewState();
            SkipReason reason = SkipReason::None;
            const bool parsed = ParseStreamlineRecord(full.substr(0, len), h, *state, &reason);
            ASSERT_EQ(parsed, len > needed) << "dimension " << dimension << " length " << len;
            if (parsed) {
                EXPECT_EQ(state->m_knots[2].y, 6.0f);
            } else {
                EXPECT_EQ(reason, SkipReason::Malformed);
            }
        }
    }
}

TEST(SkipReasonText, EveryReasonHasItsOwnText) {
    const SkipReason all[] = {SkipReason::None,       SkipReason::TooShort,
                              SkipReason::TooLong,    SkipReason::Malformed,
                              SkipReason::OutputForm, SkipReason::CompressedData,
                              SkipReason::NonNumeric, SkipReason::BadOffsets};
    std::vector<std::string> texts;
    for (SkipReason r : all) {
        const std::string t = SkipReasonText(r);
        EXPECT_FALSE(t.empty());
        for (const std::string& other : texts) EXPECT_NE(t, other);
        texts.push_back(t);
    }
}

}  // namespace
}  // namespace vortan
