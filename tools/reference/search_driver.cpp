// Developer tool: runs the one-variable breakpoint search of the engine on one data file and
// prints what it decided with all digits, for compare.py to set beside the Python reference.
// The report printed by vornax-batch rounds CE to three digits; this does not.
//
// Input (standard input): lines "Y X" (any number of them), then the options on the command
// line: search_driver CONFIDENCE PREFER EXCLUDE   (PREFER -1 for none, EXCLUDE 0 for none).
// Built by compare.py with g++ against the libraries of a build folder.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <numeric>
#include <algorithm>
#include <vector>

#include "regression/SegmentEngine.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: search_driver CONFIDENCE PREFER EXCLUDE < data\n");
    return 2;
  }
  const int confidence = std::atoi(argv[1]);
  vornax::BreakpointSearchOptions options;
  options.PreferredType = std::atoi(argv[2]);
  options.ExcludedType = std::atoi(argv[3]);

  std::vector<long double> y, x;
  double a = 0, b = 0;
  while (std::cin >> a >> b) {
    y.push_back(a);
    x.push_back(b);
  }
  // Stable ascending order of X with Y moving along, as the analysis sorts.
  std::vector<size_t> order(x.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t i, size_t j) { return x[i] < x[j]; });
  std::vector<long double> ys, xs;
  for (size_t i : order) {
    ys.push_back(y[i]);
    xs.push_back(x[i]);
  }

  vornax::SegmentEngine engine;
  engine.ConfidenceT = confidence == 98 ? 2.5 : confidence == 95 ? 2.1 : 1.75;
  engine.Attach(ys.data(), xs.data(), static_cast<int>(xs.size()));
  engine.FindExtremes();
  if (engine.Xmax - engine.Xmin < 0.001) {
    std::printf("failed novariation\n");
    return 0;
  }
  const vornax::BreakpointSearchResult r = vornax::SearchBreakpoint(engine, options);
  std::printf("failed %s\n", r.PreferredFound ? "None" : "preferred");
  std::printf("type %d\nmethod %d\nbp %.17g\nce1 %.17g\n", r.FoundType, r.OptMethod, r.BPopt, r.CE1);
  std::printf("ce3m %.17g\nce4m %.17g\nce5m %.17g\nce2m %.17g\nce6m %.17g\n", r.CE3M, r.CE4M,
              r.CE5M, r.CE2M, r.CE6M);
  return 0;
}
