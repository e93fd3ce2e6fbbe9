// Points of the plane: two doubles, x then y, y pointing up.
#pragma once

#include <cmath>

namespace curvetext {

// Turns p about the origin by a radians, counter-clockwise, into out. out
// may be p itself.
void __ROT(const double* p, double a, double* out);

// Euclidean distance of two points. Inline: the ellipse walks call it once
// per step, millions of times.
inline double __PTDIST(const double* p, const double* q) {
  const double dx = q[0] - p[0];
  const double dy = q[1] - p[1];
  return std::sqrt(dy * dy + dx * dx);
}

} // namespace curvetext
