#include "view/mathematica_expr.h"

#include <cstdint>
#include <limits>

#include "view/number_scan.h"

namespace vortan::mexpr {
namespace {

// Letters of symbol names: ASCII letters, '$' and every byte of a multi-byte
// UTF-8 character (Mathematica accepts Greek and other letters in names).
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Binding powers of the operators, after Mathematica's precedence table.
constexpr int kFunctionPower = 90;  // body &
constexpr int kRulePower = 120;     // -> :> (right associative)
constexpr int kPlusPower = 310;     // + - (binary)
constexpr int kTimesPower = 400;    // * /
constexpr int kMinusPower = 480;    // unary - +
constexpr int kPowerPower = 590;    // ^ (right associative)
constexpr int kJoinPower = 600;     // <>
constexpr int kPrimePower = 670;    // ' (postfix)
constexpr int kApplyPower = 1200;   // f[...]

}  // namespace

std::string_view Expression::SymbolName(Index i) const {
    std::string_view t = Text(i);
    const std::size_t mark = t.rfind('`');
    return mark == std::string_view::npos ? t : t.substr(mark + 1);
}

std::size_t Expression::Size(Index i) const {
    if (IsPackedNumber(i)) return 0;
    switch (m_nodes[i].kind) {
        case NodeKind::List:
        case NodeKind::Apply:
        case NodeKind::Rule:
        case NodeKind::Function:
        case NodeKind::Operator:
            return m_nodes[i].b;
        default:
            return 0;
    }
}

namespace {
constexpr std::size_t kMaxStore = std::numeric_limits<std::uint32_t>::max() - 1;
// Node indices stay below the bit that marks the numbers of packed lists;
// parsed text shorter than this makes fewer nodes than it has characters.
constexpr std::size_t kMaxNodes = 0x7FFFFFFEu;
}  // namespace

bool Expression::AddNumberNode(double value, bool integer, Index& out) {
    if (m_nodes.size() >= kMaxNodes || m_numbers.size() >= kMaxStore) return false;
    m_numbers.push_back(value);
    out = Add(NodeKind::Number, 0, static_cast<std::uint32_t>(m_numbers.size() - 1), 0,
              integer ? kIntegerFlag : 0);
    return true;
}

bool Expression::AddTextNode(NodeKind kind, std::string_view text, Index& out) {
    if (m_nodes.size() >= kMaxNodes || text.size() >= kMaxStore ||
        m_owned.size() >= kMaxStore - text.size()) {
        return false;
    }
    const auto at = static_cast<std::uint32_t>(m_owned.size());
    m_owned.append(text);
    out = Add(kind, 0, at, static_cast<std::uint32_t>(text.size()), kOwnedTextFlag);
    return true;
}

bool Expression::AddCompoundNode(NodeKind kind, char op, std::span<const Index> children,
                                 Index& out) {
    if (m_nodes.size() >= kMaxNodes || children.size() >= kMaxStore ||
        m_children.size() >= kMaxStore - children.size()) {
        return false;
    }
    const auto first = static_cast<std::uint32_t>(m_children.size());
    m_children.insert(m_children.end(), children.begin(), children.end());
    out = Add(kind, op, first, static_cast<std::uint32_t>(children.size()));
    return true;
}

bool Expression::AddNumberSlots(std::size_t count, double*& slots, std::uint32_t& first) {
    if (count > kMaxPackedNumbers || m_numbers.size() > kMaxPackedNumbers - count) return false;
    first = static_cast<std::uint32_t>(m_numbers.size());
    m_numbers.resize(m_numbers.size() + count);
    slots = m_numbers.data() + first;
    return true;
}

bool Expression::AddPackedList(std::uint32_t first, std::size_t count, bool integer, Index& out) {
    if (m_nodes.size() >= kMaxNodes || first > m_numbers.size() ||
        count > m_numbers.size() - first) {
        return false;
    }
    const auto flags = static_cast<std::uint8_t>(kPackedFlag | (integer ? kIntegerFlag : 0));
    out = Add(NodeKind::List, 0, first, static_cast<std::uint32_t>(count), flags);
    return true;
}

bool Expression::Fail(const char* what) {
    if (m_errorText.empty()) {
        m_errorPos = m_pos;
        m_errorText = what;
    }
    return false;
}

Expression::Index Expression::Add(NodeKind kind, char op, std::uint32_t a, std::uint32_t b,
                                  std::uint8_t flags) {
    m_nodes.push_back(Node{kind, op, flags, a, b});
    return static_cast<Index>(m_nodes.size() - 1);
}

Expression::Index Expression::AddCompound(NodeKind kind, char op, std::size_t stackBase) {
    const auto first = static_cast<std::uint32_t>(m_children.size());
    const auto count = static_cast<std::uint32_t>(m_stack.size() - stackBase);
    m_children.insert(m_children.end(), m_stack.begin() + static_cast<std::ptrdiff_t>(stackBase),
                      m_stack.end());
    m_stack.resize(stackBase);
    return Add(kind, op, first, count);
}

ParseStatus Expression::Parse(std::string_view text, ListReading lists) {
    m_lists = lists;
    m_nodes.clear();
    m_numbers.clear();
    m_children.clear();
    m_stack.clear();
    m_joined.clear();
    m_owned.clear();
    m_errorText.clear();
    m_errorPos = 0;
    m_root = 0;
    m_pos = 0;
    if (text.size() >= kMaxNodes) {
        m_text = {};
        m_errorText = "text too long";
        return ParseStatus::TooLong;
    }
    // Join lines continued with a backslash right before the line end.
    if (text.find("\\\n") != std::string_view::npos ||
        text.find("\\\r\n") != std::string_view::npos) {
        // Runs between continuations are copied whole.
        m_joined.reserve(text.size());
        std::size_t from = 0;
        for (std::size_t i = text.find('\\'); i != std::string_view::npos;
             i = text.find('\\', i + 1)) {
            std::size_t skip = 0;
            if (text.substr(i + 1, 1) == "\n") skip = 2;
            if (text.substr(i + 1, 2) == "\r\n") skip = 3;
            if (skip == 0) continue;
            m_joined.append(text, from, i - from);
            from = i + skip;
            i = from - 1;
        }
        m_joined.append(text, from);
        m_text = m_joined;
    } else {
        m_text = text;
    }

    // Room for a number every 16 characters (plain number lists hold about
    // one per 10 to 25), so that long lists seldom move the number store.
    m_numbers.reserve(m_text.size() / 16 + 16);

    Index root = 0;
    bool ok = ParseExpr(0, 0, root) && SkipBlank();
    if (ok && m_pos < m_text.size()) ok = Fail("unexpected text after the expression");
    if (!ok) {
        const bool deep = m_errorText == "nesting too deep";
        m_nodes.clear();
        m_numbers.clear();
        m_children.clear();
        m_stack.clear();
        return deep ? ParseStatus::TooDeep : ParseStatus::Syntax;
    }
    m_root = root;
    return ParseStatus::Ok;
}

// Skips blanks, line ends and (nested) comments; false on an unclosed comment.
bool Expression::SkipBlank() {
    const std::size_t n = m_text.size();
    while (m_pos < n) {
        const char c = m_text[m_pos];
        if (IsBlankChar(c)) {
            ++m_pos;
        } else if (c == '(' && m_pos + 1 < n && m_text[m_pos + 1] == '*') {
            int level = 0;
            const std::size_t start = m_pos;
            while (m_pos < n) {
                if (m_pos + 1 < n && m_text[m_pos] == '(' && m_text[m_pos + 1] == '*') {
                    ++level;
                    m_pos += 2;
                } else if (m_pos + 1 < n && m_text[m_pos] == '*' && m_text[m_pos + 1] == ')') {
                    --level;
                    m_pos += 2;
                    if (level == 0) break;
                } else {
                    ++m_pos;
                }
            }
            if (level != 0) {
                m_pos = start;
                return Fail("unclosed comment");
            }
        } else {
            break;
        }
    }
    return true;
}

bool Expression::ParseNumber(Index& out) {
    double value = 0.0;
    bool integer = false;
    const std::size_t len = ReadMathematicaNumber(m_text.substr(m_pos), value, &integer);
    if (len == 0) return Fail("number expected");
    m_pos += len;
    m_numbers.push_back(value);
    out = Add(NodeKind::Number, 0, static_cast<std::uint32_t>(m_numbers.size() - 1), 0,
              integer ? kIntegerFlag : 0);
    return true;
}

bool Expression::ParseSymbol(Index& out) {
    const std::size_t n = m_text.size();
    const std::size_t start = m_pos;
    for (;;) {
        if (m_pos < n && m_text[m_pos] == '`') ++m_pos;  // context mark
        if (m_pos >= n || !IsLetter(m_text[m_pos])) return Fail("symbol name expected");
        while (m_pos < n && (IsLetter(m_text[m_pos]) || IsDigitChar(m_text[m_pos]))) ++m_pos;
        if (m_pos < n && m_text[m_pos] == '`') continue;
        break;
    }
    out = Add(NodeKind::Symbol, 0, static_cast<std::uint32_t>(start),
              static_cast<std::uint32_t>(m_pos - start));
    return true;
}

bool Expression::ParseString(Index& out) {
    const std::size_t n = m_text.size();
    const std::size_t start = ++m_pos;
    // The closing quote is the first one not escaped by a backslash: find
    // quotes and backslashes by block search; each search starts past the
    // last, so the scan stays linear however many escapes there are.
    std::size_t quote = m_text.find('"', m_pos);
    while (quote != std::string_view::npos) {
        const std::size_t escape = m_text.substr(0, quote).find('\\', m_pos);
        if (escape == std::string_view::npos) break;
        m_pos = escape + 2;  // the escaped character is passed over
        if (m_pos > quote) quote = m_pos < n ? m_text.find('"', m_pos) : std::string_view::npos;
    }
    m_pos = quote == std::string_view::npos ? n : quote;
    if (m_pos >= n) {
        m_pos = start - 1;
        return Fail("unclosed string");
    }
    out = Add(NodeKind::String, 0, static_cast<std::uint32_t>(start),
              static_cast<std::uint32_t>(m_pos - start));
    ++m_pos;
    return true;
}

// Elements separated by commas up to the closing character; pushes each
// onto m_stack. An empty sequence is allowed.
bool Expression::ParseSequence(char close, int depth) {
    if (!SkipBlank()) return false;
    if (m_pos < m_text.size() && m_text[m_pos] == close) {
        ++m_pos;
        return true;
    }
    for (;;) {
        Index element = 0;
        if (!ParseExpr(0, depth + 1, element)) return false;
        m_stack.push_back(element);
        if (!SkipBlank()) return false;
        if (m_pos >= m_text.size()) return Fail(close == '}' ? "'}' expected" : "']' expected");
        const char c = m_text[m_pos];
        if (c == ',') {
            ++m_pos;
            continue;
        }
        if (c == close) {
            ++m_pos;
            return true;
        }
        return Fail(close == '}' ? "',' or '}' expected" : "',' or ']' expected");
    }
}

bool Expression::ParseOperand(int depth, Index& out) {
    if (!SkipBlank()) return false;
    if (m_pos >= m_text.size()) return Fail("expression expected");
    const char c = m_text[m_pos];
    const char next = m_pos + 1 < m_text.size() ? m_text[m_pos + 1] : '\0';
    if (c == '{') {
        // Lists of plain numbers in one pass; the general reading below for
        // anything else, and where the depth limit could be reached inside.
        if (m_lists == ListReading::Fast && depth + 2 <= kMaxDepth && ParseNumberList(out)) {
            return true;
        }
        ++m_pos;
        const std::size_t base = m_stack.size();
        if (!ParseSequence('}', depth)) return false;
        out = AddCompound(NodeKind::List, 0, base);
        return true;
    }
    if (c == '(') {
        ++m_pos;
        if (!ParseExpr(0, depth + 1, out) || !SkipBlank()) return false;
        if (m_pos >= m_text.size() || m_text[m_pos] != ')') return Fail("')' expected");
        ++m_pos;
        return true;
    }
    if (c == '"') return ParseString(out);
    if (IsDigitChar(c) || (c == '.' && IsDigitChar(next))) return ParseNumber(out);
    if (IsLetter(c) || c == '`') return ParseSymbol(out);
    if (c == '<' && next == '>') {
        m_pos += 2;
        out = Add(NodeKind::Elided, 0, 0, 0);
        return true;
    }
    if (c == '-' || c == '+') {
        ++m_pos;
        Index operand = 0;
        if (!ParseExpr(kMinusPower, depth + 1, operand)) return false;
        if (c == '+') {
            out = operand;
        } else if (Kind(operand) == NodeKind::Number) {
            m_numbers[m_nodes[operand].a] = -m_numbers[m_nodes[operand].a];
            out = operand;
        } else {
            const std::size_t base = m_stack.size();
            m_stack.push_back(operand);
            out = AddCompound(NodeKind::Operator, '-', base);
        }
        return true;
    }
    return Fail("expression expected");
}

bool Expression::ParseExpr(int minPower, int depth, Index& out) {
    if (depth > kMaxDepth) return Fail("nesting too deep");
    Index lhs = 0;
    if (!ParseOperand(depth, lhs)) return false;
    const std::size_t n = m_text.size();
    for (;;) {
        if (!SkipBlank()) return false;
        if (m_pos >= n) break;
        const char c = m_text[m_pos];
        const char next = m_pos + 1 < n ? m_text[m_pos + 1] : '\0';

        if (c == '[' && next != '[') {
            if (kApplyPower < minPower) break;
            ++m_pos;
            const std::size_t base = m_stack.size();
            m_stack.push_back(lhs);
            if (!ParseSequence(']', depth)) return false;
            lhs = AddCompound(NodeKind::Apply, 0, base);
            continue;
        }
        if (c == '&' && next != '&') {
            if (kFunctionPower < minPower) break;
            ++m_pos;
            const std::size_t base = m_stack.size();
            m_stack.push_back(lhs);
            lhs = AddCompound(NodeKind::Function, '&', base);
            continue;
        }
        if (c == '\'') {
            if (kPrimePower < minPower) break;
            ++m_pos;
            const std::size_t base = m_stack.size();
            m_stack.push_back(lhs);
            lhs = AddCompound(NodeKind::Operator, '\'', base);
            continue;
        }

        // Binary operators: the operator, its power, its length, associativity.
        NodeKind kind = NodeKind::Operator;
        char op = 0;
        int power = 0;
        std::size_t length = 1;
        bool right = false;
        if (c == '-' && next == '>') {
            kind = NodeKind::Rule, op = '>', power = kRulePower, length = 2, right = true;
        } else if (c == ':' && next == '>') {
            kind = NodeKind::Rule, op = ':', power = kRulePower, length = 2, right = true;
        } else if (c == '\\' && At("\\[Rule]")) {
            kind = NodeKind::Rule, op = '>', power = kRulePower, length = 7, right = true;
        } else if (c == '\\' && At("\\[RuleDelayed]")) {
            kind = NodeKind::Rule, op = ':', power = kRulePower, length = 14, right = true;
        } else if (c == '+' || c == '-') {
            op = c, power = kPlusPower;
        } else if (c == '*' || c == '/') {
            op = c, power = kTimesPower;
        } else if (c == '^') {
            op = '^', power = kPowerPower, right = true;
        } else if (c == '<' && next == '>') {
            op = '<', power = kJoinPower, length = 2;
        } else {
            break;
        }
        if (power < minPower) break;
        m_pos += length;
        Index rhs = 0;
        if (!ParseExpr(right ? power : power + 1, depth + 1, rhs)) return false;
        const std::size_t base = m_stack.size();
        m_stack.push_back(lhs);
        m_stack.push_back(rhs);
        lhs = AddCompound(kind, op, base);
    }
    out = lhs;
    return true;
}

}  // namespace vortan::mexpr
