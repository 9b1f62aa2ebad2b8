// Numbers and number lists read in one pass against the general reading, on generated text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "view/mathematica_expr.h"
#include "view/number_scan.h"

namespace vortan::mexpr {
namespace {

// The general scan alone, the reference for the one-pass conversion.
std::size_t GeneralNumber(std::string_view text, double& value, bool& integer) {
    if (text.empty() || !(IsDigitChar(text[0]) || text[0] == '.')) return 0;
    auto at = [&](std::size_t k) { return k < text.size() ? int(std::uint8_t(text[k])) : -1; };
    const NumberScan s = ScanNumber(at, false);
    if (!s.found) return 0;
    value = ConvertNumber(text.data(), s);
    integer = !s.point && !s.mark;
    return s.end;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Digits(std::mt19937& rng, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += static_cast<char>('0' + rng() % 10);
    return out;
}

// A number in a form Mathematica writes (or some it does not), with what may follow it.
std::string RandomNumber(std::mt19937& rng) {
    static const std::size_t lengths[] = {0, 1, 2, 3, 8, 15, 16, 17, 19, 20, 25, 400, 800};
    auto length = [&] { return lengths[rng() % (rng() % 4 ? 9 : std::size(lengths))]; };
    std::string s = Digits(rng, length());
    if (rng() % 4) s += '.' + Digits(rng, length());
    // clang-format off
    static const char* const marks[] = {"", "", "", "`", "`", "`16", "`15.9", "``12.5", "``-5",
                                        "``", "`.5", "`5.", "``+.", "`x"};
    static const char* const exponents[] = {"", "", "", "*^3", "*^-14", "*^+7", "*^400", "*^-400",
                                            "*^-x", "*^", "*^0", "*^99999999999"};
    // clang-format on
    s += std::string(marks[rng() % std::size(marks)]) + exponents[rng() % std::size(exponents)];
    static const char* const tails[] = {"", "", ",", "}", " ", "e5", "E-3", ".3", "`", "*", "x"};
    return s + tails[rng() % std::size(tails)];
}

TEST(MathematicaNumbers, OnePassConversionReadsAsTheGeneralScan) {
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = RandomNumber(rng);
        double want = -99.0, got = -99.0;
        bool wantInteger = false, gotInteger = true;
        const std::size_t wantLength = GeneralNumber(text, want, wantInteger);
        ASSERT_EQ(ReadMathematicaNumber(text, got, &gotInteger), wantLength) << text;
        if (wantLength == 0) continue;
        ASSERT_TRUE(SameBits(got, want) && gotInteger == wantInteger)
            << text << ": " << got << " against " << want;
    }
}

// Lists of numbers in every form, nested and ragged, with signs, symbols,
// comments and operators among the elements and varied blanks.
struct ListText {
    std::string List(int depth) {
        // Numbers of one kind in most lists (integers, or reals), any in some.
        m_kind = static_cast<unsigned>(m_rng() % 3);
        std::string out = "{" + Blank();
        const std::size_t n = Pick(6) ? m_rng() % 12 : 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (i) out += Blank() + "," + Blank();
            out += Element(depth);
        }
        if (!Pick(60)) out += ",";  // a trailing comma: a syntax error
        return out + Blank() + "}";
    }

    bool Pick(unsigned n) { return m_rng() % n != 0; }  // true but one time in n

    std::string Blank() {
        static const char* const blanks[] = {"", "", "", " ", "  ", "\n", "\r\n  ", "\t", "\v\f"};
        return blanks[m_rng() % std::size(blanks)];
    }

    std::string Number() {
        if (m_kind == 1) return Digits(m_rng, 1 + m_rng() % 19);
        if (m_kind == 2 && Pick(3))
            return Digits(m_rng, m_rng() % 4) + "." + Digits(m_rng, 1 + m_rng() % 18) + "`" +
                   (Pick(2) ? "" : "*^-" + Digits(m_rng, 1 + m_rng() % 3));
        std::string s;
        do s = RandomNumber(m_rng);
        while (s.empty() || !(IsDigitChar(s[0]) || s[0] == '.') || s.back() == ',' ||
               s.back() == '}');
        return s;
    }

    std::string Element(int depth) {
        static const char* const signs[] = {"", "", "", "", "", "-", "-", "- ", "+", "--", "-\n"};
        // clang-format off
        static const char* const others[] = {"x", "Developer`PackedArrayForm", "2^2", "-2^2",
            "f[1, 2]", "(* c *) 3", "3 (* c */", "1 + 2", "a -> 1", "<>", "\"s, }\"", "1[[2]]"};
        // clang-format on
        const auto r = m_rng() % 40;
        if (r < 34) return signs[m_rng() % std::size(signs)] + Number();
        if (r < 38 && depth < 4) return List(depth + 1);
        return others[m_rng() % std::size(others)];
    }

    std::mt19937 m_rng;
    unsigned m_kind = 0;
};

// The same status and error, and the same tree to the bit; counts the packed lists.
void ExpectSameParse(std::string_view text, std::size_t* packedLists = nullptr) {
    Expression fast, general;
    const ParseStatus fs = fast.Parse(text, ListReading::Fast);
    const ParseStatus gs = general.Parse(text, ListReading::General);
    ASSERT_EQ(std::tuple(fs, fast.ErrorPosition(), fast.ErrorText()),
              std::tuple(gs, general.ErrorPosition(), general.ErrorText()))
        << text;
    if (fs != ParseStatus::Ok) return;
    std::vector<std::pair<Expression::Index, Expression::Index>> pending{
        {fast.Root(), general.Root()}};
    while (!pending.empty()) {
        const auto [f, g] = pending.back();
        pending.pop_back();
        ASSERT_TRUE(general.PackedNumbers(g).empty()) << text;
        if (packedLists) *packedLists += !fast.PackedNumbers(f).empty();
        ASSERT_EQ(std::tuple(fast.Kind(f), fast.Op(f), fast.Size(f)),
                  std::tuple(general.Kind(g), general.Op(g), general.Size(g)))
            << text;
        const NodeKind kind = fast.Kind(f);
        ASSERT_TRUE(kind != NodeKind::Number || (SameBits(fast.Number(f), general.Number(g)) &&
                                                 fast.IsInteger(f) == general.IsInteger(g)))
            << text;
        ASSERT_TRUE((kind != NodeKind::Symbol && kind != NodeKind::String) ||
                    fast.Text(f) == general.Text(g))
            << text;
        const auto packed = fast.PackedNumbers(f);
        for (std::size_t k = 0; k < fast.Size(f); ++k) {
            ASSERT_TRUE(packed.empty() || SameBits(packed[k], general.Number(general.Child(g, k))))
                << text;
            pending.emplace_back(fast.Child(f, k), general.Child(g, k));
        }
    }
}

TEST(MathematicaNumbers, ListsParseTheSameBothWaysAndPackOnlyWherePlain) {
    // Text, whether the whole list is read in one pass as a packed list.
    // clang-format off
    const std::pair<const char*, bool> cases[] = {
        {"{1, 2, 3}", true}, {"{-1.5`, 2.`*^3}", true}, {"{ 1 ,\n\t2 }", true}, {"{-0.}", true},
        {"{.5, 5., 1``-2}", true}, {"{1`, 2}", false}, {"{0, 1.5}", false}, {"{}", false},
        {"{ \r\n }", false}, {"{1, x}", false}, {"{1, {2}}", false}, {"{- 1}", false}, {"{+1}", false},
        {"{--1}", false}, {"{1 (* c *), 2}", false}, {"{2^2}", false}, {"{-2^2, 1}", false},
        {"{2[x]}", false}, {"{1 2}", false}, {"{1, 2", false}, {"{1,}", false}, {"{1e5}", false},
        {"{{-0., 2.5`*^2}, {2, -3}}", false}};
    // clang-format on
    for (const auto& [text, packed] : cases) {
        SCOPED_TRACE(text);
        ExpectSameParse(text);
        Expression e;
        const bool ok = e.Parse(text) == ParseStatus::Ok;
        EXPECT_EQ(ok && !e.PackedNumbers(e.Root()).empty(), packed);
    }
    // Generated lists, whole, cut anywhere, and continued with a backslash before a line end.
    std::size_t packedLists = 0;
    for (unsigned seed = 0; seed < 3000; ++seed) {
        const std::string text = ListText{std::mt19937(seed)}.List(0);
        ExpectSameParse(text, &packedLists);
        ExpectSameParse(std::string_view(text).substr(0, seed % (text.size() + 1)));
        std::string continued = text;
        continued.insert(seed % (text.size() + 1), "\\\n");
        ExpectSameParse(continued, &packedLists);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(packedLists, 200u);
    // A number list innermost, around the depth limit, with and without signs.
    for (std::size_t n = Expression::kMaxDepth - 3; n <= Expression::kMaxDepth + 2; ++n) {
        for (const char* inner : {"1, 2", "-1, 2", "", "1, -2"})
            ExpectSameParse(std::string(n, '{') + "{" + inner + "}" + std::string(n, '}'));
    }
}

}  // namespace
}  // namespace vortan::mexpr
