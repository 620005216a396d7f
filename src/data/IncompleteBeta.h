// The regularized incomplete beta function, on which the F and t distributions' probabilities
// rest (the ANOVA's significance, the likelihood interval's F quantile, the broken line's tests).
#pragma once

namespace vornax {

// I_w(a, b). 1 - w is passed as well, so that a caller who has it without a subtraction (an F
// value's nu2 / (nu1 F + nu2)) keeps its digits. Continued fraction (modified Lentz) in extended
// precision, to the last bit of a double.
long double RegularizedBeta(long double a, long double b, long double w, long double oneMinusW);

// I_x(a, b) for a double x.
double IncompleteBeta(double a, double b, double x);

}  // namespace vornax
