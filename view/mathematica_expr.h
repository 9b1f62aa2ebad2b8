// A small reader of Mathematica's input syntax: enough of it for the
// expressions that Put, InputForm and notebook text exports write for
// interpolated solutions. It reads lists, heads with brackets (f[a][b]),
// rules (-> and :>), symbols with contexts (Developer`PackedArrayForm),
// numbers with precision marks and *^ exponents (16.79`, -5.52`*^-14),
// strings, comments, pure functions (body &), parentheses and the
// arithmetic operators + - * / ^ <> and the postfix derivative '.
//
// The reader is safe on any text: nesting deeper than kMaxDepth levels is
// refused, memory and time grow linearly with the text, and every scan
// stops at the end of the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vortan::mexpr {

enum class NodeKind : std::uint8_t {
    Number,    // a real or integer literal; a leading minus is folded into it
    String,    // "..." (text without the quotes, escapes as written)
    Symbol,    // a name with its contexts, as written: Developer`PackedArrayForm
    List,      // {a, b, ...}
    Apply,     // head[a, b, ...]: child 0 is the head, the arguments follow
    Rule,      // lhs -> rhs or lhs :> rhs (Op() is '>' or ':')
    Function,  // body &
    Operator,  // arithmetic: Op() is + - * / ^ < (for <>) or ' ; unary minus has one child
    Elided,    // <> where an expression belongs: OutputForm's stand-in for hidden data
};

// How Parse reads a list whose elements are all plain numbers (digits with
// an optional leading minus, precision mark and *^ exponent, separated by
// commas and blanks), all integers or all not: in one pass into a packed
// list (Fast), or element by element through the general grammar into
// number nodes (General). Both read the same; General is kept to check
// Fast against.
enum class ListReading { Fast, General };

enum class ParseStatus {
    Ok,
    Syntax,   // text that is not an expression of the understood syntax
    TooDeep,  // nesting beyond kMaxDepth
    TooLong,  // text too long to index (2 GiB or more)
};

class Expression {
  public:
    using Index = std::uint32_t;
    static constexpr int kMaxDepth = 256;

    // Reads one expression that fills the whole text (surrounding blanks,
    // line ends and comments allowed). A backslash right before a line end
    // joins the two lines, as in notebook exports. Nothing of the text is
    // kept beyond the call except a joined copy when one was needed.
    ParseStatus Parse(std::string_view text, ListReading lists = ListReading::Fast);

    // Where reading stopped, and why, after a failed Parse.
    std::size_t ErrorPosition() const { return m_errorPos; }
    const std::string& ErrorText() const { return m_errorText; }

    Index Root() const { return m_root; }
    NodeKind Kind(Index i) const { return IsPackedNumber(i) ? NodeKind::Number : m_nodes[i].kind; }
    char Op(Index i) const { return IsPackedNumber(i) ? '\0' : m_nodes[i].op; }

    // Numbers: the value in double precision (infinite when the literal is
    // beyond its range), and whether it was written as an integer (no point,
    // no precision mark).
    double Number(Index i) const {
        return m_numbers[IsPackedNumber(i) ? (i & kPackedNumberMask) : m_nodes[i].a];
    }
    bool IsInteger(Index i) const {
        return IsPackedNumber(i) ? (i & kPackedIntegerBit) != 0
                                 : (m_nodes[i].flags & kIntegerFlag) != 0;
    }

    // Symbols and strings: the text as written (a symbol with its contexts).
    std::string_view Text(Index i) const {
        if (IsPackedNumber(i)) return {};
        const std::string_view from = (m_nodes[i].flags & kOwnedTextFlag) ? m_owned : m_text;
        return from.substr(m_nodes[i].a, m_nodes[i].b);
    }
    // A symbol's name without its contexts ("PackedArrayForm").
    std::string_view SymbolName(Index i) const;
    // True for a symbol whose name (without contexts) is name.
    bool IsSymbol(Index i, std::string_view name) const {
        return Kind(i) == NodeKind::Symbol && SymbolName(i) == name;
    }

    // Children of lists, applications, rules, functions and operators.
    std::size_t Size(Index i) const;
    Index Child(Index i, std::size_t k) const {
        const Node& n = m_nodes[i];
        if (n.flags & kPackedFlag) {
            return kPackedNumberBit | ((n.flags & kIntegerFlag) ? kPackedIntegerBit : 0u) |
                   static_cast<Index>(n.a + k);
        }
        return m_children[n.a + k];
    }

    // Nodes in the store; the numbers of packed lists (below) are not nodes.
    std::size_t NodeCount() const { return m_nodes.size(); }

    // Building nodes after Parse: decoders of binary forms that stand for
    // an expression (CompressedData) add the nodes of what they decode and
    // put its root in the place of the form with Replace. Text is copied.
    // The builders refuse (return false) once the node store would pass
    // 4 Gi entries.
    bool AddNumberNode(double value, bool integer, Index& out);
    bool AddTextNode(NodeKind kind, std::string_view text, Index& out);  // String or Symbol
    // List, Apply (children[0] is the head) or Rule (op '>' or ':').
    bool AddCompoundNode(NodeKind kind, char op, std::span<const Index> children, Index& out);
    // Node at takes the content of node with (which stays, unreferenced).
    void Replace(Index at, Index with) { m_nodes[at] = m_nodes[with]; }

    // Packed lists: a list of numbers held as one node over a run of the
    // number store, for decoders of large arrays and for the plain number
    // lists of parsed text (ListReading::Fast). AddNumberSlots makes room
    // for count numbers at the end of the store (values unset) and gives the
    // first one's place; AddPackedList makes a list of count numbers from
    // first on. Its children read like number nodes (Kind, Number,
    // IsInteger) but have indices of their own, not below NodeCount().
    bool AddNumberSlots(std::size_t count, double*& slots, std::uint32_t& first);
    bool AddPackedList(std::uint32_t first, std::size_t count, bool integer, Index& out);
    // The numbers of a packed list, in order; empty for any other node.
    std::span<const double> PackedNumbers(Index i) const {
        if (IsPackedNumber(i) || !(m_nodes[i].flags & kPackedFlag)) return {};
        return {m_numbers.data() + m_nodes[i].a, m_nodes[i].b};
    }

    // Numbers and nodes beyond which the store refuses to grow.
    static constexpr std::size_t kMaxPackedNumbers = std::size_t{1} << 30;

  private:
    static constexpr std::uint8_t kIntegerFlag = 1;
    static constexpr std::uint8_t kOwnedTextFlag = 2;
    static constexpr std::uint8_t kPackedFlag = 4;  // a packed list
    // A packed list's element k has index kPackedNumberBit | integer bit |
    // (its place in m_numbers); nodes stay below kPackedNumberBit.
    static constexpr Index kPackedNumberBit = 0x80000000u;
    static constexpr Index kPackedIntegerBit = 0x40000000u;
    static constexpr Index kPackedNumberMask = 0x3FFFFFFFu;
    static bool IsPackedNumber(Index i) { return (i & kPackedNumberBit) != 0; }

    struct Node {
        NodeKind kind;
        char op;
        std::uint8_t flags;
        // Number: index into m_numbers. Symbol, String: text offset and length.
        // Compound nodes: first child in m_children and child count.
        std::uint32_t a;
        std::uint32_t b;
    };

    bool ParseExpr(int minPower, int depth, Index& out);
    bool ParseOperand(int depth, Index& out);
    bool ParseSequence(char close, int depth);
    bool ParseNumberList(Index& out);
    bool ParseNumber(Index& out);
    bool ParseSymbol(Index& out);
    bool ParseString(Index& out);
    bool SkipBlank();
    bool Fail(const char* what);
    Index Add(NodeKind kind, char op, std::uint32_t a, std::uint32_t b, std::uint8_t flags = 0);
    Index AddCompound(NodeKind kind, char op, std::size_t stackBase);
    bool At(std::string_view s) const { return m_text.substr(m_pos, s.size()) == s; }

    std::string m_joined;  // the text with continuation lines joined, when needed
    std::string_view m_text;
    std::string m_owned;  // text of nodes added after Parse
    std::size_t m_pos = 0;
    std::vector<Node> m_nodes;
    std::vector<double> m_numbers;
    std::vector<Index> m_children;
    std::vector<Index> m_stack;  // children collected while their parent is open
    std::string m_digits;        // scratch for number conversion
    Index m_root = 0;
    ListReading m_lists = ListReading::Fast;
    std::size_t m_errorPos = 0;
    std::string m_errorText;
};

// Converts the number text that Mathematica writes (digits, optional point
// and fraction, optional precision or accuracy mark, optional *^ exponent;
// no sign) to the nearest double. Returns the length of the number read, 0
// when text does not start with one. Values beyond the double range give
// infinity, values below it 0.
std::size_t ReadMathematicaNumber(std::string_view text, double& value, bool* isInteger = nullptr);

}  // namespace vortan::mexpr
