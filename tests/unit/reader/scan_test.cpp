#include "reader/scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>

namespace curvetext {
namespace {

std::uint64_t bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

const double kUnset = -12345.0; // a value no input below gives
const int kUnsetInt = -7777;

// What the C library cannot be asked: its own rounding fault (below) and
// hexadecimal runs beyond 64 bits, which we saturate.
TEST(Scan, WhereTheCLibraryCannotTell) {
  double v = kUnset;
  EXPECT_EQ(Scan("0x8000000000000.cp-1074", 23, 0).lf(v).count(), 1);
  EXPECT_EQ(v, 0x0.8000000000001p-1022);
  int x = 0;
  for (const char* s : {"fffffffffffffffffffff", "-fffffffffffffffffffff"}) {
    EXPECT_EQ(Scan(s, std::strlen(s), 0).x(x).count(), 1);
    EXPECT_EQ(x, -1) << s;
  }
}

// Against the C library's own formatted input. Each input is copied into a
// heap block with a byte behind it that a read past the end would take in
// (a digit, the x of "0x", a quote) instead of a NUL; AddressSanitizer shows
// any read further on.
int library_count(int n) { return n < 0 ? 0 : n; } // EOF: nothing stored

// True when s holds a run of at least n hexadecimal digits.
bool has_run(const std::string& s, std::size_t n, bool decimal = false) {
  std::size_t run = 0;
  for (char c : s)
    if ((run = std::isxdigit(static_cast<unsigned char>(c)) && (!decimal || std::isdigit(c))
                   ? run + 1
                   : 0) >= n)
      return true;
  return false;
}

// Random text of number bytes, or a number put together from its parts (long
// mantissas, far exponents) with some junk behind it.
std::string random_input(std::mt19937& rng, bool built) {
  auto pick = [&rng](std::initializer_list<const char*> options) {
    return std::string(options.begin()[rng() % options.size()]);
  };
  auto digits = [&rng](int max, const char* set) {
    std::string s;
    for (int n = static_cast<int>(rng() % (max + 1)); n > 0; --n)
      s += set[rng() % std::strlen(set)];
    return s;
  };
  if (!built) return digits(12, "0123456789000111+-.eExXpPabcdefABCDEFinfINFtyaN() ,\t");
  const bool hex = rng() % 5 == 0;
  const char* set = hex ? "0123456789abcdef" : "0123456789";
  std::string s = pick({"", "", " ", "+", "-"}) + (hex ? pick({"0x", "0X"}) : "");
  s += digits(hex ? 18 : 25, set) + pick({"", ".", "."}) + digits(hex ? 18 : 25, set);
  s += (hex ? pick({"", "p", "P"}) : pick({"", "e", "E"})) + pick({"", "+", "-"});
  s +=
      pick({"", "3", "22", "23", "37", "308", "309", "323", "324", "330", "1074", "1075", "99999"});
  return s + pick({"", "", "x", ",", " 7", "e", ".5"});
}

// The same double, but for one fault of the GNU C library (2.36 at least):
// hexadecimal inputs with a subnormal result are sometimes rounded down where
// they must round up (0x8000000000000.cp-1074, pinned in the table above).
bool same_double(const std::string& s, double ours, double lib) {
  return bits(ours) == bits(lib) ||
         (s.find_first_of("xX") != std::string::npos && std::fpclassify(lib) == FP_SUBNORMAL &&
          std::fabs(std::fabs(ours) - std::fabs(lib)) <= std::numeric_limits<double>::denorm_min());
}

void compare_with_library(const std::string& s, char behind) {
  const std::unique_ptr<char[]> block(new char[s.size() + 1]);
  std::memcpy(block.get(), s.data(), s.size());
  block[s.size()] = behind;
  auto scan = [&] { return Scan(block.get(), s.size(), 0); };
  const char* in = s.c_str();
  SCOPED_TRACE("input \"" + s + "\"");
  double lib[3] = {kUnset, kUnset, kUnset}, ours[3] = {kUnset, kUnset, kUnset};
  char lib_c[4] = "###", our_c[4] = "###";
  std::size_t taken = 0;
  // "%lf%c"
  int n = library_count(std::sscanf(in, "%lf%c", &lib[0], lib_c));
  ASSERT_EQ(scan().lf(ours[0]).c(our_c, 1, taken).count(), n);
  ASSERT_TRUE(same_double(s, ours[0], lib[0])) << ours[0] << " " << lib[0];
  ASSERT_EQ(our_c[0], lib_c[0]);
  // "%lf %lf %lf"
  n = library_count(std::sscanf(in, "%lf %lf %lf", &lib[0], &lib[1], &lib[2]));
  ASSERT_EQ(scan().lf(ours[0]).blank().lf(ours[1]).blank().lf(ours[2]).count(), n);
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(same_double(s, ours[i], lib[i])) << i;
  // "%d%c" through "%lld": the library's int overflow is not ours, its 64-bit
  // value clamped to the int range is what we must give.
  long long lib_d = kUnsetInt;
  int our_i = kUnsetInt;
  n = library_count(std::sscanf(in, "%lld%c", &lib_d, lib_c));
  ASSERT_EQ(scan().d(our_i).c(our_c, 1, taken).count(), n);
  ASSERT_EQ(our_i, std::clamp<long long>(lib_d, INT_MIN, INT_MAX));
  ASSERT_EQ(our_c[0], lib_c[0]);
  // "%x%c" through "%llx", below 16 hex digits in a row: beyond 32 bits,
  // negated or not, we give ffffffff.
  if (!has_run(s, 16)) {
    unsigned long long lib_x = 0xdeadbeef;
    our_i = static_cast<int>(0xdeadbeefu);
    n = library_count(std::sscanf(in, "%llx%c", &lib_x, lib_c));
    ASSERT_EQ(scan().x(our_i).c(our_c, 1, taken).count(), n);
    const bool in_range = lib_x <= 0xffffffffull || lib_x >= 0ull - 0xffffffffull;
    ASSERT_EQ(static_cast<std::uint32_t>(our_i),
              in_range ? static_cast<std::uint32_t>(lib_x) : 0xffffffffu);
    ASSERT_EQ(our_c[0], lib_c[0]);
  }
  // "%lf %d \"%3c": a text record's tail
  int lib_i = kUnsetInt;
  our_i = kUnsetInt;
  std::memcpy(lib_c, "###", 4);
  std::memcpy(our_c, "###", 4);
  n = library_count(std::sscanf(in, "%lf %d \"%3c", &lib[0], &lib_i, lib_c));
  ASSERT_EQ(scan().lf(ours[0]).blank().d(our_i).blank().literal('"').c(our_c, 3, taken).count(), n);
  ASSERT_TRUE(same_double(s, ours[0], lib[0]));
  ASSERT_TRUE(has_run(s, 10, true) || our_i == lib_i); // else an int overflow
  ASSERT_EQ(std::string(our_c), std::string(lib_c));
}

TEST(Scan, AgreesWithTheCLibrary) {
  for (const char* hard :
       {"2.4703282292062327e-324", // just below half the least subnormal: 0
        "2.4703282292062328e-324", // just above: the least subnormal
        "9007199254740993",        // 2^53 + 1: a tie, to even
        "9007199254740993.0000000000000000001",
        "1.00000000000000011102230246251565404236316680908203125", // 1 + 2^-53: a tie
        "1.00000000000000011102230246251565404236316680908203126", "1e23",
        "8.9884656743115795386e307", "2.2250738585072011e-308", "2.2250738585072012e-308",
        "123456789012345678901234567890e-10", "0.1", "4.35679e-5", "12e30", "7.038531e-26",
        "0x1.fffffffffffff8p1023", // rounds to an infinity
        "0x1.fffffffffffff7ffp1023",
        "0x1.00000000000008p0", // a tie, to even
        "0x1.00000000000018p0",
        // Where a conversion stops, and what it leaves for the next one.
        "", "   ", "  \t\n12 x", "+1.5", "-1.5e3,", ".5", "5.", "-", "- 1", ".", "-.", ".e5", ",5",
        "2,5", "1.2.3", "1e", "1ex", "1e+", "1e+-5", "1e5e3", "1e5.5", "1e999", "-1e999",
        "1e99999999999999999999", "-1e-999", "1e-99999999999999999999", "1.7976931348623159e308",
        "4.9406564584124654e-324", "2e-324", "0.000000000000000000000000000001e330", "-0", "inf",
        "-INF", "Infinity", "infx", "infin", "infinityy", "in", "-0X1.8P1", "0x1P", "0x.8", "0x",
        "0xg", "-0x", "0x.", "0x1p99999", "0x1p-99999", "00x5", "1a", "nan", "-NaN", "+nan(1)",
        "na", "+-1", "0x1a", "3.9", "2147483647", "2147483648", "-2147483648", "-2147483649",
        "99999999999999999999999", "1A", "0X1a", "0x0x5", "x5", "g", " ff ", "ffffffff", "80000000",
        "100000000", "-1", "-10", "-0x10", "-ffffffff", "-100000000", "+14"}) {
    for (char behind : {'x', '7', '"'})
      compare_with_library(hard, behind);
    if (HasFatalFailure()) return;
  }
  // Longer than any record: the place of the first significant digit, not
  // of a later one, tells an infinity from 0.
  compare_with_library("1" + std::string(399, '0') + "1e-50", 'x');
  compare_with_library("0x1" + std::string(1100, '0') + "p-3350", 'x'); // 2^1050
  std::mt19937 rng(20240601);
  for (int i = 0; i < 80000; ++i) {
    compare_with_library(random_input(rng, i % 2 == 1), "x7\""[i % 3]);
    if (HasFatalFailure()) return;
  }
}

} // namespace
} // namespace curvetext
