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

// The longest prefix of [s, e) that strtod reads as a finite number, s being
// behind the sign: its digits and where it ends.
struct Mantissa {
  const char* end = nullptr;
  bool hex = false;
  int digits = 0;             // mantissa digits, before and after the point
  int int_digits = 0;         // of them before the point
  int first_significant = -1; // index of the first digit other than 0
  int significant = 0;        // digits from that one on
  std::uint64_t value = 0;    // those digits as an integer, while 19 or fewer
  long long exponent = 0;     // the exponent written, saturated far out of range
};

Mantissa read_mantissa(const char* s, const char* e) {
  Mantissa m;
  m.hex = e - s >= 2 && s[0] == '0' && lower(s[1]) == 'x';
  const char* q = m.hex ? s + 2 : s; // from_chars wants no "0x"
  for (bool dot = false; q < e; ++q) {
    if (*q == '.' && !dot) {
      dot = true;
      continue;
    }
    if (!(m.hex ? is_xdigit(*q) : is_digit(*q))) break;
    if (m.first_significant < 0 && *q != '0') m.first_significant = m.digits;
    if (m.first_significant >= 0 && ++m.significant <= 19 && !m.hex) {
      m.value = m.value * 10 + static_cast<std::uint64_t>(*q - '0');
    }
    ++m.digits;
    if (!dot) ++m.int_digits;
  }
  m.end = q;
  // An exponent counts only with at least one digit ("1e" reads as 1).
  if (m.digits > 0 && q < e && lower(*q) == (m.hex ? 'p' : 'e')) {
    const char* r = q + 1;
    bool negative = false;
    if (r < e && (*r == '+' || *r == '-')) negative = *r++ == '-';
    if (r < e && is_digit(*r)) {
      for (; r < e && is_digit(*r); ++r) {
        if (m.exponent < 100000000) m.exponent = m.exponent * 10 + (*r - '0');
      }
      if (negative) m.exponent = -m.exponent;
      m.end = r;
    }
  }
  return m;
}

// strtod over the bytes that a conversion took, [s, e): the value of their
// longest prefix that forms a number; false when no prefix does.
bool to_double(const char* s, const char* e, double& value) {
  bool negative = false;
  if (s < e && (*s == '+' || *s == '-')) negative = *s++ == '-';
  if (s == e) return false;
  double v = 0.0;
  if (lower(*s) == 'n') {
    v = std::numeric_limits<double>::quiet_NaN(); // "nan": the taker admits nothing else
  } else if (lower(*s) == 'i') {
    v = std::numeric_limits<double>::infinity(); // "inf" or "infinity"
  } else {
    const Mantissa m = read_mantissa(s, e);
    if (m.digits == 0) {
      if (!m.hex) return false;
      // "0x" without a hex digit: strtod reads the "0" alone.
    } else if (m.hex || m.significant > 19 ||
               !exact_decimal(m.value, m.exponent - (m.digits - m.int_digits), v)) {
      const char* digits = m.hex ? s + 2 : s;
      const auto result = std::from_chars(
          digits, m.end, v, m.hex ? std::chars_format::hex : std::chars_format::general);
      assert(result.ptr == m.end && "the number grammar and from_chars disagree");
      if (result.ec == std::errc::result_out_of_range) {
        // Beyond the double range one way or the other: the place of the
        // first significant digit tells which (strtod gives an infinity or 0).
        const long long lead = m.int_digits - 1 - m.first_significant; // in digits
        const long long place = m.hex ? lead * 4 + m.exponent : lead + m.exponent;
        v = place >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
      } else if (result.ec != std::errc()) {
        return false;
      }
    }
  }
  value = negative ? -v : v;
  return true;
}

} // namespace

bool scan_double(const char*& p, const char* end, double& value) {
  skip_space(p, end);
  if (p == end) return false;
  const char* start = p;
  bool got_sign = false;
  if (*p == '+' || *p == '-') {
    got_sign = true;
    if (++p == end) return false;
  }
  if (lower(*p) == 'n') {
    if (!take_word(p, end, "nan")) return false;
    // "nan(...)" is not taken: the parenthesis stays for the next directive.
    return to_double(start, p, value);
  }
  if (lower(*p) == 'i') {
    if (!take_word(p, end, "inf")) return false;
    // Once "infi" is taken the whole "infinity" must follow.
    if (p < end && lower(*p) == 'i' && !take_word(p, end, "inity")) return false;
    return to_double(start, p, value);
  }
  bool hex = false;
  bool got_digit = false;
  if (*p == '0') {
    ++p;
    if (p < end && lower(*p) == 'x') {
      hex = true;
      ++p;
    } else {
      got_digit = true;
    }
  }
  const char exp_char = hex ? 'p' : 'e';
  bool got_dot = false;
  bool got_e = false;
  for (; p < end; ++p) {
    const char c = *p;
    if (is_digit(c) || (hex && !got_e && is_xdigit(c))) {
      got_digit = true;
    } else if (got_e && lower(p[-1]) == exp_char && (c == '+' || c == '-')) {
      // a sign right behind the exponent mark
    } else if (got_digit && !got_e && lower(c) == exp_char) {
      got_e = got_dot = true;
    } else if (!got_dot && c == '.') {
      got_dot = true;
    } else {
      break;
    }
  }
  const std::ptrdiff_t taken = p - start;
  if (taken == (got_sign ? 1 : 0) || (hex && taken == (got_sign ? 3 : 2))) return false;
  return to_double(start, p, value);
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
