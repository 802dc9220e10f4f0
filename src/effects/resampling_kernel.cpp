// SPDX-License-Identifier: MIT
#include "effects/resampling_kernel.h"

#include <algorithm>
#include <cmath>

#include "core/exact_math.h"

namespace velora::effects {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kPassBandHz = 20000.0;

// Modified Bessel function of the first kind, order 0, by its power series.
double besselI0(double x) {
    const double q = 0.25 * x * x;
    double term = 1.0, sum = 1.0;
    for (int k = 1; k < 200 && term > 1e-21 * sum; ++k) {
        term *= q / (double(k) * double(k));
        sum += term;
    }
    return sum;
}

double sinc(double x) { return x == 0.0 ? 1.0 : exact::sin(kPi * x) / (kPi * x); }

}  // namespace

ResamplingKernel designKernel(double inputRate, double outputRate, int phases) {
    // Band edges in cycles per input sample.
    const double scale = std::min(1.0, outputRate / inputRate);
    const double stop = 0.5 * scale, pass = std::min(kPassBandHz / inputRate, 0.5) * scale;
    const double cutoff = 0.5 * (pass + stop), transition = stop - pass;
    // Kaiser's estimates of the window shape and length for the attenuation.
    const double beta = 0.1102 * (kStopBandDecibels - 8.7);
    const double length = (kStopBandDecibels - 7.95) / (2.285 * 2.0 * kPi * transition);
    ResamplingKernel kernel;
    kernel.taps = (static_cast<int>(std::ceil(length)) + 3) / 4 * 4;
    const int taps = kernel.taps;
    const double half = 0.5 * taps, normaliser = 1.0 / besselI0(beta);
    kernel.phases = phases;
    kernel.rows.resize(static_cast<std::size_t>(phases + 1) * taps);
    for (int p = 0; p <= phases; ++p) {
        const double fraction = double(p) / phases;
        for (int k = 0; k < taps; ++k) {
            // Distance from the output instant to the input this tap weighs.
            const double tau = fraction + double(taps - 1 - k) - half;
            const double r = tau / half,
                         window = r * r < 1.0 ? besselI0(beta * std::sqrt(1.0 - r * r)) * normaliser : 0.0;
            kernel.rows[static_cast<std::size_t>(p) * taps + k] =
                static_cast<float>(2.0 * cutoff * sinc(2.0 * cutoff * tau) * window);
        }
    }
    return kernel;
}

}  // namespace velora::effects
