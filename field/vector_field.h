// A velocity field sampled at the nodes of a rectilinear grid (uniform or
// with varying spacing), in two or three dimensions: what every field reader
// produces and what the tracer integrates.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vortan::field {

// Most grid nodes a field may have (about 24 bytes a node in 3-D): larger
// fields are refused with a message instead of exhausting memory.
inline constexpr std::size_t kMaxFieldNodes = 64u * 1024u * 1024u;

struct VectorField {
    int dimension = 2;  // 2 or 3
    // Node coordinates along each axis, strictly increasing, at least two
    // each; z holds the single value 0 in 2-D.
    std::vector<double> x, y, z;
    // Components at the nodes, x varying fastest: node (i, j, k) is element
    // i + nx * (j + ny * k). A NaN in any component masks the node. w is
    // empty in 2-D.
    std::vector<double> u, v, w;
    // Where the field came from and which components were used, for messages
    // and the page's caption ("u, v of ocean.nc").
    std::string description;

    std::size_t Nx() const { return x.size(); }
    std::size_t Ny() const { return y.size(); }
    std::size_t Nz() const { return z.size(); }
    std::size_t Nodes() const { return Nx() * Ny() * Nz(); }
    std::size_t Index(std::size_t i, std::size_t j, std::size_t k = 0) const {
        return i + Nx() * (j + Ny() * k);
    }
};

// The outcome of reading a field: on failure, field is empty and error is a
// whole sentence naming the file and what was found ("ocean.nc: no velocity
// components; variables present: temp, salt, lon, lat").
struct FieldResult {
    bool ok = false;
    VectorField field;
    std::string error;
};

}  // namespace vortan::field
