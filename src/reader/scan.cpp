#include "reader/scan.h"

#include <cassert>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

#include "util/numbers.h"

namespace curvetext {

namespace {

// The C locale's letters; bytes from 0x80 up are none of them.
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool is_xdigit(char c) { return is_digit(c) || (lower(c) >= 'a' && lower(c) <= 'f'); }
int xdigit_value(char c) { return is_digit(c) ? c - '0' : lower(c) - 'a' + 10; }

// Takes the bytes of `word` (lower case) in any letter case; false at the
// first byte that differs or when the input ends.
bool take_word(const char*& p, const char* end, const char* word) {
  for (; *word != '\0'; ++word, ++p) {
    if (p == end || lower(*p) != *word) return false;
  }
  return true;
}

// Clinger's fast path: m and a power of ten up to 1e22 are exact doubles, so
// one IEEE operation rounds correctly. Done here, in the SSE2 doubles that
// every build of ours computes in, rather than left to the library, which a
// 32-bit build may have compiled for x87 extended precision (rounding twice).
bool exact_decimal(std::uint64_t m, long long e10, double& v) {
  static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr std::uint64_t kExact = std::uint64_t{1} << 53;
  if (m > kExact || e10 < -22 || e10 > 22 + 16) return false;
  for (; e10 > 22; --e10) { // 12e23 is 120e22: still exact while m fits
    m *= 10;
    if (m > kExact) return false;
  }
  const double dm = static_cast<double>(m);
  v = e10 < 0 ? dm / kPow10[-e10] : dm * kPow10[e10];
  return true;
}

// One "%lf" conversion, read in one walk: where the bytes that the conversion
// takes end and, within them, the longest prefix that strtod reads as a
// number, with what its value needs.
struct Number {
  enum class Kind { digits, nan, infinity };
  Kind kind = Kind::digits;
  bool negative = false;
  bool hex = false;
  const char* mantissa = nullptr; // its first byte, behind the sign and "0x"
  const char* end = nullptr;      // end of the prefix that strtod reads
  int digits = 0;                 // mantissa digits, before and after the point
  int int_digits = 0;             // of them before the point
  int first_significant = -1;     // index of the first digit other than 0
  int significant = 0;            // digits from that one on
  std::uint64_t value = 0;        // those digits as an integer, while 19 or fewer
  long long exponent = 0;         // the exponent written, saturated far out of range
};

// "nan", "inf" or "infinity" in any letter case. "nan(...)" is not taken: the
// parenthesis stays for the next directive. Once "infi" is taken the whole
// "infinity" must follow.
bool read_word(const char*& p, const char* end, Number& n) {
  if (lower(*p) == 'n') {
    n.kind = Number::Kind::nan;
    return take_word(p, end, "nan");
  }
  n.kind = Number::Kind::infinity;
  if (!take_word(p, end, "inf")) return false;
  return p == end || lower(*p) != 'i' || take_word(p, end, "inity");
}

// The digits and at most one point: the conversion and strtod take the same.
void read_mantissa(const char*& p, const char* end, Number& n) {
  for (bool dot = false; p < end; ++p) {
    if (*p == '.' && !dot) {
      dot = true;
      continue;
    }
    if (!(n.hex ? is_xdigit(*p) : is_digit(*p))) break;
    if (n.first_significant < 0 && *p != '0') n.first_significant = n.digits;
    if (n.first_significant >= 0 && ++n.significant <= 19 && !n.hex) {
      n.value = n.value * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    ++n.digits;
    if (!dot) ++n.int_digits;
  }
}

// The exponent, after a mantissa with a digit. The conversion takes its mark
// and sign even with no digit behind them ("1e+"); strtod reads the exponent
// only with a digit, and the value is then that of the mantissa alone.
void read_exponent(const char*& p, const char* end, Number& n) {
  if (n.digits == 0 || p == end || lower(*p) != (n.hex ? 'p' : 'e')) return;
  ++p;
  const bool negative = take_sign(p, end);
  if (p == end || !is_digit(*p)) return;
  for (; p < end && is_digit(*p); ++p) {
    if (n.exponent < 100000000) n.exponent = n.exponent * 10 + (*p - '0');
  }
  if (negative) n.exponent = -n.exponent;
  n.end = p;
}

// Takes the bytes of a "%lf" conversion from p on, behind its white space;
// false when the conversion fails.
bool read_number(const char*& p, const char* end, Number& n) {
  n.negative = take_sign(p, end);
  if (p == end) return false;
  if (lower(*p) == 'n' || lower(*p) == 'i') return read_word(p, end, n);
  n.hex = end - p >= 2 && p[0] == '0' && lower(p[1]) == 'x';
  if (n.hex) p += 2;
  n.mantissa = p;
  read_mantissa(p, end, n);
  if (p == n.mantissa) return false; // not even a point behind the sign or "0x"
  n.end = p;
  read_exponent(p, end, n);
  return true;
}

// The value of a mantissa with a digit that the fast path cannot give exactly.
bool slow_value(const Number& n, double& v) {
  const auto result = std::from_chars(n.mantissa, n.end, v,
                                      n.hex ? std::chars_format::hex : std::chars_format::general);
  assert(result.ptr == n.end && "the number grammar and from_chars disagree");
  if (result.ec == std::errc::result_out_of_range) {
    // Beyond the double range one way or the other: the place of the first
    // significant digit tells which (strtod gives an infinity or 0).
    const long long lead = n.int_digits - 1 - n.first_significant; // in digits
    const long long place = n.hex ? lead * 4 + n.exponent : lead + n.exponent;
    v = place >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return result.ec == std::errc() || result.ec == std::errc::result_out_of_range;
}

// strtod's value of the number read; false when no prefix of it is one.
bool value_of(const Number& n, double& value) {
  double v = 0.0;
  if (n.kind == Number::Kind::nan) {
    v = std::numeric_limits<double>::quiet_NaN();
  } else if (n.kind == Number::Kind::infinity) {
    v = std::numeric_limits<double>::infinity();
  } else if (n.digits == 0) {
    if (!n.hex) return false; // "." or "-.": taken, but no number
    // "0x" and a point without a hex digit: strtod reads the "0" alone.
  } else if (n.hex || n.significant > 19 ||
             !exact_decimal(n.value, n.exponent - (n.digits - n.int_digits), v)) {
    if (!slow_value(n, v)) return false;
  }
  value = n.negative ? -v : v;
  return true;
}

} // namespace

bool scan_double(const char*& p, const char* end, double& value) {
  skip_space(p, end);
  Number n;
  return read_number(p, end, n) && value_of(n, value);
}

bool scan_hex(const char*& p, const char* end, int& value) {
  skip_space(p, end);
  const bool negative = take_sign(p, end);
  bool any = false;
  if (p < end && *p == '0') {
    any = true;
    ++p;
    if (p < end && lower(*p) == 'x') ++p; // "0x" reads as 0 when no digit follows
  }
  constexpr std::uint64_t kMax = 0xffffffffu;
  std::uint64_t magnitude = 0;
  for (; p < end && is_xdigit(*p); ++p) {
    any = true;
    if (magnitude <= kMax)
      magnitude = magnitude * 16 + static_cast<std::uint64_t>(xdigit_value(*p));
  }
  if (!any) return false;
  std::uint32_t bits = 0xffffffffu; // out of range, whatever the sign
  if (magnitude <= kMax) {
    bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
  }
  value = static_cast<int>(bits); // two's complement
  return true;
}

Scan::Scan(const char* rec, std::size_t n, std::size_t start) {
  const void* nul = std::memchr(rec, '\0', n);
  const std::size_t length =
      nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - rec) : n;
  end_ = rec + length;
  if (start > length) {
    p_ = end_;
    stopped_ = true;
  } else {
    p_ = rec + start;
  }
}

Scan& Scan::done(bool ok) {
  if (ok) {
    ++count_;
  } else {
    stopped_ = true;
  }
  return *this;
}

Scan& Scan::lf(double& value) { return go() ? done(scan_double(p_, end_, value)) : *this; }

Scan& Scan::d(int& value) { return go() ? done(read_decimal(p_, end_, value)) : *this; }

Scan& Scan::x(int& value) { return go() ? done(scan_hex(p_, end_, value)) : *this; }

Scan& Scan::c(char* dst, std::size_t width, std::size_t& taken) {
  taken = 0;
  if (!go()) return *this;
  if (p_ == end_ || width == 0) return done(false);
  const std::size_t available = static_cast<std::size_t>(end_ - p_);
  taken = width < available ? width : available;
  std::memcpy(dst, p_, taken);
  p_ += taken;
  return done(true);
}

Scan& Scan::blank() {
  if (go()) skip_space(p_, end_);
  return *this;
}

Scan& Scan::literal(char ch) {
  if (!go()) return *this;
  if (p_ < end_ && *p_ == ch) {
    ++p_;
    return *this;
  }
  stopped_ = true;
  return *this;
}

} // namespace curvetext
