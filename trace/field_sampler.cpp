#include "trace/field_sampler.h"

#include <algorithm>
#include <cmath>

namespace vortan::trace {

namespace {

// Relative difference of spacings below which an axis counts as uniform.
constexpr double kUniformTolerance = 1e-9;

bool CheckAxis(const std::vector<double>& nodes, const char* name, std::string& error) {
    if (nodes.size() < 2) {
        error = std::string("the ") + name + " axis has fewer than two nodes";
        return false;
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (!std::isfinite(nodes[i])) {
            error = std::string("the ") + name + " axis holds a value that is not a number";
            return false;
        }
        if (i > 0 && !(nodes[i] > nodes[i - 1])) {
            error = std::string("the ") + name + " axis is not strictly increasing";
            return false;
        }
    }
    if (!std::isfinite(nodes.back() - nodes.front())) {
        error = std::string("the ") + name + " axis spans more than a double can hold";
        return false;
    }
    return true;
}

}  // namespace

bool CheckField(const VectorField& field, std::string& error) {
    const std::string name = field.description.empty() ? "the field" : field.description;
    auto fail = [&](const std::string& what) {
        error = name + ": " + what;
        return false;
    };
    if (field.dimension != 2 && field.dimension != 3) {
        return fail("dimension " + std::to_string(field.dimension) + ", expected 2 or 3");
    }
    std::string what;
    if (!CheckAxis(field.x, "x", what) || !CheckAxis(field.y, "y", what)) return fail(what);
    if (field.dimension == 3 && !CheckAxis(field.z, "z", what)) return fail(what);
    if (field.dimension == 2 && field.z.size() != 1) {
        return fail("a 2-D field must have exactly one z node");
    }
    // Multiply in steps so that a huge axis cannot wrap the product around.
    const std::size_t nx = field.Nx(), ny = field.Ny(), nz = field.Nz();
    if (nx > kMaxFieldNodes || ny > kMaxFieldNodes / nx || nz > kMaxFieldNodes / (nx * ny)) {
        return fail("more than " + std::to_string(kMaxFieldNodes) + " grid nodes");
    }
    const std::size_t nodes = nx * ny * nz;
    if (field.u.size() != nodes || field.v.size() != nodes) {
        return fail("the components do not have one value per grid node");
    }
    if (field.dimension == 3 && field.w.size() != nodes) {
        return fail("the w component does not have one value per grid node");
    }
    return true;
}

GridAxis::GridAxis(const std::vector<double>& nodes) : m_data(nodes.data()), m_size(nodes.size()) {
    if (m_size < 2) return;
    m_min = nodes.front();
    m_max = nodes.back();
    const double step = (m_max - m_min) / static_cast<double>(m_size - 1);
    m_uniform = step > 0.0;
    for (std::size_t i = 1; i < m_size && m_uniform; ++i) {
        const double d = nodes[i] - nodes[i - 1];
        m_uniform = std::fabs(d - step) <= kUniformTolerance * step;
    }
    if (m_uniform) m_inverseStep = 1.0 / step;
}

bool GridAxis::LocateUneven(double c, std::size_t& cell, double& fraction) const {
    const double* above = std::upper_bound(m_data, m_data + m_size, c);
    std::size_t i = static_cast<std::size_t>(above - m_data);
    i = i == 0 ? 0 : std::min(i - 1, m_size - 2);
    cell = i;
    fraction = std::clamp((c - m_data[i]) / (m_data[i + 1] - m_data[i]), 0.0, 1.0);
    return true;
}

FieldSampler::FieldSampler(const VectorField& field)
    : m_field(field), m_x(field.x), m_y(field.y), m_z(field.z) {}

bool FieldSampler::Sample(double x, double y, double z, Velocity& out) const {
    std::size_t i = 0, j = 0, k = 0;
    double fx = 0.0, fy = 0.0, fz = 0.0;
    if (!m_x.Locate(x, i, fx) || !m_y.Locate(y, j, fy)) return false;
    const bool solid = m_field.dimension == 3;
    if (solid && !m_z.Locate(z, k, fz)) return false;

    const std::size_t nx = m_field.Nx(), ny = m_field.Ny();
    const std::size_t base = i + nx * (j + ny * k);
    const std::size_t corners[8] = {
        base,           base + 1,           base + nx,           base + nx + 1,
        base + nx * ny, base + nx * ny + 1, base + nx * ny + nx, base + nx * ny + nx + 1};
    const double wx[2] = {1.0 - fx, fx}, wy[2] = {1.0 - fy, fy}, wz[2] = {1.0 - fz, fz};
    const int count = solid ? 8 : 4;
    double u = 0.0, v = 0.0, w = 0.0;
    for (int c = 0; c < count; ++c) {
        const std::size_t n = corners[c];
        const double cu = m_field.u[n], cv = m_field.v[n];
        const double cw = solid ? m_field.w[n] : 0.0;
        // A masked corner masks the whole cell, whatever its weight.
        if (!std::isfinite(cu) || !std::isfinite(cv) || !std::isfinite(cw)) return false;
        const double weight = wx[c & 1] * wy[(c >> 1) & 1] * (solid ? wz[c >> 2] : 1.0);
        u += weight * cu;
        v += weight * cv;
        w += weight * cw;
    }
    if (!std::isfinite(u) || !std::isfinite(v) || !std::isfinite(w)) return false;
    out = {u, v, w};
    return true;
}

}  // namespace vortan::trace
