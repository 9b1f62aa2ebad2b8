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

namespace {

using Vec = std::array<double, 3>;
using Field = std::function<Vec(const Vec&)>;

constexpr double kPi = 3.14159265358979323846;

const char* const kHelp =
    "Usage: vortan-flowgen FLOW [-o FILE]\n"
    "\n"
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

// A real number as Mathematica's InputForm prints a machine real of that
// value rounded to `decimals` places: "0.", "1.25", "-3.5" (never an exponent).
std::string MathReal(double v, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    std::string s = text;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (s == "-0.") s = "0.";
    return s;
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

// One coordinate's InterpolatingFunction: domain, a fixed second group, the
// parameter list and the value list {{value, derivative}, ...}.
void AppendFunction(std::string& out, const char* name, const Streamline& s, int axis, double T,
                    int decimals) {
    out += name;
    out += " -> InterpolatingFunction[{{0., " + MathReal(T, 6) + "}}, {3, 1, 0, 0}, {{";
    for (std::size_t k = 0; k < s.t.size(); ++k) {
        if (k) out += ", ";
        out += MathReal(s.t[k], 6);
    }
    out += "}}, {";
    for (std::size_t k = 0; k < s.p.size(); ++k) {
        if (k) out += ", ";
        out +=
            "{" + MathReal(s.p[k][axis], decimals) + ", " + MathReal(s.v[k][axis], decimals) + "}";
    }
    out += "}]";
}

std::string Record(const Streamline& s, int dimension, double T, int decimals) {
    std::string out = "{{";
    AppendFunction(out, "x", s, 0, T, decimals);
    out += ", ";
    AppendFunction(out, "y", s, 1, T, decimals);
    if (dimension == 3) {
        out += ", ";
        AppendFunction(out, "z", s, 2, T, decimals);
    }
    out += "}}\n";
    return out;
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

std::string StreamlineFileText(const Flow& flow) {
    std::string out;
    const double step = 100.0 / static_cast<double>(flow.lines.size());
    const double header[11] = {static_cast<double>(flow.width),
                               static_cast<double>(flow.height),
                               static_cast<double>(flow.dimension),
                               flow.T,
                               step,
                               flow.ranges[0],
                               flow.ranges[1],
                               flow.ranges[2],
                               flow.ranges[3],
                               flow.ranges[4],
                               flow.ranges[5]};
    for (double v : header) out += MathReal(v, 6) + "\n";
    for (const auto& s : flow.lines) out += Record(s, flow.dimension, flow.T, flow.decimals);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::string flowName, output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "-o" && i + 1 < argc) {
            output = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && flowName.empty()) {
            flowName = arg;
        } else {
            std::fprintf(stderr, "vortan-flowgen: unexpected argument '%s'\n%s", arg.c_str(),
                         kHelp);
            return 2;
        }
    }
    Flow flow;
    if (flowName == "double-gyre") {
        flow = DoubleGyre();
    } else if (flowName == "lorenz") {
        flow = Lorenz();
    } else {
        std::fprintf(stderr, "vortan-flowgen: unknown flow '%s'\n%s", flowName.c_str(), kHelp);
        return 2;
    }
    const std::string text = StreamlineFileText(flow);
    // Every record must be one the reader takes: over 200 characters, ending "}}]}}".
    std::size_t start = 0;
    int lines = 0;
    for (std::size_t nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n', start)) {
        if (++lines > 11) {
            const std::string record = text.substr(start, nl - start + 1);
            if (record.size() <= 200 || record.compare(record.size() - 6, 5, "}}]}}") != 0) {
                std::fprintf(stderr, "vortan-flowgen: internal error: bad record %d\n", lines - 11);
                return 1;
            }
        }
        start = nl + 1;
    }
    std::FILE* out = output.empty() ? stdout : std::fopen(output.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "vortan-flowgen: cannot create %s: %s\n", output.c_str(),
                     std::strerror(errno));
        return 1;
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const bool closed = out == stdout ? std::fflush(out) == 0 : std::fclose(out) == 0;
    if (!ok || !closed) {
        std::fprintf(stderr, "vortan-flowgen: cannot write %s\n",
                     output.empty() ? "standard output" : output.c_str());
        return 1;
    }
    return 0;
}
