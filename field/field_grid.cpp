#include "field/field_grid.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vortan::field {
namespace {

enum class Order { kIncreasing, kDecreasing, kNeither };

Order AxisOrder(const std::vector<double>& a) {
    for (double value : a) {
        if (!std::isfinite(value)) return Order::kNeither;
    }
    const bool up = a[1] > a[0];
    for (std::size_t i = 1; i < a.size(); ++i) {
        if (up ? !(a[i] > a[i - 1]) : !(a[i] < a[i - 1])) return Order::kNeither;
    }
    return up ? Order::kIncreasing : Order::kDecreasing;
}

// Reverses values along one axis of an n[0] x n[1] x n[2] array (first fastest).
void ReverseAlong(std::vector<double>& data, const std::array<std::size_t, 3>& n, int axis) {
    if (data.empty()) return;
    const std::size_t stride = axis == 0 ? 1 : axis == 1 ? n[0] : n[0] * n[1];
    const std::size_t len = n[static_cast<std::size_t>(axis)];
    const std::size_t outer = data.size() / (stride * len);
    for (std::size_t o = 0; o < outer; ++o) {
        for (std::size_t s = 0; s < stride; ++s) {
            const std::size_t base = o * stride * len + s;
            for (std::size_t a = 0, b = len - 1; a < b; ++a, --b)
                std::swap(data[base + a * stride], data[base + b * stride]);
        }
    }
}

const char* const kAxisNames[3] = {"x", "y", "z"};

}  // namespace

FieldResult FieldError(std::string message) {
    FieldResult result;
    result.error = std::move(message);
    return result;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool CheckNodeCount(std::size_t n0, std::size_t n1, std::size_t n2, const std::string& file,
                    std::size_t* nodes, std::string* error) {
    const std::string dims =
        std::to_string(n0) + " x " + std::to_string(n1) + " x " + std::to_string(n2);
    if (n0 == 0 || n1 == 0 || n2 == 0) {
        *error = file + ": the grid has no nodes (" + dims + ")";
        return false;
    }
    std::size_t total = n0;
    for (std::size_t n : {n1, n2}) {
        if (total > kMaxFieldNodes / n) {
            *error = file + ": the grid of " + dims + " nodes is larger than the limit of " +
                     std::to_string(kMaxFieldNodes) + " nodes";
            return false;
        }
        total *= n;
    }
    if (total > kMaxFieldNodes) {
        *error = file + ": the grid of " + dims + " nodes is larger than the limit of " +
                 std::to_string(kMaxFieldNodes) + " nodes";
        return false;
    }
    *nodes = total;
    return true;
}

FieldResult BuildField(RawGrid grid, const std::string& file, const std::string& description) {
    const std::array<std::size_t, 3> n = {grid.axis[0].size(), grid.axis[1].size(),
                                          grid.axis[2].size()};
    std::size_t nodes = 0;
    std::string error;
    if (!CheckNodeCount(n[0], n[1], n[2], file, &nodes, &error)) return FieldError(error);
    const int components = grid.comp[2].empty() ? 2 : 3;
    for (int c = 0; c < components; ++c) {
        if (grid.comp[static_cast<std::size_t>(c)].size() != nodes)
            return FieldError(file + ": the array holds " +
                              std::to_string(grid.comp[static_cast<std::size_t>(c)].size()) +
                              " values per component for " + std::to_string(nodes) + " nodes");
    }

    std::vector<int> used;
    for (int a = 0; a < 3; ++a) {
        if (n[static_cast<std::size_t>(a)] > 1) used.push_back(a);
    }
    const std::string dims =
        std::to_string(n[0]) + " x " + std::to_string(n[1]) + " x " + std::to_string(n[2]);
    if (used.size() < 2)
        return FieldError(file + ": a 1-D array (" + dims +
                          " nodes) cannot be traced; a field needs two axes of two nodes or more");
    if (used.size() == 3 && components == 2)
        return FieldError(file + ": a 3-D grid (" + dims +
                          " nodes) with a 2-component array; a 3-D field needs three components");

    for (int a : used) {
        const auto ua = static_cast<std::size_t>(a);
        const Order order = AxisOrder(grid.axis[ua]);
        if (order == Order::kNeither)
            return FieldError(file + ": the " + kAxisNames[a] +
                              " coordinates are neither increasing nor decreasing");
        if (order == Order::kDecreasing) {
            std::reverse(grid.axis[ua].begin(), grid.axis[ua].end());
            for (auto& comp : grid.comp) ReverseAlong(comp, n, a);
        }
    }

    FieldResult result;
    VectorField& f = result.field;
    f.dimension = static_cast<int>(used.size());
    f.description = description;
    std::array<std::vector<double>*, 3> axes = {&f.x, &f.y, &f.z};
    std::array<std::vector<double>*, 3> comps = {&f.u, &f.v, &f.w};
    for (std::size_t k = 0; k < used.size(); ++k) {
        const auto a = static_cast<std::size_t>(used[k]);
        *axes[k] = std::move(grid.axis[a]);
        // Two components belong to the two grid axes in order; of three, each
        // belongs to its own axis.
        *comps[k] = std::move(grid.comp[components == 2 ? k : a]);
    }
    if (f.dimension == 2) f.z = {0.0};
    for (auto* comp : comps) {
        for (double& value : *comp) {
            if (!std::isfinite(value)) value = std::nan("");
        }
    }
    result.ok = true;
    return result;
}

int ChooseVectorArray(const std::vector<PointArray>& arrays, const std::string& vectors,
                      std::string* why) {
    const auto chosen = [&](auto wanted) {
        for (std::size_t i = 0; i < arrays.size(); ++i) {
            if (arrays[i].usable && wanted(arrays[i])) return static_cast<int>(i);
        }
        return -1;
    };
    int index = -1;
    if (!vectors.empty()) {
        index = chosen([&](const PointArray& a) { return a.name == vectors; });
    } else {
        index = chosen([](const PointArray& a) { return a.active; });
        if (index < 0) index = chosen([](const PointArray&) { return true; });
    }
    if (index >= 0) return index;
    std::string found;
    for (const PointArray& a : arrays) {
        found += (found.empty() ? "" : ", ") + a.name + " (" + std::to_string(a.components) +
                 (a.components == 1 ? " component)" : " components)");
    }
    if (found.empty()) found = "none";
    *why = vectors.empty()
               ? "no vector components: no point array of two or three components; found: " + found
               : "no point array '" + vectors + "' of two or three components; found: " + found;
    return -1;
}

}  // namespace vortan::field
