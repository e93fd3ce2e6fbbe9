#include "util/geometry.h"

namespace curvetext {

void __ROT(const double*, double, double*) {}
double __PTDIST(const double*, const double*) { return 0.0; }

} // namespace curvetext
