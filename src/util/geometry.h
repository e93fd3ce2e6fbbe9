// Points of the plane: two doubles, x then y, y pointing up.
#pragma once

#include <cmath>

namespace curvetext {

// The double nearest pi: every angle of the layouts derives from it.
constexpr double PAI = 3.141592653589793;

// Euclidean distance of two points (once __PTDIST: a name reserved to the
// compiler). Inline: the ellipse walks call it once per step, millions of
// times.
inline double PTDIST(const double* p, const double* q) {
  const double dx = q[0] - p[0];
  const double dy = q[1] - p[1];
  return std::sqrt(dy * dy + dx * dx);
}

} // namespace curvetext
