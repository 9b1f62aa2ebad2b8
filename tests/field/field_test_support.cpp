#include "field_test_support.h"

#include <unistd.h>

#include <atomic>
#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>

namespace vortan::field::test {

std::string Fixture(const std::string& name) {
    return std::string(VORTAN_SOURCE_DIR) + "/tests/fixtures/fields/" + name;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

double GyreU(double x, double y) {
    return -std::sin(std::numbers::pi * x) * std::cos(std::numbers::pi * y);
}
double GyreV(double x, double y) {
    return std::cos(std::numbers::pi * x) * std::sin(std::numbers::pi * y);
}

int GyreMismatches(const VectorField& f, double tolerance, double scale) {
    if (f.u.size() != f.Nodes() || f.v.size() != f.Nodes()) return -1;
    int bad = 0;
    for (std::size_t j = 0; j < f.Ny(); ++j) {
        for (std::size_t i = 0; i < f.Nx(); ++i) {
            const std::size_t n = f.Index(i, j);
            const double du = f.u[n] - scale * GyreU(f.x[i], f.y[j]);
            const double dv = f.v[n] - scale * GyreV(f.x[i], f.y[j]);
            if (!(std::abs(du) <= tolerance && std::abs(dv) <= tolerance)) ++bad;
        }
    }
    return bad;
}

TempFile::TempFile(const std::string& bytes, const std::string& suffix) {
    static std::atomic<int> counter{0};
    m_path = std::string(VORTAN_BINARY_DIR) + "/field_test_" + std::to_string(getpid()) + "_" +
             std::to_string(counter++) + suffix;
    std::ofstream out(m_path, std::ios::binary);
    out << bytes;
}

TempFile::~TempFile() {
    std::remove(m_path.c_str());
}

}  // namespace vortan::field::test
