#include "reader/scan.h"

#include <gtest/gtest.h>

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
const double kInf = std::numeric_limits<double>::infinity();

// "%lf%c": the value and the byte behind the number, so that the table pins
// down which bytes the conversion takes.
struct DoubleCase {
  const char* input;
  int count;    // conversions stored
  double value; // kUnset: left alone
  char next;    // the byte "%c" takes behind the number, 0: none
};

TEST(ScanDouble, WellFormedAndMalformedNumbers) {
  const DoubleCase cases[] = {
      {"", 0, kUnset, 0},
      {"   ", 0, kUnset, 0},
      {"12", 1, 12.0, 0},
      {"  \t\n12 x", 2, 12.0, ' '},
      {"+1.5", 1, 1.5, 0},
      {"-1.5e3,", 2, -1500.0, ','},
      {"1.5E-3", 1, 0.0015, 0},
      {".5", 1, 0.5, 0},
      {"5.", 1, 5.0, 0},
      {"-", 0, kUnset, 0},
      {"+", 0, kUnset, 0},
      {"- 1", 0, kUnset, 0},
      {".", 0, kUnset, 0},
      {"-.", 0, kUnset, 0},
      {".e5", 0, kUnset, 0},
      {"abc", 0, kUnset, 0},
      {",5", 0, kUnset, 0},
      {"2,5", 2, 2.0, ','},
      {"3x", 2, 3.0, 'x'},
      {"1.2.3", 2, 1.2, '.'},
      {"1e", 1, 1.0, 0},    // the "e" is taken although no digit follows
      {"1ex", 2, 1.0, 'x'}, // ... and so does not reach the next directive
      {"1e+", 1, 1.0, 0},   // the sign too
      {"1e+-5", 2, 1.0, '-'},
      {"1e5e3", 2, 1e5, 'e'},
      {"1e5.5", 2, 1e5, '.'},
      {"1e999", 1, kInf, 0},
      {"-1e999", 1, -kInf, 0},
      {"1e99999999999999999999", 1, kInf, 0},
      {"1e-999", 1, 0.0, 0},
      {"-1e-999", 1, -0.0, 0},
      {"1e-99999999999999999999", 1, 0.0, 0},
      {"1.7976931348623157e308", 1, 1.7976931348623157e308, 0},
      {"1.7976931348623159e308", 1, kInf, 0},
      {"4.9406564584124654e-324", 1, 4.9406564584124654e-324, 0},
      {"2e-324", 1, 0.0, 0},
      {"0.000000000000000000000000000001e330", 1, 1e300, 0},
      {"-0", 1, -0.0, 0},
      {"inf", 1, kInf, 0},
      {"-INF", 1, -kInf, 0},
      {"Infinity", 1, kInf, 0},
      {"infx", 2, kInf, 'x'},
      {"infin", 0, kUnset, 0}, // once "infi" is taken, all of "infinity" must follow
      {"infinityy", 2, kInf, 'y'},
      {"in", 0, kUnset, 0},
      {"0x1p3", 1, 8.0, 0},
      {"-0X1.8P1", 1, -3.0, 0},
      {"0x1P", 1, 1.0, 0},
      {"0xA", 1, 10.0, 0},
      {"0x.8", 1, 0.5, 0},
      {"0x", 0, kUnset, 0}, // "0x" and no hex digit: no number at all
      {"0xg", 0, kUnset, 0},
      {"-0x", 0, kUnset, 0},
      {"0x.", 1, 0.0, 0}, // strtod reads the "0" of what was taken
      {"0x1p99999", 1, kInf, 0},
      {"0x1p-99999", 1, 0.0, 0},
      {"0x8000000000000.cp-1074", 1, 0x0.8000000000001p-1022, 0}, // correctly rounded up
      {"1e5x", 2, 1e5, 'x'},
      {"0e5", 1, 0.0, 0},
      {"00x5", 2, 0.0, 'x'},
      {"1a", 2, 1.0, 'a'},
  };
  for (const DoubleCase& c : cases) {
    double v = kUnset;
    char next = 0;
    std::size_t taken = 0;
    const Scan scan = Scan(c.input, std::strlen(c.input), 0).lf(v).c(&next, 1, taken);
    EXPECT_EQ(scan.count(), c.count) << c.input;
    EXPECT_EQ(bits(v), bits(c.value)) << c.input << " gave " << v;
    EXPECT_EQ(next, c.next) << c.input;
  }
}

TEST(ScanDouble, NotANumber) {
  struct Case {
    const char* input;
    bool negative;
    char next;
  } cases[] = {{"nan", false, 0}, {"-NaN", true, 0}, {"+nan(1)", false, '('}};
  for (const Case& c : cases) {
    double v = kUnset;
    char next = 0;
    std::size_t taken = 0;
    Scan(c.input, std::strlen(c.input), 0).lf(v).c(&next, 1, taken);
    EXPECT_TRUE(std::isnan(v)) << c.input;
    EXPECT_EQ(std::signbit(v), c.negative) << c.input;
    EXPECT_EQ(next, c.next) << c.input;
  }
  double v = kUnset;
  EXPECT_EQ(Scan("na", 2, 0).lf(v).count(), 0);
  EXPECT_EQ(v, kUnset);
}

struct IntCase {
  const char* input;
  int count;
  int value; // -7777: left alone
  char next;
};

TEST(ScanInt, DecimalSaturatesAtTheIntRange) {
  const IntCase cases[] = {
      {"", 0, -7777, 0},
      {"42", 1, 42, 0},
      {"  -42z", 2, -42, 'z'},
      {"+7", 1, 7, 0},
      {"-", 0, -7777, 0},
      {"+-1", 0, -7777, 0},
      {"x1", 0, -7777, 0},
      {"0x1a", 2, 0, 'x'},
      {"3.9", 2, 3, '.'},
      {"1,2", 2, 1, ','},
      {"2147483647", 1, INT_MAX, 0},
      {"2147483648", 1, INT_MAX, 0},
      {"-2147483648", 1, INT_MIN, 0},
      {"-2147483649", 1, INT_MIN, 0},
      {"99999999999999999999999", 1, INT_MAX, 0},
  };
  for (const IntCase& c : cases) {
    int v = -7777;
    char next = 0;
    std::size_t taken = 0;
    const Scan scan = Scan(c.input, std::strlen(c.input), 0).d(v).c(&next, 1, taken);
    EXPECT_EQ(scan.count(), c.count) << c.input;
    EXPECT_EQ(v, c.value) << c.input;
    EXPECT_EQ(next, c.next) << c.input;
  }
}

TEST(ScanInt, HexIsUnsigned32BitStoredAsTwosComplement) {
  const IntCase cases[] = {
      {"1a", 1, 26, 0},
      {"1A", 1, 26, 0},
      {"0x1a", 1, 26, 0},
      {"0X1a", 1, 26, 0},
      {"0x", 1, 0, 0}, // "0x" without digits reads as 0, the x taken
      {"0xg", 2, 0, 'g'},
      {"0x0x5", 2, 0, 'x'},
      {"x5", 0, -7777, 0},
      {"-", 0, -7777, 0},
      {"g", 0, -7777, 0},
      {" ff ", 2, 255, ' '},
      {"ffffffff", 1, -1, 0},
      {"80000000", 1, INT_MIN, 0},
      {"100000000", 1, -1, 0}, // beyond 32 bits: ffffffff
      {"fffffffffffffffffffff", 1, -1, 0},
      {"-1", 1, -1, 0},
      {"-10", 1, -16, 0},
      {"-0x10", 1, -16, 0},
      {"-0", 1, 0, 0},
      {"-ffffffff", 1, 1, 0},
      {"-100000000", 1, -1, 0}, // out of range whatever the sign
      {"+14", 1, 20, 0},
      {"1.5", 2, 1, '.'},
  };
  for (const IntCase& c : cases) {
    int v = -7777;
    char next = 0;
    std::size_t taken = 0;
    const Scan scan = Scan(c.input, std::strlen(c.input), 0).x(v).c(&next, 1, taken);
    EXPECT_EQ(scan.count(), c.count) << c.input;
    EXPECT_EQ(v, c.value) << c.input;
    EXPECT_EQ(next, c.next) << c.input;
  }
}

TEST(Scan, RawBytesBlanksAndLiterals) {
  char raw[8] = "-------";
  std::size_t taken = 99;
  double v = 0;
  // "%lf \"%5c" over a text whose raw part is shorter than the width.
  const char* text = "1.5  \"ab\n";
  Scan s = Scan(text, std::strlen(text), 0).lf(v).blank().literal('"').c(raw, 5, taken);
  EXPECT_EQ(s.count(), 2);
  EXPECT_EQ(taken, 3u);
  EXPECT_EQ(std::string(raw), "ab\n----"); // no NUL added

  // A blank matches no white space too; a literal does not skip any.
  EXPECT_EQ(Scan("1.5\"x", 5, 0).lf(v).blank().literal('"').c(raw, 1, taken).count(), 2);
  EXPECT_EQ(Scan("1.5 \"x", 6, 0).lf(v).literal('"').c(raw, 1, taken).count(), 1);
  EXPECT_EQ(taken, 0u);

  // %c takes white space as it comes and fails only at the end.
  EXPECT_EQ(Scan(" \tz", 3, 0).c(raw, 2, taken).count(), 1);
  EXPECT_EQ(std::string(raw, 2), " \t");
  EXPECT_EQ(Scan("", 0, 0).c(raw, 2, taken).count(), 0);
}

TEST(Scan, FirstFailureStopsTheRead) {
  double a = -1, b = -1, c = -1;
  const char* text = "1 x 3";
  const Scan s = Scan(text, 5, 0).lf(a).blank().lf(b).blank().lf(c);
  EXPECT_EQ(s.count(), 1);
  EXPECT_TRUE(s.stopped());
  EXPECT_EQ(a, 1.0);
  EXPECT_EQ(b, -1.0);
  EXPECT_EQ(c, -1.0); // "3" is never reached
}

TEST(Scan, SeesTheRecordUpToItsFirstNulOnly) {
  double a = -1, b = -1;
  const char text[] = "12\0 34";
  EXPECT_EQ(Scan(text, sizeof text - 1, 0).lf(a).blank().lf(b).count(), 1);
  EXPECT_EQ(a, 12.0);
  EXPECT_EQ(b, -1.0);

  // A start at the end reads an empty record; beyond it, nothing at all.
  int i = -5;
  EXPECT_EQ(Scan("hs", 2, 2).d(i).count(), 0);
  const Scan beyond = Scan("hs", 2, 3).d(i);
  EXPECT_TRUE(beyond.stopped());
  EXPECT_EQ(i, -5);
  const char nul_inside[] = "h\0 55";
  EXPECT_TRUE(Scan(nul_inside, 5, 3).stopped());
}

// ------------------------------------------------------------------------
// Differential test against the C library's own formatted input. Every
// generated string is copied into a heap block of exactly its length, without
// a NUL, so that a read behind its end shows under AddressSanitizer.

class Block {
public:
  explicit Block(const std::string& s) : data_(new char[s.size() + 1]), size_(s.size()) {
    std::memcpy(data_.get(), s.data(), s.size());
  }
  Scan scan() const { return Scan(data_.get(), size_, 0); }

private:
  std::unique_ptr<char[]> data_;
  std::size_t size_;
};

int library_count(int n) { return n < 0 ? 0 : n; } // EOF: nothing stored

// True when s holds a run of at least `n` bytes of `set`.
bool has_run(const std::string& s, const char* set, std::size_t n) {
  std::size_t run = 0;
  for (char c : s) {
    run = std::strchr(set, c) != nullptr && c != '\0' ? run + 1 : 0;
    if (run >= n) return true;
  }
  return false;
}

std::string random_text(std::mt19937& rng) {
  static const char kAlphabet[] = "0123456789000111+-.eExXpPabcdefABCDEFinfINFtyaN() ,\t";
  std::uniform_int_distribution<int> length(0, 12);
  std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 2);
  std::string s;
  for (int n = length(rng); n > 0; --n)
    s += kAlphabet[pick(rng)];
  return s;
}

// A number put together from its parts, long mantissas and far exponents
// included, with some junk behind it.
std::string built_number(std::mt19937& rng) {
  auto one_of = [&rng](std::initializer_list<const char*> options) {
    std::uniform_int_distribution<std::size_t> pick(0, options.size() - 1);
    return std::string(options.begin()[pick(rng)]);
  };
  auto digits = [&rng](int max, bool hex) {
    std::uniform_int_distribution<int> count(0, max);
    std::uniform_int_distribution<int> digit(0, hex ? 15 : 9);
    std::string s;
    for (int n = count(rng); n > 0; --n)
      s += "0123456789abcdef"[digit(rng)];
    return s;
  };
  const bool hex = std::uniform_int_distribution<int>(0, 4)(rng) == 0;
  std::string s = one_of({"", "", " ", "+", "-"});
  if (hex) s += one_of({"0x", "0X"});
  s += digits(hex ? 18 : 25, hex);
  s += one_of({"", ".", "."});
  s += digits(hex ? 18 : 25, hex);
  s += hex ? one_of({"", "p", "P"}) : one_of({"", "e", "E"});
  s += one_of({"", "+", "-"});
  s += one_of(
      {"", "3", "22", "23", "37", "308", "309", "323", "324", "330", "1074", "1075", "99999"});
  s += one_of({"", "", "x", ",", " 7", "e", ".5"});
  return s;
}

// The same double, but for one fault of the GNU C library (2.36 at least):
// hexadecimal inputs with a subnormal result are sometimes rounded down where
// they must round up (0x8000000000000.cp-1074). Ours round correctly; the
// table above pins that case.
bool same_double(const std::string& s, double ours, double lib) {
  if (bits(ours) == bits(lib)) return true;
  const bool hex = s.find_first_of("xX") != std::string::npos;
  return hex && std::fpclassify(lib) == FP_SUBNORMAL &&
         std::fabs(std::fabs(ours) - std::fabs(lib)) <= std::numeric_limits<double>::denorm_min();
}

void compare_with_library(const std::string& s) {
  const Block block(s);
  const char* c_str = s.c_str();
  SCOPED_TRACE("input \"" + s + "\"");

  { // "%lf%c": the value and what it leaves behind
    double lib = kUnset, ours = kUnset;
    char lib_next = '?', our_next = '?';
    std::size_t taken = 0;
    const int n = library_count(std::sscanf(c_str, "%lf%c", &lib, &lib_next));
    const Scan scan = block.scan().lf(ours).c(&our_next, 1, taken);
    ASSERT_EQ(scan.count(), n);
    ASSERT_TRUE(same_double(s, ours, lib)) << ours << " " << lib;
    ASSERT_EQ(our_next, lib_next);
  }
  { // "%lf %lf %lf"
    double lib[3] = {kUnset, kUnset, kUnset}, ours[3] = {kUnset, kUnset, kUnset};
    const int n = library_count(std::sscanf(c_str, "%lf %lf %lf", &lib[0], &lib[1], &lib[2]));
    const Scan scan = block.scan().lf(ours[0]).blank().lf(ours[1]).blank().lf(ours[2]);
    ASSERT_EQ(scan.count(), n);
    for (int i = 0; i < 3; ++i)
      ASSERT_TRUE(same_double(s, ours[i], lib[i])) << i;
  }
  { // "%d%c", through "%lld": the library's int overflow is not ours, so
    // its 64-bit value, clamped to the int range, is what we must give.
    long long lib = -7777;
    int ours = -7777;
    char lib_next = '?', our_next = '?';
    std::size_t taken = 0;
    const int n = library_count(std::sscanf(c_str, "%lld%c", &lib, &lib_next));
    const Scan scan = block.scan().d(ours).c(&our_next, 1, taken);
    ASSERT_EQ(scan.count(), n);
    ASSERT_EQ(ours, lib < INT_MIN ? INT_MIN : lib > INT_MAX ? INT_MAX : static_cast<int>(lib));
    ASSERT_EQ(our_next, lib_next);
  }
  // "%x%c", through "%llx" on inputs of at most 15 hex digits in a row:
  // beyond 32 bits, negated or not, we give ffffffff.
  if (!has_run(s, "0123456789abcdefABCDEF", 16)) {
    unsigned long long lib = 0xdeadbeef;
    int ours = static_cast<int>(0xdeadbeefu);
    char lib_next = '?', our_next = '?';
    std::size_t taken = 0;
    const int n = library_count(std::sscanf(c_str, "%llx%c", &lib, &lib_next));
    const Scan scan = block.scan().x(ours).c(&our_next, 1, taken);
    ASSERT_EQ(scan.count(), n);
    const bool in_range = lib <= 0xffffffffull || lib >= 0ull - 0xffffffffull;
    ASSERT_EQ(static_cast<std::uint32_t>(ours),
              in_range ? static_cast<std::uint32_t>(lib) : 0xffffffffu);
    ASSERT_EQ(our_next, lib_next);
  }
  { // "%lf %d \"%3c": a text record's tail
    double lib_v = kUnset, our_v = kUnset;
    int lib_i = -7777, our_i = -7777;
    char lib_raw[4] = "###", our_raw[4] = "###";
    std::size_t taken = 0;
    const int n = library_count(std::sscanf(c_str, "%lf %d \"%3c", &lib_v, &lib_i, lib_raw));
    const Scan scan =
        block.scan().lf(our_v).blank().d(our_i).blank().literal('"').c(our_raw, 3, taken);
    ASSERT_EQ(scan.count(), n);
    ASSERT_TRUE(same_double(s, our_v, lib_v));
    if (!has_run(s, "0123456789", 10)) { // no int overflow
      ASSERT_EQ(our_i, lib_i);
    }
    ASSERT_EQ(std::string(our_raw), std::string(lib_raw));
  }
}

TEST(Scan, AgreesWithTheCLibraryOnHardRoundings) {
  const char* cases[] = {
      "2.4703282292062327e-324", // just below half the least subnormal: 0
      "2.4703282292062328e-324", // just above: the least subnormal
      "9007199254740993",        // 2^53 + 1: a tie, to even
      "9007199254740993.0000000000000000001",
      "1.00000000000000011102230246251565404236316680908203125", // 1 + 2^-53: a tie
      "1.00000000000000011102230246251565404236316680908203126",
      "1e23",
      "8.9884656743115795386e307",
      "2.2250738585072011e-308", // the largest subnormal's neighbourhood
      "2.2250738585072012e-308",
      "123456789012345678901234567890e-10",
      "0.1",
      "4.35679e-5",
      "12e30",
      "7.038531e-26",
      "0x1.fffffffffffff8p1023", // rounds to an infinity
      "0x1.fffffffffffff7ffp1023",
      "0x1.00000000000008p0", // a tie, to even
      "0x1.00000000000018p0",
  };
  for (const char* c : cases) {
    compare_with_library(c);
    if (HasFatalFailure()) return;
  }
}

TEST(Scan, AgreesWithTheCLibraryOnRandomText) {
  std::mt19937 rng(20240601);
  for (int i = 0; i < 40000; ++i) {
    compare_with_library(random_text(rng));
    if (HasFatalFailure()) return;
  }
}

TEST(Scan, AgreesWithTheCLibraryOnBuiltNumbers) {
  std::mt19937 rng(77);
  for (int i = 0; i < 40000; ++i) {
    compare_with_library(built_number(rng));
    if (HasFatalFailure()) return;
  }
}

} // namespace
} // namespace curvetext
