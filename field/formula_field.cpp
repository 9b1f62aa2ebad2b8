#include "field/formula_field.h"

#include <muParser.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <numbers>
#include <string_view>
#include <vector>

#include "field/field_grid.h"
#include "field/value_decode.h"

namespace vortan::field {
namespace {

const std::string kWho = "formula";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> SplitOn(std::string_view s, std::string_view separators) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || separators.find(s[i]) != std::string_view::npos) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

std::string Quote(std::string_view s) {
    return "'" + std::string(s.substr(0, 60)) + (s.size() > 60 ? "...'" : "'");
}

// "x0:x1,y0:y1[,z0:z1]" into lo/hi per axis; dimension is the number of ranges.
bool ParseDomain(const std::string& domain, int* dimension, std::array<double, 3>* lo,
                 std::array<double, 3>* hi, std::string* error) {
    const auto ranges = SplitOn(domain, ",");
    if (ranges.size() != 2 && ranges.size() != 3) {
        *error = kWho + ": the domain " + Quote(domain) +
                 " must be two or three ranges, \"x0:x1,y0:y1[,z0:z1]\"";
        return false;
    }
    for (std::size_t a = 0; a < ranges.size(); ++a) {
        const auto ends = SplitOn(ranges[a], ":");
        double a0 = 0, a1 = 0;
        if (ends.size() != 2 || !ParseNumber(Trim(ends[0]), &a0) ||
            !ParseNumber(Trim(ends[1]), &a1) || !std::isfinite(a0) || !std::isfinite(a1)) {
            *error = kWho + ": the range " + Quote(ranges[a]) + " of the domain must be \"lo:hi\"";
            return false;
        }
        if (!(a1 > a0) || !std::isfinite(a1 - a0)) {
            *error = kWho + ": the range " + Quote(ranges[a]) +
                     " of the domain must run from a lower to a higher value";
            return false;
        }
        (*lo)[a] = a0;
        (*hi)[a] = a1;
    }
    *dimension = static_cast<int>(ranges.size());
    return true;
}

// Nodes along each axis keeping the domain's aspect: the longest side gets 512
// nodes in 2-D and 64 in 3-D.
std::array<std::size_t, 3> DefaultGrid(int dimension, const std::array<double, 3>& lo,
                                       const std::array<double, 3>& hi) {
    const double longest = dimension == 2 ? 512.0 : 64.0;
    const auto axes = static_cast<std::size_t>(dimension);
    double widest = 0;
    for (std::size_t a = 0; a < axes; ++a) widest = std::max(widest, hi[a] - lo[a]);
    std::array<std::size_t, 3> nodes = {1, 1, 1};
    for (std::size_t a = 0; a < axes; ++a) {
        const double n = std::round(longest * (hi[a] - lo[a]) / widest);
        nodes[a] = static_cast<std::size_t>(std::clamp(n, 2.0, longest));
    }
    return nodes;
}

struct Component {
    std::string_view expression;
    bool given = false;
};

}  // namespace

bool ParseGridSpec(const std::string& grid, int dimension, std::array<std::size_t, 3>* nodes,
                   std::string* error) {
    const auto parts = SplitOn(grid, "xX");
    if (parts.size() != static_cast<std::size_t>(dimension)) {
        *error =
            kWho + ": the grid " + Quote(grid) + " must give " +
            (dimension == 2 ? "two node counts, \"NXxNY\"" : "three node counts, \"NXxNYxNZ\"");
        return false;
    }
    std::array<std::size_t, 3> n = {1, 1, 1};
    for (std::size_t a = 0; a < parts.size(); ++a) {
        const std::string_view p = Trim(parts[a]);
        std::size_t value = 0;
        bool digits = !p.empty() && p.size() <= 18;
        for (char c : p) digits = digits && c >= '0' && c <= '9';
        if (digits) {
            for (char c : p) value = value * 10 + static_cast<std::size_t>(c - '0');
        }
        if (!digits || value < 2) {
            *error = kWho + ": the grid " + Quote(grid) +
                     " must give whole numbers of two nodes or more";
            return false;
        }
        n[a] = value;
    }
    std::size_t total = 0;
    if (!CheckNodeCount(n[0], n[1], n[2], kWho, &total, error)) return false;
    *nodes = n;
    return true;
}

FieldResult SampleFormula(const std::string& formula, const std::string& domain,
                          const std::string& grid) {
    int dimension = 2;
    std::array<double, 3> lo{}, hi{};
    std::string error;
    if (!ParseDomain(domain, &dimension, &lo, &hi, &error)) return FieldError(error);

    std::array<Component, 3> comps;
    const char* const names[3] = {"u", "v", "w"};
    for (std::string_view part : SplitOn(formula, ";\n")) {
        if (Trim(part).empty()) continue;
        const std::size_t eq = part.find('=');
        const std::string_view name = eq == std::string_view::npos ? "" : Trim(part.substr(0, eq));
        const auto it = std::find(std::begin(names), std::end(names), name);
        if (eq == std::string_view::npos || it == std::end(names) ||
            (eq + 1 < part.size() && part[eq + 1] == '=')) {
            return FieldError(kWho + ": " + Quote(Trim(part)) +
                              " must read \"u = ...\", \"v = ...\" or \"w = ...\"");
        }
        Component& c = comps[static_cast<std::size_t>(it - std::begin(names))];
        if (c.given) return FieldError(kWho + ": " + std::string(name) + " is given twice");
        c = {part.substr(eq + 1), true};
    }
    if (!comps[0].given || !comps[1].given)
        return FieldError(kWho + ": both u and v must be given, as \"u = ...; v = ...\"");
    if (dimension == 2 && comps[2].given)
        return FieldError(kWho + ": w is given but the domain is 2-D; add a z range");
    if (dimension == 3 && !comps[2].given)
        return FieldError(kWho + ": the domain is 3-D, so w must be given as well");

    std::array<std::size_t, 3> n{};
    if (Trim(grid).empty()) {
        n = DefaultGrid(dimension, lo, hi);
    } else if (!ParseGridSpec(grid, dimension, &n, &error)) {
        return FieldError(error);
    }

    RawGrid raw;
    for (std::size_t a = 0; a < 3; ++a) {
        raw.axis[a].resize(n[a]);
        for (std::size_t i = 0; i < n[a]; ++i) {
            raw.axis[a][i] = n[a] == 1       ? 0.0
                             : i + 1 == n[a] ? hi[a]
                                             : lo[a] + (hi[a] - lo[a]) * static_cast<double>(i) /
                                                           static_cast<double>(n[a] - 1);
        }
    }
    double x = 0, y = 0, z = 0;
    const std::size_t count = static_cast<std::size_t>(dimension);
    std::vector<std::unique_ptr<mu::Parser>> parsers;
    std::size_t current = 0;
    try {
        for (current = 0; current < count; ++current) {
            auto p = std::make_unique<mu::Parser>();
            p->DefineConst("pi", std::numbers::pi);
            p->DefineVar("x", &x);
            p->DefineVar("y", &y);
            if (dimension == 3) p->DefineVar("z", &z);
            p->SetExpr(std::string(Trim(comps[current].expression)));
            p->Eval();  // reports syntax errors and unknown names now
            parsers.push_back(std::move(p));
        }
        const std::size_t nodes = n[0] * n[1] * n[2];
        for (std::size_t c = 0; c < count; ++c) raw.comp[c].resize(nodes);
        std::size_t node = 0;
        for (std::size_t k = 0; k < n[2]; ++k) {
            z = raw.axis[2][k];
            for (std::size_t j = 0; j < n[1]; ++j) {
                y = raw.axis[1][j];
                for (std::size_t i = 0; i < n[0]; ++i, ++node) {
                    x = raw.axis[0][i];
                    for (std::size_t c = 0; c < count; ++c) raw.comp[c][node] = parsers[c]->Eval();
                }
            }
        }
    } catch (const mu::Parser::exception_type& e) {
        return FieldError(kWho + ": " + names[std::min(current, count - 1)] + " = " +
                          Quote(Trim(comps[std::min(current, count - 1)].expression)) + ": " +
                          e.GetMsg());
    } catch (const std::exception& e) {
        return FieldError(kWho + ": " + e.what());
    }
    std::string description = "u, v";
    if (dimension == 3) description += ", w";
    return BuildField(std::move(raw), kWho, description + " of a formula");
}

}  // namespace vortan::field
