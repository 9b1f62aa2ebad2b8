#include "notebook/solution_reader.h"

#include <algorithm>

#include "view/compressed_data.h"
#include "view/mathematica_expr.h"

namespace vortan::notebook {
namespace {

// The value of f at t, linearly between its grid points (clamped at the ends).
double At(const CoordinateFunction& f, double t) {
    const auto it = std::upper_bound(f.grid.begin(), f.grid.end(), t);
    if (it == f.grid.begin()) return f.values.front();
    if (it == f.grid.end()) return f.values.back();
    const auto k = static_cast<std::size_t>(it - f.grid.begin());
    const double t0 = f.grid[k - 1], t1 = f.grid[k];
    const double a = t1 > t0 ? (t - t0) / (t1 - t0) : 0.0;
    return f.values[k - 1] + a * (f.values[k] - f.values[k - 1]);
}

}  // namespace

SkipReason ReadSolution(std::string_view text, const FoundSolution& solution,
                        std::vector<CoordinateFunction>& out) {
    out.assign(solution.functions.size(), CoordinateFunction{});
    mexpr::Expression e;
    for (std::size_t k = 0; k < solution.functions.size(); ++k) {
        const FoundFunction& f = solution.functions[k];
        if (f.end - f.begin > kMaxRecordLength) return SkipReason::TooLong;
        const std::string_view span = text.substr(f.begin, f.end - f.begin);
        if (e.Parse(span) != mexpr::ParseStatus::Ok) {
            return span.find("<>") != std::string_view::npos ? SkipReason::OutputForm
                                                             : SkipReason::Malformed;
        }
        if (SkipReason r = CompressedSkipReason(ExpandCompressedData(e, kMaxRecordLength));
            r != SkipReason::None) {
            return r;
        }
        if (e.Kind(e.Root()) != mexpr::NodeKind::Apply) return SkipReason::Malformed;
        if (SkipReason r = ReadInterpolatingFunction(e, e.Root(), out[k]); r != SkipReason::None) {
            return r;
        }
    }
    return SkipReason::None;
}

std::string NameList(const FoundSolution& solution) {
    std::string s;
    for (const FoundFunction& f : solution.functions) {
        if (!s.empty()) s += ", ";
        s += f.name.empty() ? "?" : f.name;
    }
    return s;
}

bool SolutionPoints(const FoundSolution& solution, const std::vector<CoordinateFunction>& functions,
                    const std::vector<std::string>& coords, std::vector<SolutionPoint>& out,
                    std::string& error) {
    std::vector<const CoordinateFunction*> chosen;
    for (const std::string& name : coords) {
        const CoordinateFunction* f = nullptr;
        for (std::size_t k = 0; k < solution.functions.size() && k < functions.size(); ++k) {
            if (solution.functions[k].name == name) {
                f = &functions[k];
                break;
            }
        }
        if (!f) {
            error = "no function named " + name + " (has " + NameList(solution) + ")";
            return false;
        }
        chosen.push_back(f);
    }
    out.clear();
    if (chosen.empty()) return true;
    const CoordinateFunction& first = *chosen[0];
    out.resize(first.grid.size());
    const double start = first.grid.front();
    for (std::size_t i = 0; i < first.grid.size(); ++i) {
        const double t = first.grid[i];
        double v[3] = {0.0, 0.0, 0.0};
        for (std::size_t c = 0; c < chosen.size() && c < 3; ++c) {
            const CoordinateFunction& f = *chosen[c];
            v[c] = f.grid.size() == first.grid.size() && f.grid[i] == t ? f.values[i] : At(f, t);
        }
        out[i] = SolutionPoint{t - start, v[0], v[1], v[2]};
    }
    return true;
}

}  // namespace vortan::notebook
