// The one-variable breakpoint search: the single line first, then types 3, 4, 5, 2 and 6 over
// 100 equally spaced candidates, each type having to beat the running threshold left by the
// types before it.
#include <array>

#include "regression/SegmentEngine.h"

namespace vornax {

namespace {

class Search {
 public:
  Search(SegmentEngine& engine, const BreakpointSearchOptions& options)
      : engine_(engine), options_(options),
        candidates_(MakeBreakpointCandidates(engine.Xmin, engine.Xmax)) {}

  BreakpointSearchResult Run() {
    BreakpointSearchResult& r = result_;
    // The single line; the method plays no part in it.
    double bp = engine_.Xmin, ce = 0;
    int code = kTypeSingle;
    engine_.EvaluateBreakpoint(bp, ce, code, engine_.OptMethod);
    r.CE1 = ce;
    r.CEopt = ce;
    r.TypeCE[kTypeSingle] = ce;
    r.BPopt = engine_.Xmin;
    r.FoundType = kTypeSingle;

    if (options_.PreferredType != kTypeSingle) SearchTypes();

    r.OptMethod = engine_.OptMethod;
    const int wanted = options_.PreferredType >= 0 ? options_.PreferredType : r.FoundType;
    r.PreferredFound = r.FoundType == wanted;
    return r;
  }

 private:
  bool Preferred(int type) const { return options_.PreferredType == type; }
  bool Excluded(int type) const { return options_.ExcludedType == type; }

  void Pass(int type, int method, double& best) {
    if (SearchPass(engine_, candidates_, type, method, best, result_.BPopt,
                   &result_.TypeCE[static_cast<size_t>(type)])) {
      result_.CEopt = best;
      result_.FoundType = type;
      if (type != kType5 && type != kType6) engine_.OptMethod = method;
    }
  }

  void SearchTypes() {
    BreakpointSearchResult& r = result_;
    double h = 0;
    // When a type is excluded its maximum passes the previous one on and the threshold stays as
    // it is, so that excluding a type never undoes the higher bar of a preferred one.
    if (Excluded(kType3)) {
      r.CE3M = r.CE1;
      h = r.CE3M;
    } else {
      r.CE3M = r.CE1;
      Pass(kType3, 1, r.CE3M);
      Pass(kType3, 2, r.CE3M);
      h = Preferred(kType3) ? 1.5 * r.CE3M : r.CE3M;
    }

    if (Excluded(kType4)) {
      r.CE4M = r.CE3M;
    } else {
      r.CE4M = h;
      Pass(kType4, 1, r.CE4M);
      Pass(kType4, 2, r.CE4M);
      h = Preferred(kType4) ? 1.5 * r.CE4M : r.CE4M;
    }
    if (Preferred(kType5)) h = r.CE1;

    if (Excluded(kType5)) {
      r.CE5M = r.CE4M;
    } else {
      r.CE5M = h;
      Pass(kType5, 0, r.CE5M);
      h = Preferred(kType5) ? 1.5 * r.CE5M : r.CE5M;
    }

    if (Excluded(kType2)) {
      r.CE2M = r.CE5M;
    } else {
      r.CE2M = h;
      Pass(kType2, 1, r.CE2M);
      Pass(kType2, 2, r.CE2M);
      h = Preferred(kType2) ? 1.2 * r.CE2M : r.CE2M;
    }
    // Type 6 must beat the best so far by 10 %, unless it is the one preferred.
    h = Preferred(kType6) ? r.CE1 : 1.1 * h;

    if (!Excluded(kType6)) {
      r.CE6M = h;
      Pass(kType6, 0, r.CE6M);
    }
  }

  SegmentEngine& engine_;
  const BreakpointSearchOptions& options_;
  BreakpointCandidates candidates_;
  BreakpointSearchResult result_;
};

}  // namespace

BreakpointCandidates MakeBreakpointCandidates(double xmin, double xmax) {
  BreakpointCandidates candidates{};
  const double step = (xmax - xmin) / kBreakpointCandidates;
  for (int k = 0; k < kBreakpointCandidates; ++k) candidates[static_cast<size_t>(k)] = xmin + k * step;
  return candidates;
}

bool SearchPass(SegmentEngine& engine, BreakpointCandidates& candidates, int type, int method,
                double& best, double& bestBP, double* typeBest) {
  const bool searchCode = type == kType2 || type == kType6;
  bool accepted = false;
  for (double& candidate : candidates) {
    int code = type == kType2 ? kSearchType2 : type == kType6 ? kSearchType6 : type;
    double ce = 0;
    // A candidate that falls back is moved to Xmin here and stays there for later passes.
    engine.EvaluateBreakpoint(candidate, ce, code, method);
    const bool valid = searchCode ? code == type : candidate > engine.Xmin;
    if (valid && typeBest != nullptr && ce > *typeBest) *typeBest = ce;
    if (ce > best && valid) {
      best = ce;
      bestBP = candidate;
      accepted = true;
    }
  }
  return accepted;
}

BreakpointSearchResult SearchBreakpoint(SegmentEngine& engine,
                                        const BreakpointSearchOptions& options) {
  return Search(engine, options).Run();
}

}  // namespace vornax
