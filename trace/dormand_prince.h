// One step of the Dormand–Prince 5(4) embedded Runge–Kutta pair: the
// fifth-order solution, the difference to the embedded fourth-order one (the
// local error estimate) and the derivative at the new point (first stage of
// the next step: "first same as last").
#pragma once

#include <array>
#include <cstddef>

namespace vortan::trace {

template <std::size_t N>
using OdeState = std::array<double, N>;

// f(y, dy) evaluates the derivative at y into dy and returns false where it
// cannot (outside the field, a masked cell, a critical point). k1 is the
// derivative at y. On success y5 is the new state, k7 the derivative there
// and error the per-component error estimate; false when any stage failed
// (the outputs are then unspecified).
template <std::size_t N, class Derivative>
bool DormandPrinceStep(Derivative& f, const OdeState<N>& y, const OdeState<N>& k1, double h,
                       OdeState<N>& y5, OdeState<N>& k7, OdeState<N>& error) {
    constexpr double a21 = 1.0 / 5.0;
    constexpr double a31 = 3.0 / 40.0, a32 = 9.0 / 40.0;
    constexpr double a41 = 44.0 / 45.0, a42 = -56.0 / 15.0, a43 = 32.0 / 9.0;
    constexpr double a51 = 19372.0 / 6561.0, a52 = -25360.0 / 2187.0, a53 = 64448.0 / 6561.0,
                     a54 = -212.0 / 729.0;
    constexpr double a61 = 9017.0 / 3168.0, a62 = -355.0 / 33.0, a63 = 46732.0 / 5247.0,
                     a64 = 49.0 / 176.0, a65 = -5103.0 / 18656.0;
    // Fifth-order weights (also the last stage's row).
    constexpr double b1 = 35.0 / 384.0, b3 = 500.0 / 1113.0, b4 = 125.0 / 192.0,
                     b5 = -2187.0 / 6784.0, b6 = 11.0 / 84.0;
    // Fifth- minus fourth-order weights.
    constexpr double e1 = 71.0 / 57600.0, e3 = -71.0 / 16695.0, e4 = 71.0 / 1920.0,
                     e5 = -17253.0 / 339200.0, e6 = 22.0 / 525.0, e7 = -1.0 / 40.0;

    OdeState<N> k2, k3, k4, k5, k6, s;
    for (std::size_t i = 0; i < N; ++i) s[i] = y[i] + h * a21 * k1[i];
    if (!f(s, k2)) return false;
    for (std::size_t i = 0; i < N; ++i) s[i] = y[i] + h * (a31 * k1[i] + a32 * k2[i]);
    if (!f(s, k3)) return false;
    for (std::size_t i = 0; i < N; ++i) s[i] = y[i] + h * (a41 * k1[i] + a42 * k2[i] + a43 * k3[i]);
    if (!f(s, k4)) return false;
    for (std::size_t i = 0; i < N; ++i) {
        s[i] = y[i] + h * (a51 * k1[i] + a52 * k2[i] + a53 * k3[i] + a54 * k4[i]);
    }
    if (!f(s, k5)) return false;
    for (std::size_t i = 0; i < N; ++i) {
        s[i] = y[i] + h * (a61 * k1[i] + a62 * k2[i] + a63 * k3[i] + a64 * k4[i] + a65 * k5[i]);
    }
    if (!f(s, k6)) return false;
    for (std::size_t i = 0; i < N; ++i) {
        y5[i] = y[i] + h * (b1 * k1[i] + b3 * k3[i] + b4 * k4[i] + b5 * k5[i] + b6 * k6[i]);
    }
    if (!f(y5, k7)) return false;
    for (std::size_t i = 0; i < N; ++i) {
        error[i] =
            h * (e1 * k1[i] + e3 * k3[i] + e4 * k4[i] + e5 * k5[i] + e6 * k6[i] + e7 * k7[i]);
    }
    return true;
}

}  // namespace vortan::trace
