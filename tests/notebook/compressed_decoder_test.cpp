#include "notebook/compressed_decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base64.h"
#include "tests/test_support.h"
#include "view/streamline_reader.h"

namespace vortan::notebook {
namespace {

using mexpr::Expression;
using mexpr::NodeKind;
using Index = Expression::Index;

// The expression at i in a plain InputForm-like text: numbers as %.17g.
std::string Print(const Expression& e, Index i) {
    auto children = [&](std::size_t from) {
        std::string s;
        for (std::size_t k = from; k < e.Size(i); ++k)
            s += (k > from ? ", " : "") + Print(e, e.Child(i, k));
        return s;
    };
    char number[40];
    switch (e.Kind(i)) {
        case NodeKind::Number:
            std::snprintf(number, sizeof number, "%.17g", e.Number(i));
            return number;
        case NodeKind::String:
            return "\"" + std::string(e.Text(i)) + "\"";
        case NodeKind::Symbol:
            return std::string(e.Text(i));
        case NodeKind::List:
            return "{" + children(0) + "}";
        case NodeKind::Apply:
            return Print(e, e.Child(i, 0)) + "[" + children(1) + "]";
        case NodeKind::Rule:
            return Print(e, e.Child(i, 0)) + (e.Op(i) == '>' ? " -> " : " :> ") +
                   Print(e, e.Child(i, 1));
        default:
            return "?";
    }
}

std::string StatusName(CompressedStatus s) {
    char name[24];
    if (unsigned char type = 0; IsUnknownTypeStatus(s, &type)) {
        std::snprintf(name, sizeof name, "UnknownType 0x%02x", static_cast<unsigned>(type));
        return name;
    }
    // In the order of CompressedStatus.
    const char* names[] = {"Ok", "NoDecoder", "BadBase64", "BadZlib", "BadBody", "TooLarge"};
    const auto k = static_cast<std::size_t>(s);
    return k < std::size(names) ? names[k] : "?";
}

struct Case {
    std::string name;
    std::string expect;  // "=text" or "!Status"
    std::string payload;
};

std::vector<Case> Cases() {
    std::istringstream in(
        test::ReadWholeFile(test::SourcePath("tests/fixtures/notebook/compressed_cases.tsv")));
    std::vector<Case> out;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto a = line.find('\t'), b = line.find('\t', a + 1);
        out.push_back({line.substr(0, a), line.substr(a + 1, b - a - 1), line.substr(b + 1)});
    }
    return out;
}

// Decodes payload into a fresh expression: "=text" or "!Status".
std::string Decode(const std::string& payload, std::size_t budget = kMaxRecordLength) {
    Expression e;
    if (e.Parse("0") != mexpr::ParseStatus::Ok) return "parse";
    Index root = 0;
    const CompressedStatus s = DecodeCompressedData(payload, e, root, budget);
    if (s != CompressedStatus::Ok) return std::string("!") + StatusName(s);
    return "=" + Print(e, root);
}

TEST(CompressedData, EveryNodeTypeAndEveryCorruption) {
    const std::vector<Case> cases = Cases();
    ASSERT_GE(cases.size(), 50u);
    for (const Case& c : cases) EXPECT_EQ(Decode(c.payload), c.expect) << c.name;
}

// Blanks, line ends and backslash continuations anywhere in the text (also
// before "1:", as a notebook breaks its strings) change nothing.
TEST(CompressedData, LayoutOfTheTextIsIgnored) {
    for (const Case& c : Cases()) {
        if (c.expect[0] != '=') continue;
        for (const char* gap : {"\n", " \t", "\\\n", "\\\r\n", "\r\n  "}) {
            std::string laid = std::string(gap) + c.payload.substr(0, 2);
            for (std::size_t k = 2; k < c.payload.size(); k += 7)
                laid += gap + c.payload.substr(k, 7);
            EXPECT_EQ(Decode(laid), c.expect)
                << c.name << " with " << ::testing::PrintToString(gap);
        }
    }
}

// "1:" + base64 of the zlib stream of raw (as Compress writes it).
std::string CompressedText(const std::string& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string z(size, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
              static_cast<uLong>(raw.size()), 9);
    z.resize(size);
    return "1:" + EncodeBase64(z);
}

// Packed zeros inflate hundreds of times larger than their stream: the output
// grows to fit them, the budget cuts exactly at the inflated size, one packed list.
TEST(CompressedData, LargeRatiosFitUpToTheBudgetExactly) {
    for (const char type : {'e', 'n'}) {
        for (const std::int32_t n : {1, 8191, 8192, 40000, 300000}) {
            const std::size_t width = type == 'e' ? 8 : 4;
            std::string raw = std::string("!boR") + type;
            for (const std::int32_t v : {1, n}) raw.append(reinterpret_cast<const char*>(&v), 4);
            raw.append(static_cast<std::size_t>(n) * width, '\0');
            const std::string text = CompressedText(raw);
            for (const std::size_t budget : {raw.size(), raw.size() - 1, raw.size() * 5}) {
                SCOPED_TRACE(std::string(1, type) + " x " + std::to_string(n) + ", budget " +
                             std::to_string(budget));
                Expression e;
                ASSERT_EQ(e.Parse("0"), mexpr::ParseStatus::Ok);
                Index root = 0;
                std::size_t left = budget;
                ASSERT_EQ(DecodeCompressedData(text, e, root, left),
                          budget < raw.size() ? CompressedStatus::TooLarge : CompressedStatus::Ok);
                if (budget < raw.size()) continue;
                EXPECT_EQ(left, budget - raw.size());
                const std::span<const double> values = e.PackedNumbers(root);
                EXPECT_EQ(std::vector<double>(values.begin(), values.end()),
                          std::vector<double>(static_cast<std::size_t>(n), 0.0));
                EXPECT_EQ(e.IsInteger(e.Child(root, 0)), type == 'n');
                EXPECT_LE(e.NodeCount(), 2u);  // the parsed 0 and the list
            }
        }
    }
}

}  // namespace
}  // namespace vortan::notebook
