#include "notebook/notebook_scanner.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace vortan::notebook {
namespace {

constexpr std::string_view kHead = "InterpolatingFunction[";
constexpr std::string_view kBox = "InterpretationBox";
// How far back from a function its rule's name is looked for.
constexpr std::size_t kNameWindow = 512;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '$' ||
           c == '`' || static_cast<unsigned char>(c) >= 0x80;
}

// Bytes the main loop stops at; everything else is passed over.
constexpr std::array<bool, 256> MakeSpecial() {
    std::array<bool, 256> t{};
    for (char c : {'"', '(', ')', '[', ']', '{', '}', 'I'}) t[static_cast<unsigned char>(c)] = true;
    return t;
}
constexpr std::array<bool, 256> kSpecial = MakeSpecial();

// Backward reading within [lo, i).
struct Back {
    std::string_view text;
    std::size_t lo;
    std::size_t i;

    void SkipBlank() {
        while (i > lo && IsBlank(text[i - 1])) --i;
    }
    bool Take(std::string_view s) {
        if (i - lo < s.size() || text.compare(i - s.size(), s.size(), s) != 0) return false;
        i -= s.size();
        return true;
    }
    // A string literal ending at i: its content, without the quotes.
    bool String(std::string_view& content) {
        if (i <= lo || text[i - 1] != '"') return false;
        std::size_t j = i - 1;
        while (j > lo) {
            --j;
            if (text[j] != '"') continue;
            std::size_t slashes = 0;
            while (j - slashes > lo && text[j - slashes - 1] == '\\') ++slashes;
            if (slashes % 2 == 0) {
                content = text.substr(j + 1, i - 2 - j);
                i = j;
                return true;
            }
        }
        return false;
    }
    // A balanced [...] group ending at i.
    bool Group() {
        if (i <= lo || text[i - 1] != ']') return false;
        int depth = 0;
        for (std::size_t j = i; j > lo; --j) {
            const char c = text[j - 1];
            if (c == ']') ++depth;
            if (c == '[' && --depth == 0) {
                i = j - 1;
                return true;
            }
        }
        return false;
    }
    std::string_view Name() {
        const std::size_t end = i;
        while (i > lo && IsNameChar(text[i - 1])) --i;
        std::string_view name = text.substr(i, end - i);
        if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return {};
        return name;
    }
};

bool RuleArrow(Back& b) {
    return b.Take("->") || b.Take(":>") || b.Take("\\[Rule]") || b.Take("\\[RuleDelayed]");
}

// The name of x -> InterpolatingFunction[...] (or x[t] -> ...) before at.
std::string_view InputFormName(std::string_view text, std::size_t at) {
    Back b{text, at > kNameWindow ? at - kNameWindow : 0, at};
    b.SkipBlank();
    if (!RuleArrow(b)) return {};
    b.SkipBlank();
    if (b.Group()) b.SkipBlank();
    return b.Name();
}

// The name of RowBox[{"x", "\[Rule]", InterpretationBox[...]}] before at
// (the start of "InterpretationBox").
std::string_view BoxFormName(std::string_view text, std::size_t at) {
    Back b{text, at > kNameWindow ? at - kNameWindow : 0, at};
    std::string_view arrow, name;
    b.SkipBlank();
    if (!b.Take(",")) return {};
    b.SkipBlank();
    if (!b.String(arrow)) return {};
    if (arrow != "\\[Rule]" && arrow != "->" && arrow != "\\[RuleDelayed]" && arrow != ":>") {
        return {};
    }
    b.SkipBlank();
    if (!b.Take(",")) return {};
    b.SkipBlank();
    if (!b.String(name)) return {};
    return name;
}

// FNV-1a of the text without blanks and backslash line continuations, so
// that copies laid out at other depths hash alike.
std::uint64_t Hash(std::string_view s) {
    std::uint64_t h = 14695981039346656037ull;
    for (std::size_t k = 0; k < s.size(); ++k) {
        const char c = s[k];
        if (IsBlank(c)) continue;
        if (c == '\\' && k + 1 < s.size() && (s[k + 1] == '\n' || s[k + 1] == '\r')) continue;
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return h;
}

// Index past the string literal whose opening quote is at i (npos if unclosed).
std::size_t SkipString(std::string_view text, std::size_t i) {
    for (std::size_t j = i + 1;;) {
        const void* q = std::memchr(text.data() + j, '"', text.size() - j);
        if (!q) return std::string_view::npos;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(q) - text.data());
        std::size_t slashes = 0;
        while (at - slashes > i + 1 && text[at - slashes - 1] == '\\') ++slashes;
        if (slashes % 2 == 0) return at + 1;
        j = at + 1;
    }
}

// Index past the (nested) comment opening at i (npos if unclosed).
std::size_t SkipComment(std::string_view text, std::size_t i) {
    int level = 0;
    while (i + 1 < text.size()) {
        if (text[i] == '(' && text[i + 1] == '*') {
            ++level;
            i += 2;
        } else if (text[i] == '*' && text[i + 1] == ')') {
            i += 2;
            if (--level == 0) return i;
        } else {
            ++i;
        }
    }
    return std::string_view::npos;
}

struct Opener {
    std::size_t pos;
    char c;
};

}  // namespace

std::string PlainName(std::string_view name) {
    if (const std::size_t mark = name.rfind('`'); mark != std::string_view::npos) {
        name.remove_prefix(mark + 1);
    }
    if (name.size() > 2 && name.ends_with("$$")) {
        name.remove_suffix(2);
    } else if (const std::size_t d = name.rfind('$');
               d != std::string_view::npos && d > 0 && d + 1 < name.size() &&
               std::all_of(name.begin() + static_cast<std::ptrdiff_t>(d) + 1, name.end(),
                           [](char c) { return c >= '0' && c <= '9'; })) {
        name.remove_suffix(name.size() - d);
    }
    return std::string(name);
}

bool ScanSolutions(std::string_view text, std::vector<FoundSolution>& out, std::string& error) {
    out.clear();
    std::vector<Opener> stack;
    std::unordered_map<std::size_t, std::size_t> solutionOfList;  // list opener -> solution
    std::vector<FoundSolution> found;
    bool inFunction = false;
    std::size_t functionDepth = 0;
    std::size_t functionKey = 0;
    std::size_t unnamed = 0;
    FoundFunction current;

    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const char c = text[i];
        if (!kSpecial[static_cast<unsigned char>(c)]) {
            ++i;
            continue;
        }
        switch (c) {
            case '"': {
                const std::size_t end = SkipString(text, i);
                if (end == std::string_view::npos) {
                    i = n;
                } else {
                    i = end;
                }
                continue;
            }
            case '(':
                if (i + 1 < n && text[i + 1] == '*') {
                    const std::size_t end = SkipComment(text, i);
                    i = end == std::string_view::npos ? n : end;
                    continue;
                }
                [[fallthrough]];
            case '[':
            case '{':
                if (stack.size() >= kMaxScanDepth) {
                    error =
                        "brackets nested deeper than " + std::to_string(kMaxScanDepth) + " levels";
                    return false;
                }
                stack.push_back({i, c});
                ++i;
                continue;
            case ')':
            case ']':
            case '}':
                if (!stack.empty()) stack.pop_back();
                if (inFunction && stack.size() == functionDepth) {
                    current.end = i + 1;
                    current.hash = Hash(text.substr(current.begin, current.end - current.begin));
                    auto [it, added] = solutionOfList.emplace(functionKey, found.size());
                    if (added) found.emplace_back();
                    found[it->second].functions.push_back(std::move(current));
                    current = FoundFunction{};
                    inFunction = false;
                }
                ++i;
                continue;
            default:  // 'I'
                break;
        }
        if (inFunction || n - i < kHead.size() || text.compare(i, kHead.size(), kHead) != 0 ||
            (i > 0 && IsNameChar(text[i - 1]) && text[i - 1] != '`')) {
            ++i;
            continue;
        }
        // A function starts: its name and the list that holds its rule.
        inFunction = true;
        functionDepth = stack.size();
        current.begin = i;
        std::string_view name;
        bool keyed = false;
        const std::size_t s = stack.size();
        const bool boxed = s > 0 && stack[s - 1].c == '[' && stack[s - 1].pos >= kBox.size() &&
                           text.compare(stack[s - 1].pos - kBox.size(), kBox.size(), kBox) == 0;
        if (boxed) {
            name = BoxFormName(text, stack[s - 1].pos - kBox.size());
            // InterpretationBox[ <- {"x", ... <- RowBox[ <- { of the solution.
            if (!name.empty() && s >= 4 && stack[s - 2].c == '{' && stack[s - 3].c == '[' &&
                stack[s - 4].c == '{') {
                functionKey = stack[s - 4].pos;
                keyed = true;
            }
        } else {
            name = InputFormName(text, i);
            if (!name.empty() && s > 0) {
                functionKey = stack[s - 1].pos;
                keyed = true;
            }
        }
        if (!keyed) {
            // A function that no rule names stands alone.
            functionKey = std::numeric_limits<std::size_t>::max() - unnamed++;
        }
        current.name = PlainName(name);
        i += kHead.size() - 1;  // on the '[', which the loop pushes
    }

    // Lines of the first functions (solutions are in order of their first).
    std::sort(found.begin(), found.end(), [](const FoundSolution& a, const FoundSolution& b) {
        return a.functions.front().begin < b.functions.front().begin;
    });
    std::size_t line = 1, counted = 0;
    // Copies: the same names and the same function texts, blanks aside.
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> seen;
    for (FoundSolution& sol : found) {
        const std::size_t at = sol.functions.front().begin;
        line += static_cast<std::size_t>(
            std::count(text.begin() + static_cast<std::ptrdiff_t>(counted),
                       text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
        counted = at;
        sol.line = line;
        std::uint64_t key = sol.functions.size();
        for (const FoundFunction& f : sol.functions) {
            key = (key * 1099511628211ull) ^ f.hash ^ std::hash<std::string>{}(f.name);
        }
        bool copy = false;
        for (std::size_t k : seen[key]) {
            const FoundSolution& other = out[k];
            copy = other.functions.size() == sol.functions.size() &&
                   std::equal(other.functions.begin(), other.functions.end(), sol.functions.begin(),
                              [](const FoundFunction& a, const FoundFunction& b) {
                                  return a.name == b.name && a.hash == b.hash;
                              });
            if (copy) break;
        }
        if (copy) continue;
        seen[key].push_back(out.size());
        out.push_back(std::move(sol));
    }
    return true;
}

}  // namespace vortan::notebook
