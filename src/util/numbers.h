// Numbers as the C library reads them, with a defined result for every input.
// The character classes and the sign rule below are the one grammar that
// every number read of the tool shares.
#pragma once

namespace curvetext {

// The C locale's classes; bytes from 0x80 up belong to none of them, so a
// double-byte character never reads as white space or a digit.
constexpr bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Moves p over any white space of [p, end).
inline void skip_space(const char*& p, const char* end) {
  while (p < end && is_space(*p))
    ++p;
}

// Takes one leading '+' or '-' of [p, end), if there is one; true when it
// was '-'. Every conversion, and the exponent of a double, takes its sign so.
inline bool take_sign(const char*& p, const char* end) {
  if (p == end || (*p != '+' && *p != '-')) return false;
  return *p++ == '-';
}

// Reads optional white space, an optional sign and the longest run of
// decimal digits from [p, end). On success stores the value, saturated at
// the int range, moves p behind the digits and returns true; without a digit
// returns false and leaves value unchanged (p may have moved).
bool read_decimal(const char*& p, const char* end, int& value);

} // namespace curvetext
