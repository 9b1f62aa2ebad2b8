// Records with compressed arrays, B-spline values or a domain not starting at 0
// against their explicit twins: the same knots and the same pixels.
#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "notebook/compressed_decoder.h"
#include "platform/indexed_canvas.h"
#include "tests/test_support.h"
#include "view/drawing_pass.h"
#include "view/streamline_reader.h"

namespace vortan {
namespace {

struct NullHost : IFrameHost {
    int MessageBox(const std::string&, const std::string&, unsigned) override { return IDOK; }
    void SetStatusText(const std::string&, bool) override {}
    bool SetTimer(unsigned, std::uint32_t) override { return true; }
    void KillTimer(unsigned) override {}
};

struct Twins {
    std::string header;                // the file's eleven lines
    std::vector<std::string> records;  // one a line
    std::vector<std::string> names;
    StreamlineHeader streamHeader;
};

Twins Load() {
    Twins t;
    const std::string file =
        test::ReadWholeFile(test::SourcePath("tests/fixtures/notebook/twins.math"));
    std::istringstream in(file);
    std::string line;
    for (int k = 0; k < 11 && std::getline(in, line); ++k) t.header += line + "\n";
    StreamlineFile reader;
    reader.OpenText(file);
    t.streamHeader = ReadStreamlineHeader(reader);
    for (std::string r; ReadStreamlineRecord(reader, r);) t.records.push_back(r);
    std::istringstream names(
        test::ReadWholeFile(test::SourcePath("tests/fixtures/notebook/twins.txt")));
    while (std::getline(names, line)) t.names.push_back(line);
    return t;
}

// The knot store after reading the record: count, then t x y z of each
// knot; {-2, reason} when it was skipped.
std::vector<float> Knots(const Twins& t, const std::string& record) {
    auto state = std::make_unique<VortanFrameState>();
    SkipReason reason = SkipReason::None;
    if (!ParseStreamlineRecord(record, t.streamHeader, *state, &reason))
        return {-2.0f, static_cast<float>(reason)};
    std::vector<float> out{static_cast<float>(state->m_knotCount)};
    for (const Knot& n : std::span(state->m_knots).first(state->m_knotCount + 1u))
        out.insert(out.end(), {n.t, n.x, n.y, n.z});
    return out;
}

std::vector<CanvasPixel> Pixels(const std::string& file) {
    test::TempDir dir;
    test::WriteTextFile(dir.file("flow.math"), file);
    auto state = std::make_unique<VortanFrameState>();
    state->m_inputPath = dir.file("flow.math");
    state->m_axisX = state->m_axisY = state->m_animationOn = state->m_withOrientation = 1;
    state->m_diskDiameter = 3;
    state->m_colortableCount = 7;
    state->m_entriesPerTable = 32;
    IndexedCanvas canvas(400, 400 + kStatusBarHeight);
    NullHost host;
    EXPECT_EQ(RunDrawingPass(*state, canvas, host).drawn, 1);
    return canvas.Pixels();
}

class RecordTwins : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { notebook::InstallCompressedDataDecoder(); }
    static void TearDownTestSuite() { InstallCompressedDataDecoder(nullptr); }
};

// Pairs: a record and the explicit record it must equal.
TEST_F(RecordTwins, SameKnotsAndPixelsAsTheExplicitRecord) {
    const Twins t = Load();
    ASSERT_EQ(t.records.size(), 8u);
    ASSERT_EQ(t.names.size(), t.records.size());
    const std::pair<std::size_t, std::size_t> pairs[] = {{1, 0}, {2, 0}, {3, 0},
                                                         {4, 0}, {6, 5}, {7, 5}};
    for (const auto& [twin, explicitOne] : pairs) {
        const std::vector<float> want = Knots(t, t.records[explicitOne]);
        ASSERT_EQ(want.size(), 1u + 4u * 101u) << t.names[explicitOne];
        EXPECT_EQ(Knots(t, t.records[twin]), want) << t.names[twin];
        EXPECT_EQ(Pixels(t.header + t.records[twin]), Pixels(t.header + t.records[explicitOne]))
            << t.names[twin];
    }
}

// The payload of the named case of the decoder's case table.
std::string CasePayload(const std::string& name) {
    std::istringstream in(
        test::ReadWholeFile(test::SourcePath("tests/fixtures/notebook/compressed_cases.tsv")));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(name + "\t", 0) == 0) return line.substr(line.rfind('\t') + 1);
    }
    ADD_FAILURE() << "no case " << name;
    return {};
}

// The compressed twin with its first CompressedData string replaced.
TEST_F(RecordTwins, CorruptCompressedDataIsSkippedWithItsAccount) {
    const Twins t = Load();
    const std::string& record = t.records[1];
    const std::size_t open = record.find("CompressedData[\"") + 16, close = record.find('"', open);
    ASSERT_NE(close, std::string::npos);
    const std::pair<std::string, SkipReason> cases[] = {
        {"2:" + record.substr(open + 2, close - open - 2), SkipReason::BadBase64},
        {CasePayload("truncated zlib"), SkipReason::BadZlib},
        {CasePayload("wrong magic"), SkipReason::BadCompressedBody},
        {CasePayload("packed huge dims"), SkipReason::BadCompressedBody},
        {CasePayload("inflates beyond the record limit"), SkipReason::CompressedTooLarge},
        // Decodes fine but is no grid.
        {CasePayload("string"), SkipReason::Malformed},
    };
    for (const auto& [payload, want] : cases) {
        const std::string text = record.substr(0, open) + payload + record.substr(close);
        EXPECT_EQ(Knots(t, text), (std::vector<float>{-2.0f, static_cast<float>(want)}))
            << SkipReasonText(want);
    }
    // A type no description names: its own account (0x63 in the command-line test).
    EXPECT_STREQ(SkipReasonText(UnknownCompressedTypeReason(0xff)),
                 "compressed data: unknown packed array or expression type 0xff");
}

}  // namespace
}  // namespace vortan
