// vortan-flowgen: integrates a model flow with fourth-order Runge-Kutta and
// writes a streamline file for Vortan: the eleven header numbers, then one
// record per streamline in the list syntax Mathematica prints for NDSolve
// solutions, {{x -> InterpolatingFunction[...], y -> ...}}.
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tools/cli_support.h"
#include "view/streamline_writer.h"

namespace {

using Vec = std::array<double, 3>;
using Field = std::function<Vec(const Vec&)>;

constexpr double kPi = 3.14159265358979323846;

const char* const kDescription =
    "Integrates FLOW (fourth-order Runge-Kutta) from a fixed set of seeds and\n"
    "writes a Vortan streamline file to FILE (standard output without -o).\n"
    "\n"
    "Flows:\n"
    "  double-gyre  2-D: u = -pi A sin(pi x) cos(pi y), v = pi A cos(pi x) sin(pi y),\n"
    "               A = 0.1, on [0, 2] x [0, 1]: two counter-rotating cells\n"
    "  lorenz       3-D: the Lorenz system (sigma 10, rho 28, beta 8/3), short\n"
    "               pieces of one long trajectory on the attractor\n";

// A small deterministic generator, so that the examples are reproducible.
class Lcg {
  public:
    explicit Lcg(std::uint64_t seed) : m_state(seed) {}
    double Uniform() {  // [0, 1)
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(m_state >> 11) * (1.0 / 9007199254740992.0);
    }

  private:
    std::uint64_t m_state;
};

Vec Add(const Vec& a, const Vec& b, double s) {
    return {a[0] + s * b[0], a[1] + s * b[1], a[2] + s * b[2]};
}

Vec Rk4Step(const Field& f, const Vec& p, double h) {
    const Vec k1 = f(p);
    const Vec k2 = f(Add(p, k1, h / 2));
    const Vec k3 = f(Add(p, k2, h / 2));
    const Vec k4 = f(Add(p, k3, h));
    Vec out;
    for (int i = 0; i < 3; ++i) out[i] = p[i] + h / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
    return out;
}

struct Streamline {
    std::vector<double> t;
    std::vector<Vec> p;  // position at each knot
    std::vector<Vec> v;  // velocity at each knot
};

// Integrates from seed for time T with `substeps` RK4 steps between knots.
Streamline Integrate(const Field& f, Vec seed, double T, int knots, int substeps) {
    Streamline s;
    const double h = T / knots / substeps;
    Vec p = seed;
    for (int k = 0; k <= knots; ++k) {
        s.t.push_back(T * k / knots);
        s.p.push_back(p);
        s.v.push_back(f(p));
        if (k == knots) break;
        for (int i = 0; i < substeps; ++i) p = Rk4Step(f, p, h);
    }
    return s;
}

struct Flow {
    int width, height, dimension;
    double T;
    std::array<double, 6> ranges;  // xMin, xMax, yMin, yMax, zMin, zMax
    int decimals;
    std::vector<Streamline> lines;
};

Flow DoubleGyre() {
    const double A = 0.1;
    const Field f = [A](const Vec& p) -> Vec {
        return {-kPi * A * std::sin(kPi * p[0]) * std::cos(kPi * p[1]),
                kPi * A * std::cos(kPi * p[0]) * std::sin(kPi * p[1]), 0.0};
    };
    Flow flow{640, 320, 2, 1.6, {0.0, 2.0, 0.0, 1.0, 0.0, 0.0}, 5, {}};
    // Jittered seeds over the whole box: 30 across, 15 up.
    Lcg rng(20260101);
    const int nx = 30, ny = 15;
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            const double x = (i + 0.15 + 0.7 * rng.Uniform()) * 2.0 / nx;
            const double y = (j + 0.15 + 0.7 * rng.Uniform()) * 1.0 / ny;
            flow.lines.push_back(Integrate(f, {x, y, 0.0}, flow.T, 32, 8));
        }
    }
    return flow;
}

Flow Lorenz() {
    const double sigma = 10.0, rho = 28.0, beta = 8.0 / 3.0;
    const Field f = [=](const Vec& p) -> Vec {
        return {sigma * (p[1] - p[0]), p[0] * (rho - p[2]) - p[1], p[0] * p[1] - beta * p[2]};
    };
    Flow flow{640, 480, 3, 0.12, {-22.0, 22.0, -30.0, 30.0, 0.0, 52.0}, 4, {}};
    // Settle onto the attractor, then cut one long trajectory into pieces.
    Vec p{1.0, 1.0, 1.0};
    for (int i = 0; i < 20000; ++i) p = Rk4Step(f, p, 0.001);
    const int pieces = 300;
    for (int n = 0; n < pieces; ++n) {
        flow.lines.push_back(Integrate(f, p, flow.T, 30, 8));
        // Move on along the attractor before the next seed.
        for (int i = 0; i < 173; ++i) p = Rk4Step(f, p, 0.001);
    }
    return flow;
}

// v rounded to `decimals` places, so that the examples stay short.
double Rounded(double v, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(v * scale) / scale;
}

vortan::StreamlineHeader Header(const Flow& flow) {
    vortan::StreamlineHeader h;
    h.imageWidth = static_cast<float>(flow.width);
    h.imageHeight = static_cast<float>(flow.height);
    h.dimension = static_cast<float>(flow.dimension);
    h.tMax = static_cast<float>(flow.T);
    h.progressStep = static_cast<float>(100.0 / static_cast<double>(flow.lines.size()));
    float* const ranges[] = {&h.xMin, &h.xMax, &h.yMin, &h.yMax, &h.zMin, &h.zMax};
    for (std::size_t k = 0; k < 6; ++k) *ranges[k] = static_cast<float>(flow.ranges[k]);
    return h;
}

// The knots of one streamline: t to six places, positions and velocities
// to the flow's decimals.
std::vector<vortan::StreamlinePoint> Points(const Streamline& s, int decimals) {
    std::vector<vortan::StreamlinePoint> points;
    for (std::size_t k = 0; k < s.t.size(); ++k) {
        const auto r = [decimals](double v) { return Rounded(v, decimals); };
        points.push_back({Rounded(s.t[k], 6), r(s.p[k][0]), r(s.p[k][1]), r(s.p[k][2]),
                          r(s.v[k][0]), r(s.v[k][1]), r(s.v[k][2])});
    }
    return points;
}

// Writes the file to path, or to standard output when path is empty.
bool WriteFlow(const Flow& flow, const std::string& path, std::string& error) {
    const vortan::StreamlineHeader header = Header(flow);
    if (!path.empty()) {
        vortan::StreamlineWriter writer;
        bool ok = writer.Open(path, header);
        for (const auto& s : flow.lines) {
            if (ok) ok = writer.Write(Points(s, flow.decimals));
        }
        if (ok && writer.Commit()) return true;
        writer.Abandon();
        error = writer.Error();
        return false;
    }
    std::string text = vortan::FormatStreamlineHeader(header);
    for (const auto& s : flow.lines) {
        const auto points = Points(s, flow.decimals);
        const std::string why = vortan::CheckStreamlinePoints(points, flow.dimension);
        if (!why.empty()) {
            error = "Cannot write a streamline: " + why + ".";
            return false;
        }
        text += vortan::FormatStreamlineRecord(points, flow.dimension);
    }
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        error = std::string("Cannot write to standard output: ") + std::strerror(errno) + ".";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string flowName, output;
    CLI::App app(kDescription, "vortan-flowgen");
    vortan::cli::Prepare(app);
    app.add_option("FLOW", flowName, "double-gyre or lorenz")
        ->required()
        ->check(CLI::IsMember({"double-gyre", "lorenz"}));
    app.add_option("-o,--output", output, "the file to write (default: standard output)")
        ->type_name("FILE")
        ->check(vortan::cli::TextCheck([](const std::string& v) { return !v.empty(); },
                                       "needs a file name"));
    if (const int status = vortan::cli::Parse(app, argc, argv); status >= 0) return status;
    const Flow flow = flowName == "lorenz" ? Lorenz() : DoubleGyre();
    std::string error;
    if (!WriteFlow(flow, output, error)) {
        std::fprintf(stderr, "vortan-flowgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
