// Developer tool: runs the one-variable breakpoint search of the engine on one data file and
// prints what it decided with all digits, for compare.py to set beside the Python reference.
// The report printed by vornax-batch rounds CE to three digits; this does not.
//
// Input (standard input): lines "Y X" (any number of them), then the options on the command
// line: search_driver CONFIDENCE PREFER EXCLUDE   (PREFER -1 for none, EXCLUDE 0 for none).
// Built by compare.py with g++ against the libraries of a build folder.
//
// The search runs twice on the data, the second time carrying the first one's slope errors, both
// from the closed form (as the program runs it) and passing over the data for every candidate;
// "closedform same" says that the two chose alike and left every number equal to the last bit.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

  const double t = confidence == 98 ? 2.5 : confidence == 95 ? 2.1 : 1.75;
  vornax::SegmentEngine engine, slow;
  engine.ConfidenceT = slow.ConfidenceT = t;
  engine.Attach(ys.data(), xs.data(), static_cast<int>(xs.size()));
  slow.Attach(ys.data(), xs.data(), static_cast<int>(xs.size()));
  slow.ClosedFormSearch = false;
  engine.FindExtremes();
  slow.FindExtremes();
  if (engine.Xmax - engine.Xmin < 0.001) {
    std::printf("failed novariation\nclosedform same\n");
    return 0;
  }
  const vornax::BreakpointSearchResult r = vornax::SearchBreakpoint(engine, options);
  const vornax::BreakpointSearchResult q = vornax::SearchBreakpoint(slow, options);
  std::printf("failed %s\n", r.PreferredFound ? "None" : "preferred");
  std::printf("type %d\nmethod %d\nbp %.17g\nce1 %.17g\n", r.FoundType, r.OptMethod, r.BPopt, r.CE1);
  std::printf("ce3m %.17g\nce4m %.17g\nce5m %.17g\nce2m %.17g\nce6m %.17g\n", r.CE3M, r.CE4M,
              r.CE5M, r.CE2M, r.CE6M);

  // Everything both ways, bit for bit.
  std::vector<std::string> differ;
  auto same = [&](const char* what, double a, double b) {
    if (std::memcmp(&a, &b, sizeof a) != 0) {
      char text[160];
      std::snprintf(text, sizeof text, "%s %.17g/%.17g", what, a, b);
      differ.emplace_back(text);
    }
  };
  auto results = [&](const vornax::BreakpointSearchResult& a, const vornax::BreakpointSearchResult& b) {
    same("FoundType", a.FoundType, b.FoundType);
    same("OptMethod", a.OptMethod, b.OptMethod);
    same("PreferredFound", a.PreferredFound, b.PreferredFound);
    same("BPopt", a.BPopt, b.BPopt);
    same("CE1", a.CE1, b.CE1);
    same("CE3M", a.CE3M, b.CE3M);
    same("CE4M", a.CE4M, b.CE4M);
    same("CE5M", a.CE5M, b.CE5M);
    same("CE2M", a.CE2M, b.CE2M);
    same("CE6M", a.CE6M, b.CE6M);
    same("CEopt", a.CEopt, b.CEopt);
    for (int i = 1; i <= 6; ++i) same("TypeCE", a.TypeCE[i], b.TypeCE[i]);
  };
  auto state = [&](const vornax::SegmentEngine& a, const vornax::SegmentEngine& b) {
    for (int s = 1; s <= 2; ++s) {
      same("Slope", a.Slope[s], b.Slope[s]);
      same("AnchorX", a.AnchorX[s], b.AnchorX[s]);
      same("AnchorY", a.AnchorY[s], b.AnchorY[s]);
      same("SSDFinal", a.SSDFinal[s], b.SSDFinal[s]);
      same("SERC", a.SERC[s], b.SERC[s]);
      same("VarRC", a.VarRC[s], b.VarRC[s]);
    }
    same("SEBP", a.SEBP, b.SEBP);
    same("SESlope", a.SESlope, b.SESlope);
    same("XavAll", a.XavAll, b.XavAll);
    same("VarRatioTerm", a.VarRatioTerm, b.VarRatioTerm);
    same("InterceptDiff", a.InterceptDiff, b.InterceptDiff);
    same("InvSlopeDiffSq", a.InvSlopeDiffSq, b.InvSlopeDiffSq);
    same("VarC1", a.VarC1, b.VarC1);
    same("VarC2", a.VarC2, b.VarC2);
    same("TotalSxx", static_cast<double>(a.TotalSxx), static_cast<double>(b.TotalSxx));
    same("SDYbp", a.SDYbp, b.SDYbp);
    same("SSDt", a.SSDt, b.SSDt);
    same("SEDiffSlopes", a.SEDiffSlopes, b.SEDiffSlopes);
    same("M1", a.M1, b.M1);
    same("M2", a.M2, b.M2);
    same("U1", a.U1, b.U1);
    same("U2", a.U2, b.U2);
    same("SRYsqT", static_cast<double>(a.SRYsqT), static_cast<double>(b.SRYsqT));
    same("OptMethod", a.OptMethod, b.OptMethod);
  };
  results(r, q);
  state(engine, slow);
  // Again, from the slope errors and method the first search left.
  const vornax::BreakpointSearchResult r2 = vornax::SearchBreakpoint(engine, options);
  const vornax::BreakpointSearchResult q2 = vornax::SearchBreakpoint(slow, options);
  results(r2, q2);
  state(engine, slow);
  if (differ.empty()) {
    std::printf("closedform same\n");
  } else {
    std::string all;
    for (const std::string& d : differ) all += d + "; ";
    std::printf("closedform %s\n", all.c_str());
  }
  return 0;
}
