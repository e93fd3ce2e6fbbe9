#include "util/geometry.h"

#include <cmath>

namespace curvetext {

void __ROT(const double* p, double a, double* out) {
  // Both coordinates are read before either is written, so out may be p.
  const double x = p[0];
  const double y = p[1];
  const double c = std::cos(a);
  const double s = std::sin(a);
  out[0] = x * c - y * s;
  out[1] = x * s + y * c;
}

} // namespace curvetext
