// The value of a curve read from a report, from its printed parameters.
#include "data/GraphData.h"

#include <algorithm>
#include <cmath>

namespace vornax {

double CurveValue(const GraphCurve& k, double x) {
  const double base = k.Shifted ? x - k.Shift : x;
  auto power = [](double b, double e) {
    if (e == 1) return b;
    if (b < 0) return std::nan("");
    return std::pow(b, e);
  };
  switch (k.Kind) {
    case CurveKind::Quadratic: {
      const double w = power(base, k.Exponent);
      return k.A * w * w + k.B * w + k.C;
    }
    case CurveKind::Cubic: {
      const double w = power(base, k.Exponent);
      return ((k.A * w + k.B) * w + k.C) * w + k.D;
    }
    case CurveKind::Power:
      return k.B + k.A * power(base, k.Exponent);
    case CurveKind::Logistic:
    case CurveKind::Gumbel:
    case CurveKind::InvertedGumbel: {
      const double v = k.A * power(base, k.Exponent) + k.B;
      const double span = k.Ymax - k.Ymin;
      if (k.Kind == CurveKind::Logistic) return k.Ymin + span / (1 + std::exp(v));
      const double inner = std::exp(-std::exp(std::clamp(v, -8.0, 8.0)));
      return k.Kind == CurveKind::Gumbel ? k.Ymin + span * inner : k.Ymin + span * (1 - inner);
    }
    case CurveKind::Fisk:
      if (k.A == 0) return std::nan("");
      return k.C / (1 + power(base / k.A, k.B));
  }
  return std::nan("");
}

}  // namespace vornax
