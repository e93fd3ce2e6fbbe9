#include "util/numbers.h"

#include <climits>
#include <cstring>

namespace curvetext {

namespace {
bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
} // namespace

bool read_decimal(const char*& p, const char* end, int& value) {
  while (p < end && is_space(*p))
    ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p == end || *p < '0' || *p > '9') return false;
  // Accumulate the magnitude toward the limit of its sign; past it, saturate.
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long magnitude = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) {
    if (magnitude <= limit) magnitude = magnitude * 10 + (*p - '0');
  }
  if (magnitude > limit) magnitude = limit;
  value = static_cast<int>(negative ? -magnitude : magnitude);
  return true;
}

int decimal_value(const char* s) {
  int value = 0;
  read_decimal(s, s + std::strlen(s), value);
  return value;
}

} // namespace curvetext
