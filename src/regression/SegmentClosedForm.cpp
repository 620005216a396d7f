// The closed form of the engine's searches and what keeps it exact: the residual sums about the
// final lines from the segment statistics in constant time, with a bound on how far the pass
// over the data can lie from them, and the means of making any value or decision exact (the
// pass) when the bound leaves it open, or settling the engine as the pass would have left it.
#include <algorithm>
#include <cmath>
#include <limits>

#include "regression/SegmentArithmetic.h"
#include "regression/SegmentEngine.h"

namespace vornax {

namespace {

// Segments with fewer data sets take their residual sum from the pass, which costs no more.
constexpr long double kClosedFormFrom = 16;

}  // namespace

using segment::ExplainedShare;
using segment::SafeSqrt;

bool SegmentEngine::ClosedFormResidual(int s, long double& value, long double& lo,
                                       long double& hi) const {
  const std::size_t i = static_cast<std::size_t>(s);
  const SegmentStats& t = Stats[i];
  if (t.N == 0) {
    value = lo = hi = 0;
    return true;
  }
  // A small segment costs no more by the pass, which is exact.
  if (t.N < kClosedFormFrom) return false;

  // The residual sum about Yc = (X - ax) b + ay is
  //   Syy - 2 b Sxy + b^2 Sxx + N (AvY - ay - b (AvX - ax))^2.
  const long double n = t.N, b = Slope[i];
  const long double dy = t.AvY - AnchorY[i], dx = t.AvX - AnchorX[i];
  const long double c = dy - b * dx;
  const long double t2 = 2 * b * t.Sxy, t3 = b * b * t.Sxx, t4 = n * c * c;
  value = ((t.Syy - t2) + t3) + t4;

  // How far that can lie from the pass over the data: the rounding of this formula, the rounding
  // of the statistics it reads (sums over N terms of magnitudes bounded by the sums of squares
  // they came from), and the rounding of the pass itself. Generous by a factor 4.
  constexpr long double u = std::numeric_limits<long double>::epsilon() / 2;
  const StatScale& m =
      scaleSlot_ < 0 ? scale_[i] : splits_[static_cast<std::size_t>(scaleSlot_)].scale[i];
  const long double eyy = m.eyy, exx = m.exx, exy = m.exy, eay = m.eay, eax = m.eax;
  const long double ab = std::fabs(b);
  const long double ec = eay + ab * eax + 3 * u * (std::fabs(dy) + std::fabs(b * dx));
  const long double rounding = 8 * u * (t.Syy + std::fabs(t2) + t3 + t4);
  const long double statistics = eyy + 2 * ab * exy + b * b * exx + n * (2 * std::fabs(c) + ec) * ec;
  const long double about = t.Syy + eyy + n * dy * dy + b * b * (t.Sxx + exx + n * dx * dx);
  const long double pass = (2 * n + 24) * u * about;
  const long double err = 4 * (rounding + statistics + pass);
  // A little more, so that the slope errors and margins taken at the two ends differ from the
  // pass's by more than the last digit any library function may be off.
  constexpr long double widen = 1.0L / (1LL << 40);
  if (value < 0) value = 0;
  lo = std::max(0.0L, (value - err) * (1 - widen));
  hi = (value + err) * (1 + widen);
  return true;
}

void SegmentEngine::ClosedFormCandidate(CandidateCE& ce) const {
  std::array<long double, 3> lo{}, hi{};
  std::array<bool, 3> known{};
  std::array<double, 3> ssd{};
  for (std::size_t s = 1; s <= 2; ++s) {
    long double value = 0;
    if (!ClosedFormResidual(static_cast<int>(s), value, lo[s], hi[s])) {
      value = ResidualSum(static_cast<int>(s), split_, splitLimit_, AnchorX[s], Slope[s],
                          AnchorY[s]);
      lo[s] = hi[s] = value;
      known[s] = true;
    }
    ssd[s] = static_cast<double>(value);
  }
  ce = CandidateCE::Of(ExplainedShare(ssd[1], ssd[2], SRYsqT));
  if (!(SRYsqT > 0)) return;  // 0 whatever the residuals
  ce.Exact = known[1] && known[2];
  ce.Recorded = true;
  // The shares fall as the sums grow, and rounding to doubles keeps the order.
  ce.Lo = ExplainedShare(static_cast<double>(hi[1]), static_cast<double>(hi[2]), SRYsqT);
  ce.Hi = ExplainedShare(static_cast<double>(lo[1]), static_cast<double>(lo[2]), SRYsqT);
  ce.Split = split_;
  ce.Limit = splitLimit_;
  ce.SRYsqT = SRYsqT;
  ce.Slope = Slope;
  ce.AnchorX = AnchorX;
  ce.AnchorY = AnchorY;
  ce.SSD = ssd;
  ce.Known = known;
}

bool SegmentEngine::CarriedErrorsExact() const {
  // Whoever set SERC since (a report, Restore) set exact values.
  return carried_.sercExact || carried_.serc[1] != SERC[1] || carried_.serc[2] != SERC[2];
}

void SegmentEngine::RefineCarriedErrors() {
  if (CarriedErrorsExact()) return;
  ErrorRun& c = carried_;
  for (std::size_t s = 1; s <= 2; ++s) {
    if (!c.known[s]) {
      c.ssd[s] = static_cast<double>(ResidualSum(static_cast<int>(s), c.split, c.limit,
                                                 c.anchorX[s], c.slope[s], c.anchorY[s]));
      c.known[s] = true;
    }
    SERC[s] = static_cast<double>(SafeSqrt(SlopeVariance(c.ssd[s], c.stats[s])));
  }
  c.serc = SERC;
  c.lo = c.hi = SERC;
  c.sercExact = true;
}

void SegmentEngine::RerunErrors(ErrorRun& run) {
  for (std::size_t s = 1; s <= 2; ++s) {
    if (run.known[s]) continue;
    run.ssd[s] = static_cast<double>(ResidualSum(static_cast<int>(s), run.split, run.limit,
                                                 run.anchorX[s], run.slope[s], run.anchorY[s]));
    run.known[s] = true;
  }
  std::swap(Stats, run.stats);
  std::swap(Slope, run.slope);
  std::swap(AnchorX, run.anchorX);
  std::swap(AnchorY, run.anchorY);
  std::array<double, 3> ssd = run.ssd;
  std::swap(SSDFinal, ssd);
  ComputeBreakpointErrors(run.typeCode, run.method, run.bp);
  std::swap(SSDFinal, ssd);
  std::swap(Stats, run.stats);
  std::swap(Slope, run.slope);
  std::swap(AnchorX, run.anchorX);
  std::swap(AnchorY, run.anchorY);
  run.exact = run.sercExact = true;
  run.serc = SERC;
}

void SegmentEngine::Settle() {
  // The terms of types 2, 3 and 4 as their last runs left them, oldest first; then the last run
  // of the error routine, whose values are the ones every later reader sees.
  ErrorRun* older[2] = {&type2Run_, &type34Run_};
  if (older[0]->serial > older[1]->serial) std::swap(older[0], older[1]);
  bool rewritten = false;
  for (ErrorRun* run : older) {
    if (!run->exact && run->serial < carried_.serial) {
      RerunErrors(*run);
      rewritten = true;
    }
  }
  const bool fromCarried = !carried_.exact && carried_.serc == SERC;
  if (rewritten || fromCarried) {
    const ErrorRun again = carried_;
    carried_.exact = false;
    RerunErrors(carried_);
    if (again.serial == type2Run_.serial) type2Run_ = carried_;
    if (again.serial == type34Run_.serial) type34Run_ = carried_;
  }
  if (!pending_.active) return;
  const Pending p = pending_;
  pending_ = Pending{};
  // The last evaluation's own residual sums (taken from its error run when it had one), and the
  // margins it left, which read the slope errors now in place.
  const bool sameRun = p.errorsRan && carried_.serial == serial_;
  for (std::size_t s = 1; s <= 2; ++s) {
    if (p.known[s]) continue;
    SSDFinal[s] = sameRun && carried_.known[s]
                      ? carried_.ssd[s]
                      : static_cast<double>(ResidualSum(static_cast<int>(s), split_, splitLimit_,
                                                        AnchorX[s], Slope[s], AnchorY[s]));
  }
  M1 = SlopeMargin(1);
  M2 = SlopeMargin(2);
  U1 = std::fabs(Slope[1]) + ConfidenceT * SERC[1];
  U2 = std::fabs(Slope[2]) + ConfidenceT * SERC[2];
}

SegmentEngine::CandidateCE SegmentEngine::CandidateCE::Times(double f) const {
  CandidateCE c = *this;
  c.Value = Value * f;
  c.Lo = Lo * f;
  c.Hi = Hi * f;
  c.Factors[static_cast<std::size_t>(c.FactorCount++)] = f;
  return c;
}

double SegmentEngine::ExactValue(CandidateCE& a) const {
  if (a.Exact) return a.Value;
  std::array<double, 3> ssd = a.SSD;
  for (std::size_t s = 1; s <= 2; ++s) {
    if (a.Known[s]) continue;
    ssd[s] = static_cast<double>(
        ResidualSum(static_cast<int>(s), a.Split, a.Limit, a.AnchorX[s], a.Slope[s], a.AnchorY[s]));
  }
  double value = ExplainedShare(ssd[1], ssd[2], a.SRYsqT);
  for (int i = 0; i < a.FactorCount; ++i) value *= a.Factors[static_cast<std::size_t>(i)];
  a.SSD = ssd;
  a.Known = {true, true, true};
  a.Value = a.Lo = a.Hi = value;
  a.Exact = true;
  return value;
}

bool SegmentEngine::Exceeds(CandidateCE& a, CandidateCE& b) const {
  if (a.Lo > b.Hi) return true;
  if (a.Hi <= b.Lo) return false;
  // The same lines on the same split give the pass the same value: not greater.
  const bool sameSplit = sorted_ ? a.Split == b.Split : a.Limit == b.Limit;
  if (a.Recorded && b.Recorded && sameSplit && a.SRYsqT == b.SRYsqT && a.Slope == b.Slope &&
      a.AnchorX == b.AnchorX && a.AnchorY == b.AnchorY && a.FactorCount == b.FactorCount &&
      a.Factors == b.Factors) {
    return false;
  }
  return ExactValue(a) > ExactValue(b);
}

}  // namespace vornax
