// Value reads of the reader: the C library's formatted input for the
// conversions the interface file uses ("%lf", "%d", "%x", "%Nc", a blank and a
// literal byte), done by hand so that every platform reads the same values.
//
// A read is a chain of directives over one record:
//   Scan(rec, n, 2).lf(st.CX).blank().lf(st.CY);
// The first conversion that fails stops the chain: the fields before it are
// set, the others keep their values. The characters that a conversion takes
// are those the GNU C library takes (a sign, "0x", "1e", "nan", "inf",
// "infinity"), and the value is what strtod / strtol / strtoul give for them,
// with defined results out of range:
//  - %d saturates at the int range;
//  - %x reads an unsigned 32-bit value (a leading '-' negates it modulo 2^32)
//    that saturates at ffffffff, and stores its two's-complement int;
//  - %lf overflows to an infinity and underflows as strtod does.
#pragma once

#include <cstddef>

namespace curvetext {

class Scan {
public:
  // Reads the record `rec` of `n` bytes from byte index `start` on. The record
  // ends at its first NUL, if any; a start beyond its end reads nothing.
  Scan(const char* rec, std::size_t n, std::size_t start);

  Scan& lf(double& value); // "%lf"
  Scan& d(int& value);     // "%d"
  Scan& x(int& value);     // "%x"
  // "%Nc" with N = width: up to `width` raw bytes, no white space skipped, no
  // NUL added. Fewer bytes are taken when the record ends first; `taken`
  // receives their count (0 when the conversion fails).
  Scan& c(char* dst, std::size_t width, std::size_t& taken);
  // A blank in the format: any run of white space, none included.
  Scan& blank();
  // An ordinary byte of the format: must be the next byte.
  Scan& literal(char ch);

  // Number of values stored so far.
  int count() const { return count_; }

private:
  bool go() const { return !stopped_; }
  Scan& done(bool ok);

  const char* p_;
  const char* end_;
  int count_ = 0;
  bool stopped_ = false;
};

// The single conversions over [p, end): on success store the value, move p
// behind the characters taken and return true; on failure return false and
// leave the value alone (p may have moved).
bool scan_double(const char*& p, const char* end, double& value);
bool scan_hex(const char*& p, const char* end, int& value);

} // namespace curvetext
