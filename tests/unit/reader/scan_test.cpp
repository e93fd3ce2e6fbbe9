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
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// "%lf%c": the value (kUnset: left alone) and the byte that "%c" takes behind
// the number (0: none), which pins down which bytes the conversion takes.
TEST(Scan, Doubles) {
  // clang-format off
  const struct {
    const char* input;
    double value;
    char next;
  } cases[] = {
      {"", kUnset, 0}, {"   ", kUnset, 0}, {"12", 12.0, 0}, {"  \t\n12 x", 12.0, ' '},
      {"+1.5", 1.5, 0}, {"-1.5e3,", -1500.0, ','}, {"1.5E-3", 0.0015, 0}, {".5", 0.5, 0},
      {"5.", 5.0, 0}, {"-", kUnset, 0}, {"+", kUnset, 0}, {"- 1", kUnset, 0}, {".", kUnset, 0},
      {"-.", kUnset, 0}, {".e5", kUnset, 0}, {"abc", kUnset, 0}, {",5", kUnset, 0},
      {"2,5", 2.0, ','}, {"3x", 3.0, 'x'}, {"1.2.3", 1.2, '.'}, {"1e", 1.0, 0}, {"1ex", 1.0, 'x'},
      {"1e+", 1.0, 0}, {"1e+-5", 1.0, '-'}, {"1e5e3", 1e5, 'e'}, {"1e5.5", 1e5, '.'},
      {"1e999", kInf, 0}, {"-1e999", -kInf, 0}, {"1e99999999999999999999", kInf, 0},
      {"1e-999", 0.0, 0}, {"-1e-999", -0.0, 0}, {"1e-99999999999999999999", 0.0, 0},
      {"1.7976931348623157e308", 1.7976931348623157e308, 0}, {"1.7976931348623159e308", kInf, 0},
      {"4.9406564584124654e-324", 4.9406564584124654e-324, 0}, {"2e-324", 0.0, 0},
      {"0.000000000000000000000000000001e330", 1e300, 0}, {"-0", -0.0, 0}, {"inf", kInf, 0},
      {"-INF", -kInf, 0}, {"Infinity", kInf, 0}, {"infx", kInf, 'x'}, {"infin", kUnset, 0},
      {"infinityy", kInf, 'y'}, {"in", kUnset, 0}, {"0x1p3", 8.0, 0}, {"-0X1.8P1", -3.0, 0},
      {"0x1P", 1.0, 0}, {"0xA", 10.0, 0}, {"0x.8", 0.5, 0}, {"0x", kUnset, 0}, {"0xg", kUnset, 0},
      {"-0x", kUnset, 0}, {"0x.", 0.0, 0}, {"0x1p99999", kInf, 0}, {"0x1p-99999", 0.0, 0},
      {"0x8000000000000.cp-1074", 0x0.8000000000001p-1022, 0}, {"1e5x", 1e5, 'x'}, {"0e5", 0.0, 0},
      {"00x5", 0.0, 'x'}, {"1a", 1.0, 'a'}, {"nan", kNaN, 0}, {"-NaN", -kNaN, 0},
      {"+nan(1)", kNaN, '('}, {"na", kUnset, 0}};
  // clang-format on
  for (const auto& c : cases) {
    double v = kUnset;
    char next = 0;
    std::size_t taken = 0;
    const Scan scan = Scan(c.input, std::strlen(c.input), 0).lf(v).c(&next, 1, taken);
    EXPECT_EQ(scan.count(), (c.value != kUnset) + (next != 0)) << c.input;
    EXPECT_EQ(bits(v), bits(c.value)) << c.input << " gave " << v;
    EXPECT_EQ(next, c.next) << c.input;
  }
}

// "%d%c" saturates at the int range; "%x%c" reads an unsigned 32-bit value,
// stored as two's complement.
TEST(Scan, Ints) {
  // clang-format off
  const struct {
    char conversion;
    const char* input;
    int value;
    char next;
  } cases[] = {
      {'d', "", kUnsetInt, 0}, {'d', "42", 42, 0}, {'d', "  -42z", -42, 'z'}, {'d', "+7", 7, 0},
      {'d', "-", kUnsetInt, 0}, {'d', "+-1", kUnsetInt, 0}, {'d', "x1", kUnsetInt, 0},
      {'d', "0x1a", 0, 'x'}, {'d', "3.9", 3, '.'}, {'d', "1,2", 1, ','},
      {'d', "2147483647", INT_MAX, 0}, {'d', "2147483648", INT_MAX, 0},
      {'d', "-2147483648", INT_MIN, 0}, {'d', "-2147483649", INT_MIN, 0},
      {'d', "99999999999999999999999", INT_MAX, 0}, {'x', "1a", 26, 0}, {'x', "1A", 26, 0},
      {'x', "0x1a", 26, 0}, {'x', "0X1a", 26, 0}, {'x', "0x", 0, 0}, {'x', "0xg", 0, 'g'},
      {'x', "0x0x5", 0, 'x'}, {'x', "x5", kUnsetInt, 0}, {'x', "-", kUnsetInt, 0},
      {'x', "g", kUnsetInt, 0}, {'x', " ff ", 255, ' '}, {'x', "ffffffff", -1, 0},
      {'x', "80000000", INT_MIN, 0}, {'x', "100000000", -1, 0},
      {'x', "fffffffffffffffffffff", -1, 0}, {'x', "-1", -1, 0}, {'x', "-10", -16, 0},
      {'x', "-0x10", -16, 0}, {'x', "-0", 0, 0}, {'x', "-ffffffff", 1, 0},
      {'x', "-100000000", -1, 0}, {'x', "+14", 20, 0}, {'x', "1.5", 1, '.'}};
  // clang-format on
  for (const auto& c : cases) {
    int v = kUnsetInt;
    char next = 0;
    std::size_t taken = 0;
    Scan scan(c.input, std::strlen(c.input), 0);
    (c.conversion == 'd' ? scan.d(v) : scan.x(v)).c(&next, 1, taken);
    EXPECT_EQ(scan.count(), (v != kUnsetInt) + (next != 0)) << c.input;
    EXPECT_EQ(v, c.value) << c.conversion << c.input;
    EXPECT_EQ(next, c.next) << c.conversion << c.input;
  }
}

// Against the C library's own formatted input. Each input is copied into a
// heap block of exactly its length, without a NUL, so that a read behind its
// end shows under AddressSanitizer.
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

void compare_with_library(const std::string& s) {
  const std::unique_ptr<char[]> block(new char[s.size() + 1]);
  std::memcpy(block.get(), s.data(), s.size());
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
        "0x1.00000000000018p0"}) {
    compare_with_library(hard);
    if (HasFatalFailure()) return;
  }
  std::mt19937 rng(20240601);
  for (int i = 0; i < 80000; ++i) {
    compare_with_library(random_input(rng, i % 2 == 1));
    if (HasFatalFailure()) return;
  }
}

} // namespace
} // namespace curvetext
