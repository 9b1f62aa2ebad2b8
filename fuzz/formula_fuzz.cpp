// Input "formula|domain|grid": the formula and domain are sampled on a small
// grid (a large one would only measure muparser's speed); the grid text is
// parsed on its own.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "field/formula_field.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t a = input.find('|');
    const std::size_t b = a == std::string::npos ? std::string::npos : input.find('|', a + 1);
    const std::string formula = input.substr(0, a);
    const std::string domain = a == std::string::npos ? "0:1,0:1" : input.substr(a + 1, b - a - 1);
    const std::string grid = b == std::string::npos ? "" : input.substr(b + 1);

    std::size_t commas = 0;
    for (char c : domain) commas += c == ',';
    const vortan::field::FieldResult r =
        vortan::field::SampleFormula(formula, domain, commas == 2 ? "4x3x3" : "7x5");
    if (r.ok && (r.field.u.size() != r.field.Nodes() || r.field.v.size() != r.field.Nodes()))
        __builtin_trap();
    if (!r.ok && r.error.rfind("formula: ", 0) != 0) __builtin_trap();

    std::array<std::size_t, 3> nodes{};
    std::string error;
    for (int dimension : {2, 3}) {
        if (vortan::field::ParseGridSpec(grid, dimension, &nodes, &error) &&
            (nodes[0] < 2 || nodes[1] < 2 || (dimension == 3 && nodes[2] < 2)))
            __builtin_trap();
    }
    return 0;
}
