// Numbers of the expression reader: one number literal, and whole lists of
// plain numbers read in one pass without the general grammar.
#include <charconv>
#include <system_error>

#include "view/mathematica_expr.h"
#include "view/number_scan.h"

namespace vortan::mexpr {

std::size_t ReadMathematicaNumber(std::string_view text, double& value, bool* isInteger) {
    // Signs are operators here, and Mathematica writes no e exponent.
    if (text.empty() || !(IsDigitChar(text[0]) || text[0] == '.')) return 0;
    const char* const first = text.data();
    auto at = [&](std::size_t k) -> int {
        return k < text.size() ? static_cast<unsigned char>(text[k]) : -1;
    };
    // Nearly every number: digits and fraction converted in place in one
    // call (the fixed format reads no exponent), a precision mark passed
    // over. A *^ exponent or a value beyond the double range takes the
    // general scan below, which reads the others the same way.
    double v = 0.0;
    const auto res = std::from_chars(first, first + text.size(), v, std::chars_format::fixed);
    if (res.ec == std::errc()) {
        const auto digits = static_cast<std::size_t>(res.ptr - first);
        std::size_t end = digits;
        if (at(end) == '`') {
            // A bare mark (the usual "1.5`") in one step; digits after it the long way.
            const int next = at(end + 1);
            end = (IsDigitChar(next) || next == '`' || next == '.') ? SkipPrecisionMark(at, end)
                                                                    : end + 1;
        }
        if (!(at(end) == '*' && at(end + 1) == '^')) {
            value = v;
            if (isInteger) {
                // Integer: no mark, and no point after the integer digits.
                std::size_t k = 0;
                while (k < digits && IsDigitChar(first[k])) ++k;
                *isInteger = end == digits && k == digits;
            }
            return end;
        }
    }
    const NumberScan s = ScanNumber(at, /*eExponent=*/false);
    if (!s.found) return 0;
    value = ConvertNumber(first, s);
    if (isInteger) *isInteger = !s.point && !s.mark;
    return s.end;
}

// A list at m_pos ('{') of one or more numbers, all integers or all not,
// each with at most a minus sign written right before it, and nothing
// between them but commas and blanks. On success the numbers go to the end
// of the number store as one packed list and m_pos passes the closing
// brace. Anything else (a comment, an operator, a symbol, a nested list,
// integers beside reals, the text's end) undoes what was added and leaves
// the list to the general reading, which reads the same or fails.
bool Expression::ParseNumberList(Index& out) {
    const std::size_t n = m_text.size();
    const char* const text = m_text.data();
    const std::size_t first = m_numbers.size();
    auto undo = [&] {
        m_numbers.resize(first);
        return false;
    };
    std::size_t pos = m_pos + 1;
    while (pos < n && IsBlankChar(text[pos])) ++pos;
    bool integers = false;
    for (;;) {
        if (m_numbers.size() >= kMaxPackedNumbers) return undo();
        const bool negative = pos < n && text[pos] == '-';
        if (negative) ++pos;
        double value = 0.0;
        bool integer = false;
        const std::size_t length =
            pos < n ? ReadMathematicaNumber(m_text.substr(pos), value, &integer) : 0;
        if (length == 0) return undo();
        if (m_numbers.size() == first) {
            integers = integer;
        } else if (integer != integers) {
            return undo();
        }
        pos += length;
        m_numbers.push_back(negative ? -value : value);
        while (pos < n && IsBlankChar(text[pos])) ++pos;
        if (pos >= n) return undo();
        if (text[pos] == '}') break;
        if (text[pos] != ',') return undo();
        ++pos;
        while (pos < n && IsBlankChar(text[pos])) ++pos;
    }
    if (!AddPackedList(static_cast<std::uint32_t>(first), m_numbers.size() - first, integers,
                       out)) {
        return undo();
    }
    m_pos = pos + 1;
    return true;
}

}  // namespace vortan::mexpr
