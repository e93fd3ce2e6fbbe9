// Points of the plane: two doubles, x then y, y pointing up.
#pragma once

namespace curvetext {

// Turns p about the origin by a radians, counter-clockwise, into out. out
// may be p itself.
void __ROT(const double* p, double a, double* out);

// Euclidean distance of two points.
double __PTDIST(const double* p, const double* q);

} // namespace curvetext
