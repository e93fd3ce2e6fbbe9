#include "util/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace curvetext {
namespace {

constexpr double kPi = 3.141592653589793;

TEST(Rot, TurnsCounterClockwiseAboutTheOrigin) {
  struct Case {
    double x, y, a, ex, ey;
  } cases[] = {
      {1.0, 0.0, kPi / 2, 0.0, 1.0},
      {0.0, 1.0, kPi / 2, -1.0, 0.0},
      {1.0, 0.0, kPi, -1.0, 0.0},
      {3.0, 4.0, -kPi / 2, 4.0, -3.0},
      {2.0, 0.0, kPi / 4, std::sqrt(2.0), std::sqrt(2.0)},
      {-5.0, 7.0, 2 * kPi, -5.0, 7.0},
  };
  for (const Case& c : cases) {
    const double p[2] = {c.x, c.y};
    double out[2] = {99.0, 99.0};
    __ROT(p, c.a, out);
    EXPECT_NEAR(out[0], c.ex, 1e-14) << c.x << "," << c.y << " by " << c.a;
    EXPECT_NEAR(out[1], c.ey, 1e-14) << c.x << "," << c.y << " by " << c.a;
    EXPECT_EQ(p[0], c.x); // the point to turn is left as it was
    EXPECT_EQ(p[1], c.y);
  }
}

TEST(Rot, ByZeroCopiesThePointExactly) {
  const double p[2] = {-123.456789, 0.1};
  double out[2];
  __ROT(p, 0.0, out);
  EXPECT_EQ(out[0], p[0]);
  EXPECT_EQ(out[1], p[1]);
}

// The rounding of every record depends on the exact formula x·c − y·s,
// x·s + y·c with c and s taken from cos and sin of the angle.
TEST(Rot, EvaluatesTheFormulaInItsOrder) {
  const double a = 37.0 * kPi / 180;
  const double p[2] = {0.1, -98.7654321};
  double out[2];
  __ROT(p, a, out);
  const volatile double c = std::cos(a);
  const volatile double s = std::sin(a);
  const volatile double xc = p[0] * c, ys = p[1] * s, xs = p[0] * s, yc = p[1] * c;
  EXPECT_EQ(out[0], xc - ys);
  EXPECT_EQ(out[1], xs + yc);
}

TEST(Rot, ResultMayBeThePointItself) {
  for (double a : {0.3, kPi / 2, -2.0, 10.0}) {
    double separate[2];
    const double p[2] = {12.5, -3.25};
    __ROT(p, a, separate);
    double same[2] = {12.5, -3.25};
    __ROT(same, a, same);
    EXPECT_EQ(same[0], separate[0]) << a;
    EXPECT_EQ(same[1], separate[1]) << a;
  }
}

TEST(PtDist, IsTheEuclideanDistance) {
  struct Case {
    double p[2], q[2], d;
  } cases[] = {
      {{0, 0}, {3, 4}, 5.0},  {{1, 1}, {1, 1}, 0.0},         {{-1, -1}, {2, 3}, 5.0},
      {{0, 0}, {0, -2}, 2.0}, {{1e200, 0}, {1e200, 0}, 0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(__PTDIST(c.p, c.q), c.d);
    EXPECT_EQ(__PTDIST(c.q, c.p), c.d); // symmetric
  }
}

TEST(PtDist, SumsTheSquaresInItsOrder) {
  const double p[2] = {0.1, 0.7};
  const double q[2] = {-0.3, 1e-3};
  const volatile double dx = q[0] - p[0], dy = q[1] - p[1];
  const volatile double dx2 = dx * dx, dy2 = dy * dy;
  EXPECT_EQ(__PTDIST(p, q), std::sqrt(dy2 + dx2));
}

TEST(PtDist, NeverNegativeAndPropagatesNaN) {
  const double p[2] = {-7.0, 2.0};
  const double q[2] = {-7.0, -2.0};
  EXPECT_GE(__PTDIST(p, q), 0.0);
  const double n[2] = {std::numeric_limits<double>::quiet_NaN(), 0.0};
  EXPECT_TRUE(std::isnan(__PTDIST(p, n)));
}

} // namespace
} // namespace curvetext
