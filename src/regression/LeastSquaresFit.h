// The ordinary least-squares fit of Y on one or two regressors with a constant: the straight line
// or the plane that the breaks of a run are judged against.
#pragma once

#include <initializer_list>
#include <vector>

namespace vornax {

// The fitted values of y (n data sets) on the given regressors, in extended precision on centred
// values. A regressor that adds nothing (constant, or a copy of the other) is left out, so the
// fit is always defined. One or two regressors; none gives the average.
std::vector<long double> LeastSquaresFit(const long double* y, int n,
                                         std::initializer_list<const long double*> regressors);

}  // namespace vornax
