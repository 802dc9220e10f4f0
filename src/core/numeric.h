// SPDX-License-Identifier: MIT
#pragma once
// Number conventions shared by every layer: checked float-to-int truncation,
// the flush of tiny values that keeps recursive state free of denormals, and
// constants given by their bit patterns.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace velora {

// Values whose magnitude is below this are stored as 0 in recursive state.
inline constexpr float kFlushBelow = 1e-24f;

inline float flushTiny(float x) noexcept { return std::fabs(x) < kFlushBelow ? 0.0f : x; }

constexpr float floatFromBits(std::uint32_t bits) noexcept { return std::bit_cast<float>(bits); }
constexpr double doubleFromBits(std::uint64_t bits) noexcept { return std::bit_cast<double>(bits); }

// Rounds a set-up result to float. A finite double beyond the float range
// becomes the infinity of its sign (what IEEE rounding gives) instead of the
// undefined conversion C++ would otherwise perform.
inline float roundToFloat(double x) noexcept {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (x > kMax && x < std::numeric_limits<double>::infinity()) {
        // Values that still round down to the largest float do so.
        return x < kMax + std::ldexp(1.0, 103) ? std::numeric_limits<float>::max()
                                               : std::numeric_limits<float>::infinity();
    }
    if (x < -kMax && x > -std::numeric_limits<double>::infinity()) {
        return x > -kMax - std::ldexp(1.0, 103) ? -std::numeric_limits<float>::max()
                                                : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(x);
}

// Truncation toward zero to int32 for any input: NaN gives 0, values beyond
// the int32 range give the nearest bound. Ordinary values truncate exactly.
template <typename Real>
inline std::int32_t truncToInt(Real x) noexcept {
    if (!(x == x)) return 0;
    if (x >= Real(2147483647.0)) return std::numeric_limits<std::int32_t>::max();
    if (x <= Real(-2147483648.0)) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}

// truncToInt, then limited to [lo, hi].
template <typename Real>
inline std::int32_t truncClamped(Real x, std::int32_t lo, std::int32_t hi) noexcept {
    const std::int32_t t = truncToInt(x);
    return t < lo ? lo : (t > hi ? hi : t);
}

// Brings a phase into [0, period) the way the oscillators do: repeated
// subtraction of the period, which is exact for every ordinary value. Any
// other input terminates too: huge values are reduced with fmod (also exact),
// negative ones (only reachable through hostile parameter values) wrap from
// below, and NaN or infinity restart at 0.
inline float wrapPhase(float phase, float period) noexcept {
    if (phase >= 0.0f && phase < period) return phase;
    if (!std::isfinite(phase)) return 0.0f;
    if (phase >= period) {
        if (phase >= period * 64.0f) phase = std::fmod(phase, period);
        while (phase >= period) phase -= period;
        return phase;
    }
    phase = std::fmod(phase, period) + period;
    return phase < period ? phase : 0.0f;
}

namespace detail {
template <typename Compute>
[[gnu::noinline]] auto callOutOfLine(Compute& compute) {
    return compute();
}
}  // namespace detail

// Runs a long double computation with the x87 unit at its full 64-bit
// precision. Windows hosts commonly run with the precision control at 53
// bits (32-bit hosts by habit, 64-bit ones by the platform default), which
// silently makes long double a double and changes results such as a quarter
// note at 100 BPM (19845 samples, or one less). The computation is called
// out of line so no arithmetic moves outside the switched region.
template <typename Compute>
auto withExtendedPrecision(Compute compute) {
#if defined(__i386__) || defined(__x86_64__)
    unsigned short saved = 0;
    __asm__ __volatile__("fnstcw %0" : "=m"(saved));
    const unsigned short extended = static_cast<unsigned short>(saved | 0x0300);
    __asm__ __volatile__("fldcw %0" : : "m"(extended) : "memory");
    auto result = detail::callOutOfLine(compute);
    __asm__ __volatile__("fldcw %0" : : "m"(saved) : "memory");
    return result;
#else
    return compute();
#endif
}

}  // namespace velora
