// The two-variable analysis on exact planes whose breakpoints and coefficients are known by hand:
// the choice of the sequence, the search of each stage, the combined equations and the overall
// coefficient of explanation, and the places where the plain reading of the method goes wrong.
#include "regression/TwoVariable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace vornax {
namespace {

// A full factorial design: every X of {0, 10, ..., 100} with every Z of the same grid, so that
// within any split of X the Z values are the same (and the other way round). A stage then takes
// up exactly its own variable's part of Y.
struct Plane {
  std::vector<long double> y, x, z;

  Plane(const std::function<double(double)>& f, const std::function<double(double)>& g,
        const std::vector<double>& xs = Grid()) {
    for (double xv : xs) {
      for (double zv : Grid()) {
        x.push_back(xv);
        z.push_back(zv);
        y.push_back(static_cast<long double>(f(xv)) + g(zv));
      }
    }
  }
  static std::vector<double> Grid() {
    std::vector<double> v;
    for (int i = 0; i <= 10; ++i) v.push_back(10.0 * i);
    return v;
  }
  int n() const { return static_cast<int>(y.size()); }
};

// Level 10 up to 40, then rising by 0.5 per unit: type 3 with its kink on a candidate.
double Type3At40(double v) { return v < 40 ? 10 : 10 + 0.5 * (v - 40); }
// Rising by 0.1 per unit up to 60, then level at 6: type 4.
double Type4At60(double v) { return v < 60 ? 0.1 * v : 6; }

TwoVariableResult Analyse(const Plane& p, const TwoVariableChoices& choices = {}) {
  RegressionCarryOver carry;
  TwoVariableResult r;
  const auto problem = AnalyseTwoVariables(p.y.data(), p.x.data(), p.z.data(), p.n(), choices,
                                           carry, r);
  EXPECT_FALSE(problem.has_value()) << *problem;
  return r;
}

void ExpectExactFit(const TwoVariableResult& r, const Plane& p) {
  EXPECT_NEAR(r.OverallCE, 1.0, 1e-12);
  for (size_t i = 0; i < p.y.size(); ++i) {
    EXPECT_NEAR(r.YCalc[i], static_cast<double>(p.y[i]), 1e-9) << "data set " << i + 1;
  }
}

TEST(TwoVariable, ExactPlaneBrokenOnBothVariablesGivesTheHandDerivedEquations) {
  // Y = type 3 on X (kink at 40) + type 4 on Z (kink at 60). X explains most: sequence 1.
  const Plane p(Type3At40, Type4At60);
  const TwoVariableResult r = Analyse(p);
  EXPECT_EQ(r.SequenceNr, 1);
  EXPECT_EQ(r.First.Type, 3);
  EXPECT_DOUBLE_EQ(r.First.BP, 40);
  EXPECT_FALSE(r.First.VariableIsZ);
  EXPECT_EQ(r.Second.Type, 4);
  EXPECT_DOUBLE_EQ(r.Second.BP, 60);
  EXPECT_TRUE(r.Second.VariableIsZ);
  // X < 40, Z < 60: Y = 10 + 0.1 Z; X < 40, Z >= 60: Y = 16; X >= 40: 0.5 X - 10 plus the same.
  EXPECT_NEAR(r.As, 0, 1e-12);
  EXPECT_NEAR(r.Ag, 0.5, 1e-12);
  EXPECT_NEAR(r.Bs, 0.1, 1e-12);
  EXPECT_NEAR(r.Bg, 0, 1e-12);
  EXPECT_NEAR(r.Css, 10, 1e-10);
  EXPECT_NEAR(r.Csg, 16, 1e-10);
  EXPECT_NEAR(r.Cgs, -10, 1e-10);
  EXPECT_NEAR(r.Cgg, -4, 1e-10);
  ExpectExactFit(r, p);
  // The first residuals are the Z part less its average (6 * 5/11 + 2.5 * 6/11 = 45/11).
  for (size_t i = 0; i < p.y.size(); ++i) {
    EXPECT_NEAR(r.FirstResiduals[i], Type4At60(static_cast<double>(p.z[i])) - 45.0 / 11, 1e-9);
    EXPECT_NEAR(r.LatestResiduals[i], 0, 1e-9);
  }
  // The sections in report order: first stage without and with breakpoint, the relation, the
  // second stage without and with breakpoint.
  ASSERT_EQ(r.Sections.size(), 5u);
  EXPECT_EQ(r.Sections[0].Section, TwoVariableSection::FirstWithout);
  EXPECT_EQ(r.Sections[1].Section, TwoVariableSection::FirstWith);
  EXPECT_EQ(r.Sections[2].Section, TwoVariableSection::Relation);
  EXPECT_EQ(r.Sections[3].Section, TwoVariableSection::SecondWithout);
  EXPECT_EQ(r.Sections[4].Section, TwoVariableSection::SecondWith);
}

TEST(TwoVariable, APlaneBrokenOnZIsFoundBySequence2) {
  // The same plane with the roles of X and Z exchanged: Z explains most and comes first.
  const Plane p([](double x) { return Type4At60(x); }, [](double z) { return Type3At40(z); });
  const TwoVariableResult r = Analyse(p);
  EXPECT_EQ(r.SequenceNr, 2);
  EXPECT_GT(r.SearchZ.CE, r.SearchX.CE);
  EXPECT_TRUE(r.First.VariableIsZ);
  EXPECT_EQ(r.First.Type, 3);
  EXPECT_DOUBLE_EQ(r.First.BP, 40);
  EXPECT_FALSE(r.Second.VariableIsZ);
  EXPECT_EQ(r.Second.Type, 4);
  EXPECT_DOUBLE_EQ(r.Second.BP, 60);
  // A is the slope on the first variable (Z), B on the second (X).
  EXPECT_NEAR(r.As, 0, 1e-12);
  EXPECT_NEAR(r.Ag, 0.5, 1e-12);
  EXPECT_NEAR(r.Bs, 0.1, 1e-12);
  EXPECT_NEAR(r.Bg, 0, 1e-12);
  EXPECT_NEAR(r.Css, 10, 1e-10);
  EXPECT_NEAR(r.Csg, 16, 1e-10);
  EXPECT_NEAR(r.Cgs, -10, 1e-10);
  EXPECT_NEAR(r.Cgg, -4, 1e-10);
  ExpectExactFit(r, p);
}

TEST(TwoVariable, EqualExplanationPicksSequence2) {
  // Z identical to X: both searches see the same numbers in the same order.
  Plane p(Type3At40, [](double) { return 0.0; });
  p.z = p.x;
  for (size_t i = 0; i < p.y.size(); ++i) p.y[i] += 0.01 * static_cast<double>(i % 7);
  const TwoVariableResult r = Analyse(p);
  EXPECT_EQ(r.SearchX.CE, r.SearchZ.CE);
  EXPECT_EQ(r.SequenceNr, 2);
  for (double v : r.YCalc) EXPECT_TRUE(std::isfinite(v));
  EXPECT_TRUE(std::isfinite(r.OverallCE));
}

TEST(TwoVariable, BothStagesSingleLinesAreOnTheUpperSideOfTheirMinima) {
  // A plain plane Y = 2X - 3Z + 7: both stages are type 1 at the minimum of their variable, and
  // every data set uses Cgg, Ag and Bg.
  const Plane p([](double x) { return 2 * x + 7; }, [](double z) { return -3 * z; });
  const TwoVariableResult r = Analyse(p);
  // -3 Z spreads Y more than 2 X: Z comes first.
  EXPECT_EQ(r.SequenceNr, 2);
  EXPECT_EQ(r.First.Type, 1);
  EXPECT_EQ(r.Second.Type, 1);
  EXPECT_DOUBLE_EQ(r.First.BP, 0);
  EXPECT_DOUBLE_EQ(r.Second.BP, 0);
  EXPECT_NEAR(r.Ag, -3, 1e-12);
  EXPECT_NEAR(r.Bg, 2, 1e-12);
  EXPECT_NEAR(r.Cgg, 7, 1e-9);
  ExpectExactFit(r, p);
  EXPECT_EQ(r.Sections.size(), 3u);
}

TEST(TwoVariable, ADataSetOnTheBreakpointBelongsToTheUpperSide) {
  // Two levels on X with the jump at 31 (type 5), which is the first candidate above 30, and
  // data sets at X = 31: they are fitted only when they count with the upper level, in the
  // residuals as in the combined equations.
  const Plane p([](double x) { return x < 31 ? 5.0 : 15.0; }, [](double z) { return 0.02 * z; },
                {0, 10, 20, 30, 31, 50, 60, 70, 80, 90, 100});
  const TwoVariableResult r = Analyse(p);
  EXPECT_EQ(r.SequenceNr, 1);
  EXPECT_EQ(r.First.Type, 5);
  EXPECT_DOUBLE_EQ(r.First.BP, 31);
  ExpectExactFit(r, p);
  // The second stage is a single line: every data set is on its upper side.
  EXPECT_EQ(r.Second.Type, 1);
  EXPECT_NEAR(r.Cgg - r.Csg, 10, 1e-10);
  EXPECT_NEAR(r.Bg, 0.02, 1e-12);
}

TEST(TwoVariable, AnAcceptedType6CandidateMakesTheTypeSix) {
  // A saw tooth on X: X below 50, X - 50 from there. Without the type-6 preference the stage is
  // still type 6, with its own breakpoint (the first candidate above 40 splits the data there)
  // and explanation.
  const Plane p([](double x) { return x < 50 ? x : x - 50; }, [](double z) { return 0.05 * z; });
  const TwoVariableResult r = Analyse(p);
  EXPECT_EQ(r.SearchX.Type, 6);
  EXPECT_DOUBLE_EQ(r.SearchX.BP, 41);
  EXPECT_EQ(r.SequenceNr, 1);
  EXPECT_EQ(r.First.Type, 6);
  // Each stage is adjusted right after its own evaluation: the type-6 slopes of the first stage
  // are judged by its own (zero) standard errors and kept.
  EXPECT_NEAR(r.As, 1, 1e-12);
  EXPECT_NEAR(r.Ag, 1, 1e-12);
  EXPECT_NEAR(r.Bg, 0.05, 1e-12);
  EXPECT_NEAR(r.Cgg - r.Csg, -50, 1e-9);
  ExpectExactFit(r, p);
}

TEST(TwoVariable, ATypeZeroStageKeepsItsLevel) {
  // No linear relation on either variable (a symmetric bowl) around a large mean, and type 1
  // preferred for both, so the first stage is a single line with slope 0: type 0. Its level is
  // the average of Y, which the combined equations must keep.
  const Plane p([](double x) { return 1000 + (x - 50) * (x - 50) / 100; },
                [](double z) { return (z - 50) * (z - 50) / 200; });
  TwoVariableChoices choices;
  choices.PreferredTypeX = choices.PreferredTypeZ = 1;
  const TwoVariableResult r = Analyse(p, choices);
  EXPECT_EQ(r.First.Type, 0);
  EXPECT_EQ(r.Second.Type, 0);
  // The average of Y: 1000 + 11000/1100 + 11000/2200.
  EXPECT_NEAR(r.Cgg, 1015, 1e-9);
  for (double yc : r.YCalc) EXPECT_NEAR(yc, 1015, 1e-9);
  EXPECT_NEAR(r.OverallCE, 0, 1e-12);
}

TEST(TwoVariable, PreferencesAndExclusionsActOnTheirOwnVariable) {
  const Plane p(Type3At40, Type4At60);
  {
    // Type 4 preferred for X, where type 3 is found.
    TwoVariableChoices choices;
    choices.PreferredTypeX = 4;
    RegressionCarryOver carry;
    TwoVariableResult r;
    const auto problem =
        AnalyseTwoVariables(p.y.data(), p.x.data(), p.z.data(), p.n(), choices, carry, r);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(*problem, " The preferred X-type could not be found. Try another preference.");
  }
  {
    TwoVariableChoices choices;
    choices.PreferredTypeZ = 3;
    RegressionCarryOver carry;
    TwoVariableResult r;
    const auto problem =
        AnalyseTwoVariables(p.y.data(), p.x.data(), p.z.data(), p.n(), choices, carry, r);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(*problem, " The preferred Z-type could not be found. Try another preference.");
  }
  {
    // Excluding type 4 for Z leaves X's type 3 alone and takes type 4 from the second stage.
    TwoVariableChoices choices;
    choices.ExcludedTypeZ = 4;
    const TwoVariableResult r = Analyse(p, choices);
    EXPECT_EQ(r.First.Type, 3);
    EXPECT_NE(r.Second.Type, 4);
    EXPECT_LT(r.OverallCE, 1);
  }
  {
    // Excluding type 3 for X leaves Z's type 4.
    TwoVariableChoices choices;
    choices.ExcludedTypeX = 3;
    const TwoVariableResult r = Analyse(p, choices);
    EXPECT_NE(r.SearchX.Type, 3);
    EXPECT_EQ(r.SearchZ.Type, 4);
  }
}

TEST(TwoVariable, ExtremesBeyondAMillionAreTheDatasOwn) {
  // X from 5,000,000 to 5,000,100: the candidates run over the data's own range, so the kink at
  // 5,000,040 is found exactly and the plane is fitted as near zero.
  std::vector<double> xs;
  for (double v : Plane::Grid()) xs.push_back(5e6 + v);
  const Plane p([](double x) { return Type3At40(x - 5e6); }, Type4At60, xs);
  const TwoVariableResult r = Analyse(p);
  EXPECT_EQ(r.SequenceNr, 1);
  EXPECT_EQ(r.First.Type, 3);
  EXPECT_DOUBLE_EQ(r.First.BP, 5e6 + 40);
  EXPECT_DOUBLE_EQ(r.First.Min, 5e6);
  EXPECT_DOUBLE_EQ(r.First.Max, 5e6 + 100);
  EXPECT_EQ(r.Second.Type, 4);
  EXPECT_DOUBLE_EQ(r.Second.BP, 60);
  EXPECT_NEAR(r.Ag, 0.5, 1e-9);
  EXPECT_NEAR(r.OverallCE, 1.0, 1e-9);
  for (size_t i = 0; i < p.y.size(); ++i) {
    EXPECT_NEAR(r.YCalc[i], static_cast<double>(p.y[i]), 1e-6) << "data set " << i + 1;
  }
}

TEST(TwoVariable, TooFewDataOrNoVariationAreRefused) {
  const long double y[] = {1, 2, 3, 4}, x[] = {1, 2, 3, 4}, z[] = {4, 1, 3, 2};
  const long double flat[] = {5, 5, 5.0005L, 5};
  RegressionCarryOver carry;
  TwoVariableResult r;
  const std::string fewer =
      "The database is not fit for regression analysis. There are fewer than three data sets. "
      "Please correct the input file.";
  const std::string noVariation =
      "The database is not fit for regression analysis. There is no variation in X or Z-values. "
      "Please correct the input file.";
  EXPECT_EQ(AnalyseTwoVariables(y, x, z, 2, {}, carry, r).value_or(""), fewer);
  EXPECT_EQ(AnalyseTwoVariables(y, x, z, 0, {}, carry, r).value_or(""), fewer);
  EXPECT_EQ(AnalyseTwoVariables(y, flat, z, 4, {}, carry, r).value_or(""), noVariation);
  EXPECT_EQ(AnalyseTwoVariables(y, x, flat, 4, {}, carry, r).value_or(""), noVariation);
  EXPECT_FALSE(AnalyseTwoVariables(y, x, z, 3, {}, carry, r).has_value());
}

}  // namespace
}  // namespace vornax

namespace vornax {
namespace {

TEST(TwoVariableStages, ATypeSixStageKeepsTheLinesOfItsPlanes) {
  // Y jumps down by 50 at X = 50 on two lines of slope about 1, plus 0.3 Z and noise: the first
  // stage is type 6 with nearly equal slopes. The stage's table, its residuals and the planes
  // all use the two fitted lines; the one-variable report's parallel variant does not apply.
  std::mt19937_64 random(6);
  std::normal_distribution<double> noise(0, 0.5);
  std::uniform_real_distribution<double> spread(0, 10);
  std::vector<long double> x, y, z;
  for (int i = 0; i < 100; ++i) {
    const double xv = i, zv = spread(random);
    x.push_back(xv);
    z.push_back(zv);
    y.push_back((xv < 50 ? xv : xv - 50) + 0.3 * zv + noise(random));
  }
  RegressionCarryOver carry;
  TwoVariableResult r;
  ASSERT_FALSE(AnalyseTwoVariables(y.data(), x.data(), z.data(), 100, {}, carry, r).has_value());
  ASSERT_EQ(r.SequenceNr, 1);
  ASSERT_EQ(r.First.Type, 6);
  const TwoVariableSection* with = nullptr;
  for (const TwoVariableSection& s : r.Sections) {
    if (s.Section == TwoVariableSection::FirstWith) with = &s;
  }
  ASSERT_NE(with, nullptr);
  EXPECT_NE(with->Slope[1], with->Slope[2]);
  EXPECT_DOUBLE_EQ(with->Slope[1], r.As);
  EXPECT_DOUBLE_EQ(with->Slope[2], r.Ag);
  // The first residuals are Y less those very lines.
  for (size_t i = 0; i < x.size(); i += 7) {
    const size_t s = x[i] < r.First.BP ? 1 : 2;
    const double line = with->AnchorY[s] + (static_cast<double>(x[i]) - with->AnchorX[s]) *
                                               with->Slope[s];
    EXPECT_NEAR(r.FirstResiduals[i], static_cast<double>(y[i]) - line, 1e-9) << i;
  }
  // Hence the breaks explain no less than the lines without them.
  EXPECT_GE(r.OverallCE, 1 - r.SSLine2 / r.SST);
}

}  // namespace
}  // namespace vornax
