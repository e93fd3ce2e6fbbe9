#include "util/numbers.h"

#include <climits>

namespace curvetext {

bool read_decimal(const char*& p, const char* end, int& value) {
  skip_space(p, end);
  const bool negative = take_sign(p, end);
  if (p == end || !is_digit(*p)) return false;
  // Accumulate the magnitude toward the limit of its sign; past it, saturate.
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long magnitude = 0;
  for (; p < end && is_digit(*p); ++p) {
    if (magnitude <= limit) magnitude = magnitude * 10 + (*p - '0');
  }
  if (magnitude > limit) magnitude = limit;
  value = static_cast<int>(negative ? -magnitude : magnitude);
  return true;
}

} // namespace curvetext
