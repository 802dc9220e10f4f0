// SPDX-License-Identifier: MIT
#pragma once
// Set-up functions whose results must not depend on the C runtime: the
// Linux and Windows builds have to derive the same coefficients bit for bit,
// and their libm's pow, log and log10 differ in the last bit now and then.
// These evaluate in double-double arithmetic (plain double operations, so
// every SSE2 build computes the same) and round once, which gives the
// correctly rounded double in all but vanishingly rare cases.

namespace velora::exact {

double sin(double x);
double log(double x);  // natural logarithm
double log10(double x);
double exp(double x);
double pow(double base, double exponent);

}  // namespace velora::exact
