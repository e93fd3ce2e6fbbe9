#include "util/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace curvetext {
namespace {

constexpr double kPi = 3.141592653589793;

TEST(Geometry, RotTurnsCounterClockwiseAboutTheOrigin) {
  const struct {
    double x, y, a, ex, ey;
  } cases[] = {{-123.456789, 0.1, 0.0, -123.456789, 0.1},
               {1, 0, kPi / 2, 0, 1},
               {0, 1, kPi / 2, -1, 0},
               {1, 0, kPi, -1, 0},
               {3, 4, -kPi / 2, 4, -3},
               {2, 0, kPi / 4, std::sqrt(2.0), std::sqrt(2.0)},
               {-5, 7, 2 * kPi, -5, 7}};
  for (const auto& c : cases) {
    const double p[2] = {c.x, c.y};
    double out[2], same[2] = {c.x, c.y};
    __ROT(p, c.a, out);
    __ROT(same, c.a, same); // the result may be the point itself
    EXPECT_NEAR(out[0], c.ex, 1e-14) << c.x << "," << c.y << " by " << c.a;
    EXPECT_NEAR(out[1], c.ey, 1e-14) << c.x << "," << c.y << " by " << c.a;
    EXPECT_TRUE(same[0] == out[0] && same[1] == out[1] && p[0] == c.x && p[1] == c.y);
  }
}

} // namespace
} // namespace curvetext
