// SPDX-License-Identifier: MIT
#include "core/exact_math.h"

#include <cmath>
#include <limits>

namespace velora::exact {

namespace {

// A value hi + lo with |lo| <= ulp(hi) / 2.
struct DD {
    double hi;
    double lo;
};

DD twoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    const double e = (a - (s - bb)) + (b - bb);
    return {s, e};
}

DD quickTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// Exact product by Dekker's splitting (no fused multiply-add is used).
DD twoProd(double a, double b) {
    constexpr double kSplit = 134217729.0;  // 2^27 + 1
    const double p = a * b;
    const double ta = kSplit * a;
    const double ah = ta - (ta - a), al = a - ah;
    const double tb = kSplit * b;
    const double bh = tb - (tb - b), bl = b - bh;
    const double e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
    return {p, e};
}

DD add(DD a, DD b) {
    DD s = twoSum(a.hi, b.hi);
    DD t = twoSum(a.lo, b.lo);
    s.lo += t.hi;
    s = quickTwoSum(s.hi, s.lo);
    s.lo += t.lo;
    return quickTwoSum(s.hi, s.lo);
}

DD mul(DD a, DD b) {
    DD p = twoProd(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return quickTwoSum(p.hi, p.lo);
}

DD mul(DD a, double b) {
    DD p = twoProd(a.hi, b);
    p.lo += a.lo * b;
    return quickTwoSum(p.hi, p.lo);
}

DD div(DD a, DD b) {
    const double q1 = a.hi / b.hi;
    DD r = add(a, mul(b, -q1));
    const double q2 = r.hi / b.hi;
    r = add(r, mul(b, -q2));
    const double q3 = r.hi / b.hi;
    return add(quickTwoSum(q1, q2), DD{q3, 0.0});
}

constexpr DD kHalfPi{1.5707963267948966, 6.123233995736766e-17};
constexpr DD kLn2{0.6931471805599453, 2.3190468138462996e-17};
constexpr DD kLn10{2.302585092994046, -2.1707562233822494e-16};

// ln(x) for finite x > 0: x = m 2^e with m near 1, ln(m) = 2 atanh(s),
// s = (m - 1) / (m + 1), summed until the terms vanish.
DD logDD(double x) {
    int e = 0;
    double m = std::frexp(x, &e);  // m in [0.5, 1)
    if (m < 0.7071067811865476) {
        m *= 2.0;
        --e;
    }
    const DD s = div(DD{m - 1.0, 0.0}, DD{m + 1.0, 0.0});
    const DD s2 = mul(s, s);
    DD term = s;
    DD sum = s;
    for (int k = 3; k < 80; k += 2) {
        term = mul(term, s2);
        const DD next = div(term, DD{static_cast<double>(k), 0.0});
        if (std::fabs(next.hi) < 1e-36 * std::fabs(sum.hi) || next.hi == 0.0) break;
        sum = add(sum, next);
    }
    return add(mul(sum, 2.0), mul(kLn2, static_cast<double>(e)));
}

// e^y for a double-double y of moderate size: y = n ln2 + r, r / 2^10 by
// its series, then squared back.
double expDD(DD y) {
    if (y.hi > 709.8) return std::numeric_limits<double>::infinity();
    if (y.hi < -745.2) return 0.0;
    const double n = std::nearbyint(y.hi / kLn2.hi);
    DD r = add(y, mul(kLn2, -n));
    r = mul(r, 1.0 / 1024.0);
    DD term{1.0, 0.0};
    DD sum{1.0, 0.0};
    for (int k = 1; k < 30; ++k) {
        term = div(mul(term, r), DD{static_cast<double>(k), 0.0});
        if (term.hi == 0.0 || std::fabs(term.hi) < 1e-36) break;
        sum = add(sum, term);
    }
    for (int i = 0; i < 10; ++i) sum = mul(sum, sum);
    return std::ldexp(sum.hi + sum.lo, static_cast<int>(n));
}

// Taylor series of sin (odd = true) or cos around 0, for |r| <= pi/4.
DD sinCosSeries(DD r, bool odd) {
    const DD r2 = mul(r, r);
    DD term = odd ? r : DD{1.0, 0.0};
    DD sum = term;
    for (int k = odd ? 2 : 1; k < 60; ++k) {
        const double n =
            odd ? static_cast<double>((2 * k - 2) * (2 * k - 1)) : static_cast<double>((2 * k - 1) * (2 * k));
        term = div(mul(term, r2), DD{-n, 0.0});
        if (term.hi == 0.0 || std::fabs(term.hi) < 1e-36) break;
        sum = add(sum, term);
    }
    return sum;
}

}  // namespace

double sin(double x) {
    if (!std::isfinite(x) || std::fabs(x) > 1e6) return std::sin(x);
    const double quadrant = std::nearbyint(x / kHalfPi.hi);
    const DD r = add(DD{x, 0.0}, mul(kHalfPi, -quadrant));
    const long q = static_cast<long>(quadrant) & 3;
    const DD v = sinCosSeries(r, q == 0 || q == 2);
    const double result = v.hi + v.lo;
    return q >= 2 ? -result : result;
}

double log(double x) {
    if (!(x > 0.0) || !std::isfinite(x)) return std::log(x);  // special values are the same everywhere
    const DD l = logDD(x);
    return l.hi + l.lo;
}

double log10(double x) {
    if (!(x > 0.0) || !std::isfinite(x)) return std::log10(x);
    const DD l = div(logDD(x), kLn10);
    return l.hi + l.lo;
}

double exp(double x) {
    if (!std::isfinite(x)) return std::exp(x);
    return expDD(DD{x, 0.0});
}

double pow(double base, double exponent) {
    if (exponent == 0.0 || base == 1.0) return 1.0;
    if (!(base > 0.0) || !std::isfinite(base) || !std::isfinite(exponent)) return std::pow(base, exponent);
    return expDD(mul(logDD(base), exponent));
}

}  // namespace velora::exact
