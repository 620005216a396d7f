// The one-variable breakpoint search: the single line first, then types 3, 4, 5, 2 and 6 over
// 100 equally spaced candidates (or those within a range, or a breakpoint fixed by the user),
// each type having to beat the running threshold left by the types before it.
#include <array>
#include <vector>

#include "regression/SegmentEngine.h"

namespace vornax {

namespace {

using CandidateCE = SegmentEngine::CandidateCE;

class Search {
 public:
  Search(SegmentEngine& engine, const BreakpointSearchOptions& options)
      : engine_(engine), options_(options),
        candidates_(SearchCandidates(engine.Xmin, engine.Xmax, options)) {}

  BreakpointSearchResult Run() {
    BreakpointSearchResult& r = result_;
    // The single line; the method plays no part in it.
    double bp = engine_.Xmin, ce = 0;
    int code = kTypeSingle;
    engine_.EvaluateBreakpoint(bp, ce, code, engine_.OptMethod);
    r.CE1 = ce;
    r.TypeCE[kTypeSingle] = ce;
    r.BPopt = engine_.Xmin;
    r.FoundType = kTypeSingle;
    ceOpt_ = CandidateCE::Of(ce);

    if (options_.StatisticOnly) {
      engine_.DecisionsOnly = true;
      skim_ = engine_.TypeCeilings(candidates_, ceilings_);
      if (options_.PreferredType != kTypeSingle) SearchTypes();
      engine_.DecisionsOnly = false;
      r.CEopt = Exact(ceOpt_);
      r.OptMethod = engine_.OptMethod;
      r.PreferredFound = PreferredFound();
      return r;
    }
    if (options_.PreferredType != kTypeSingle) SearchTypes();

    // What the closed form found, as the pass gives it; then the engine as the pass leaves it.
    r.CE3M = Exact(ce3m_);
    r.CE4M = Exact(ce4m_);
    r.CE5M = Exact(ce5m_);
    r.CE2M = Exact(ce2m_);
    r.CE6M = Exact(ce6m_);
    for (int type = kType2; type <= kType6; ++type)
      r.TypeCE[static_cast<size_t>(type)] = Exact(typeCE_[static_cast<size_t>(type)]);
    r.CEopt = Exact(ceOpt_);
    engine_.Settle();

    r.OptMethod = engine_.OptMethod;
    r.PreferredFound = PreferredFound();
    return r;
  }

 private:
  bool PreferredFound() const {
    return options_.PreferredType < 0 || result_.FoundType == options_.PreferredType;
  }
  bool Preferred(int type) const { return options_.PreferredType == type; }
  bool Excluded(int type) const { return options_.ExcludedType == type; }

  // The exact value; a candidate already made exact under the same lines gives its value on.
  double Exact(CandidateCE& c) {
    if (!c.Exact) {
      for (const CandidateCE* known : exact_) {
        if (Same(*known, c)) {
          c = *known;
          return c.Value;
        }
      }
    }
    const double value = engine_.ExactValue(c);
    if (c.Recorded && c.FactorCount == 0) exact_.push_back(&c);
    return value;
  }
  static bool Same(const CandidateCE& a, const CandidateCE& b) {
    return a.Recorded && b.Recorded && a.FactorCount == 0 && b.FactorCount == 0 &&
           a.Split == b.Split && a.Limit == b.Limit && a.SRYsqT == b.SRYsqT &&
           a.Slope == b.Slope && a.AnchorX == b.AnchorX && a.AnchorY == b.AnchorY;
  }

  void Pass(int type, int method, CandidateCE& best) {
    const bool accepted = skim_ ? Skim(type, method, best)
                                : ScanCandidates(engine_, candidates_, type, method, best,
                                                 result_.BPopt, &typeCE_[static_cast<size_t>(type)]);
    if (accepted) {
      ceOpt_ = best;
      result_.FoundType = type;
      if (type != kType5 && type != kType6) engine_.OptMethod = method;
    }
  }

  // A pass that only has to decide (the break test's shuffles) evaluates just the candidates
  // that could beat the best so far: those whose ceiling does not lie clearly below it. The
  // others change nothing but the slope errors that the next evaluation's margins read, and
  // those of types 2 to 5 depend on the candidate alone (its split, type and method): so the
  // last one passed over is evaluated just before the next contender, which then reads what it
  // would have read. A candidate that falls back carries nothing on and is only moved to Xmin.
  // Type 6 turns slopes to zero by the errors it was handed, so its pass runs whole, or not at
  // all when no candidate could win (it is the last pass).
  bool Skim(int type, int method, CandidateCE& best) {
    if (type == kType6) {
      bool any = false;
      for (size_t i = 0; i < candidates_.size() && !any; ++i) any = Contends(i, type, 0, best);
      if (!any) return false;
      Catch();
      return ScanCandidates(engine_, candidates_, type, method, best, result_.BPopt);
    }
    const int code = type == kType2 ? kSearchType2 : type;
    bool accepted = false;
    CandidateCE ce;
    for (size_t i = 0; i < candidates_.size(); ++i) {
      double& candidate = candidates_[i];
      const SegmentEngine::Ceiling& c = ceilings_[i];
      if (candidate > engine_.Xmin && (c.Below < 3 || c.Above < 3)) {
        candidate = engine_.Xmin;
        continue;
      }
      if (!Contends(i, type, method, best)) {
        passed_ = {true, i, code, method};
        continue;
      }
      Catch();
      int evaluated = code;
      engine_.EvaluateCandidate(candidate, ce, evaluated, method);
      const bool valid = type == kType2 ? evaluated == kType2 : candidate > engine_.Xmin;
      if (valid && engine_.Exceeds(ce, best)) {
        best = ce;
        result_.BPopt = candidate;
        accepted = true;
      }
    }
    return accepted;
  }
  bool Contends(size_t i, int type, int method, const CandidateCE& best) const {
    if (!(candidates_[i] > engine_.Xmin)) return false;
    const SegmentEngine::Ceiling& c = ceilings_[i];
    if (c.Below < 3 || c.Above < 3) return false;
    return !(c.CE[static_cast<size_t>(SegmentEngine::CeilingSlot(type, method))] <
             best.Lo - kCeilingMargin);
  }
  // Evaluates the candidate last passed over, so that the engine holds its slope errors.
  void Catch() {
    if (!passed_.active) return;
    passed_.active = false;
    double bp = candidates_[passed_.index];
    int code = passed_.code;
    CandidateCE ce;
    engine_.EvaluateCandidate(bp, ce, code, passed_.method);
  }

  void SearchTypes() {
    const CandidateCE ce1 = CandidateCE::Of(result_.CE1);
    CandidateCE h;
    // When a type is excluded its maximum passes the previous one on and the threshold stays as
    // it is, so that excluding a type never undoes the higher bar of a preferred one.
    if (Excluded(kType3)) {
      ce3m_ = ce1;
      h = ce3m_;
    } else {
      ce3m_ = ce1;
      Pass(kType3, 1, ce3m_);
      Pass(kType3, 2, ce3m_);
      h = Preferred(kType3) ? ce3m_.Times(1.5) : ce3m_;
    }

    if (Excluded(kType4)) {
      ce4m_ = ce3m_;
    } else {
      ce4m_ = h;
      Pass(kType4, 1, ce4m_);
      Pass(kType4, 2, ce4m_);
      h = Preferred(kType4) ? ce4m_.Times(1.5) : ce4m_;
    }
    if (Preferred(kType5)) h = ce1;

    if (Excluded(kType5)) {
      ce5m_ = ce4m_;
    } else {
      ce5m_ = h;
      Pass(kType5, 0, ce5m_);
      h = Preferred(kType5) ? ce5m_.Times(1.5) : ce5m_;
    }

    if (Excluded(kType2)) {
      ce2m_ = ce5m_;
    } else {
      ce2m_ = h;
      Pass(kType2, 1, ce2m_);
      Pass(kType2, 2, ce2m_);
      h = Preferred(kType2) ? ce2m_.Times(1.2) : ce2m_;
    }
    // Type 6 must beat the best so far by 10 %, unless it is the one preferred.
    h = Preferred(kType6) ? ce1 : h.Times(1.1);

    if (!Excluded(kType6)) {
      ce6m_ = h;
      Pass(kType6, 0, ce6m_);
    }
  }

  SegmentEngine& engine_;
  const BreakpointSearchOptions& options_;
  std::vector<double> candidates_;
  BreakpointSearchResult result_;
  CandidateCE ce3m_, ce4m_, ce5m_, ce2m_, ce6m_, ceOpt_;
  std::array<CandidateCE, 7> typeCE_{};
  std::vector<const CandidateCE*> exact_;
  // Skimming (statistic only): the ceilings of the candidates, and the last one passed over.
  bool skim_ = false;
  std::vector<SegmentEngine::Ceiling> ceilings_;
  struct Passed {
    bool active = false;
    size_t index = 0;
    int code = 0, method = 0;
  };
  Passed passed_;
  // Ceilings are compared with the best so far with this much to spare.
  static constexpr double kCeilingMargin = 1e-9;
};

}  // namespace

BreakpointCandidates MakeBreakpointCandidates(double xmin, double xmax) {
  BreakpointCandidates candidates{};
  const double step = (xmax - xmin) / kBreakpointCandidates;
  for (int k = 0; k < kBreakpointCandidates; ++k) candidates[static_cast<size_t>(k)] = xmin + k * step;
  return candidates;
}

std::vector<double> SearchCandidates(double xmin, double xmax,
                                     const BreakpointSearchOptions& options) {
  if (options.FixedBreakpoint) return {*options.FixedBreakpoint};
  std::vector<double> kept;
  for (const double candidate : MakeBreakpointCandidates(xmin, xmax)) {
    if (candidate >= options.RangeLow && candidate <= options.RangeHigh) kept.push_back(candidate);
  }
  return kept;
}

bool ScanCandidates(SegmentEngine& engine, std::span<double> candidates, int type, int method,
                    CandidateCE& best, double& bestBP, CandidateCE* typeBest) {
  const bool searchCode = type == kType2 || type == kType6;
  bool accepted = false;
  // Each evaluation writes the whole record.
  CandidateCE ce;
  for (double& candidate : candidates) {
    int code = type == kType2 ? kSearchType2 : type == kType6 ? kSearchType6 : type;
    // A candidate that falls back is moved to Xmin here and stays there for later passes.
    engine.EvaluateCandidate(candidate, ce, code, method);
    const bool valid = searchCode ? code == type : candidate > engine.Xmin;
    if (!valid) continue;
    if (typeBest != nullptr && engine.Exceeds(ce, *typeBest)) *typeBest = ce;
    if (engine.Exceeds(ce, best)) {
      best = ce;
      bestBP = candidate;
      accepted = true;
    }
  }
  return accepted;
}

bool SearchPass(SegmentEngine& engine, std::span<double> candidates, int type, int method,
                double& best, double& bestBP, double* typeBest) {
  CandidateCE found = CandidateCE::Of(best);
  CandidateCE typeFound = CandidateCE::Of(typeBest != nullptr ? *typeBest : 0);
  const bool accepted = ScanCandidates(engine, candidates, type, method, found, bestBP,
                                       typeBest != nullptr ? &typeFound : nullptr);
  best = engine.ExactValue(found);
  if (typeBest != nullptr) {
    // Most often the type's best is the candidate that beat the threshold.
    const bool same = typeFound.Recorded && found.Recorded && typeFound.Split == found.Split &&
                      typeFound.Limit == found.Limit && typeFound.Slope == found.Slope &&
                      typeFound.AnchorX == found.AnchorX && typeFound.AnchorY == found.AnchorY;
    *typeBest = same ? best : engine.ExactValue(typeFound);
  }
  engine.Settle();
  return accepted;
}

BreakpointSearchResult SearchBreakpoint(SegmentEngine& engine,
                                        const BreakpointSearchOptions& options) {
  return Search(engine, options).Run();
}

}  // namespace vornax
