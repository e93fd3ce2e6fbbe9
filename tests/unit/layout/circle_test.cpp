#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "layout/layouts.h"
#include "state/run_state.h"
#include "support/scratch_dir.h"

namespace curvetext {
namespace {

using testing::read_file;
using testing::ScratchDir;

using Layout = int (*)(RunState&, int, int);

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The curve and text kind of the worked examples: centre (0, 0), radius 100,
// kind 1 with width 10, height 10 and spacing 2 (byte advance 6).
struct Input {
  const char* text = "AB";
  double CX = 0.0, CY = 0.0, CR = 100.0;
  double SK = 0.0, EK = 0.0, HP = -2.0, JK = 0.0;
  double W = 10.0, H = 10.0, D = 2.0;
  int MOJIS = 1;
  int isTest = 0;
};

Input arc(double sk, double ek, const char* text = "AB") {
  Input in;
  in.text = text;
  in.SK = sk;
  in.EK = ek;
  in.HP = 1.0;
  return in;
}

struct Result {
  std::string out;   // the work copy
  std::string trace; // standard output
};

// Runs one layout on `in` and returns what it wrote into the work copy and
// on standard output.
Result run_layout(Layout layout, const Input& in, int qv_line_cnt = 0) {
  ScratchDir dir;
  auto st = std::make_unique<RunState>();
  std::strcpy(st->ChSTR, in.text);
  st->CX = in.CX;
  st->CY = in.CY;
  st->CR = in.CR;
  st->SK = in.SK;
  st->EK = in.EK;
  st->HP = in.HP;
  st->JK = in.JK;
  st->MOJIS = in.MOJIS;
  if (in.MOJIS >= 0 && in.MOJIS <= 10) {
    st->MOJI_W[in.MOJIS] = in.W;
    st->MOJI_H[in.MOJIS] = in.H;
    st->MOJI_D[in.MOJIS] = in.D;
  }
  st->isTest = in.isTest;
  st->iCi_cnt = 1;
  EXPECT_TRUE(st->fpw.open("out", LineEnd::lf));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(layout(*st, qv_line_cnt, 1), 0);
  const std::string trace = ::testing::internal::GetCapturedStdout();
  EXPECT_TRUE(st->fpw.close());
  return {read_file("out"), trace};
}

struct Case {
  const char* name;
  Layout layout;
  Input in;
  const char* expected;
};

void check_cases(const Case* begin, const Case* end) {
  for (const Case* c = begin; c != end; ++c) {
    SCOPED_TRACE(c->name);
    const Result r = run_layout(c->layout, c->in);
    EXPECT_EQ(r.out, c->expected);
    EXPECT_EQ(r.trace, "");
  }
}

TEST(CircleLayout, WorkedExamples) {
  const Case cases[] = {
      {"circle", STR_ALONG_C, Input{},
       "cc1 \n"
       "ch -2.9995500202 99.9550033749 2.9986501012 0.0899865006 \"A\n"
       "ch 2.9995500202 99.9550033749 2.9986501012 -0.0899865006 \"B\n"
       "cc7 \n"
       "ch -2.9994444753 -89.9500046295 2.9983334876 -0.0999814825 \"A\n"
       "ch 2.9994444753 -89.9500046295 2.9983334876 0.0999814825 \"B\n"},
      {"arc 0 to 180", STR_ALONG_CIE, arc(0.0, 180.0),
       "cc1 \n"
       "ch -2.9995500202 99.9550033749 2.9986501012 0.0899865006 \"A\n"
       "ch 2.9995500202 99.9550033749 2.9986501012 -0.0899865006 \"B\n"
       "cc7 \n"
       "ch 2.9994444753 89.9500046295 -2.9983334876 0.0999814825 \"A\n"
       "ch -2.9994444753 89.9500046295 -2.9983334876 -0.0999814825 \"B\n"},
      {"equal angles (never chosen by the run) centre on them", STR_ALONG_CIE, arc(90.0, 90.0),
       "cc1 \n"
       "ch -2.9995500202 99.9550033749 2.9986501012 0.0899865006 \"A\n"
       "ch 2.9995500202 99.9550033749 2.9986501012 -0.0899865006 \"B\n"
       "cc7 \n"
       "ch 2.9994444753 89.9500046295 -2.9983334876 0.0999814825 \"A\n"
       "ch -2.9994444753 89.9500046295 -2.9983334876 -0.0999814825 \"B\n"},
  };
  check_cases(std::begin(cases), std::end(cases));
}

TEST(CircleLayout, GlyphsAndRejections) {
  Input trail_in_rejected_range;
  trail_in_rejected_range.text = "\x88\xf0";
  Input radius_below_height; // negative inner radius and step
  radius_below_height.CR = 5.0;

  const Case cases[] = {
      {"a trail byte in the rejected range belongs to its pair", STR_ALONG_C,
       trail_in_rejected_range,
       "cc1 \n"
       "ch 0.0000000000 100.0000000000 3.0000000000 0.0000000000 \"\x88\xf0\n"
       "cc7 \n"
       "ch -0.0000000000 -90.0000000000 3.0000000000 -0.0000000000 \"\x88\xf0\n"},
      {"radius below the text height", STR_ALONG_C, radius_below_height,
       "cc1 \n"
       "ch -2.8232123670 4.1266780745 2.4760068447 1.6939274202 \"A\n"
       "ch 2.8232123670 4.1266780745 2.4760068447 -1.6939274202 \"B\n"
       "cc7 \n"
       "ch -2.8232123670 4.1266780745 2.4760068447 1.6939274202 \"A\n"
       "ch 2.8232123670 4.1266780745 2.4760068447 -1.6939274202 \"B\n"},
  };
  check_cases(std::begin(cases), std::end(cases));
}

// The lines of `out` between "cc1 \n" and "cc7 \n", and after "cc7 \n".
struct Passes {
  std::vector<std::string> outer, inner;
};

Passes split_passes(const std::string& out) {
  Passes p;
  std::vector<std::string>* pass = nullptr;
  std::size_t start = 0;
  while (start < out.size()) {
    const std::size_t end = out.find('\n', start);
    const std::string line = out.substr(start, end - start);
    start = end == std::string::npos ? out.size() : end + 1;
    if (line == "cc1 ") {
      pass = &p.outer;
    } else if (line == "cc7 ") {
      pass = &p.inner;
    } else if (pass != nullptr) {
      pass->push_back(line);
    }
  }
  return p;
}

TEST(CircleLayout, DegenerateCurvesWriteOneMessage) {
  struct {
    const char* name;
    Layout layout;
    void (*spoil)(Input&);
  } cases[] = {
      {"radius 0", STR_ALONG_C, [](Input& in) { in.CR = 0.0; }},
      {"radius -0", STR_ALONG_CIE, [](Input& in) { in.CR = -0.0; }},
      {"radius equal to the height", STR_ALONG_C, [](Input& in) { in.CR = in.H; }},
      {"arc radius equal to the height", STR_ALONG_CIE, [](Input& in) { in.CR = in.H; }},
      {"centre x NaN", STR_ALONG_C, [](Input& in) { in.CX = kNaN; }},
      {"centre y infinite", STR_ALONG_CIE, [](Input& in) { in.CY = -kInf; }},
      {"radius infinite", STR_ALONG_C, [](Input& in) { in.CR = kInf; }},
      {"width NaN", STR_ALONG_C, [](Input& in) { in.W = kNaN; }},
      {"height infinite", STR_ALONG_CIE, [](Input& in) { in.H = kInf; }},
      {"spacing NaN", STR_ALONG_C, [](Input& in) { in.D = kNaN; }},
      {"start angle NaN", STR_ALONG_CIE, [](Input& in) { in.SK = kNaN; }},
      {"end angle infinite", STR_ALONG_CIE, [](Input& in) { in.EK = kInf; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Input in = arc(0.0, 180.0);
    if (c.layout == STR_ALONG_C) in.HP = -2.0;
    c.spoil(in);
    EXPECT_EQ(run_layout(c.layout, in).out, "h# NG curve \n");
    // The empty text and an unknown text kind come first.
    in.text = "";
    EXPECT_EQ(run_layout(c.layout, in).out, "");
    in.text = "AB";
    in.MOJIS = 11;
    EXPECT_EQ(run_layout(c.layout, in).out, "h# NG text kind 11 \n");
  }
}

// Also on kind 10, the last one the size tables hold.
TEST(CircleLayout, CircleIgnoresTheArcAngles) {
  Input in;
  in.SK = kNaN;
  in.EK = kInf;
  in.MOJIS = 10;
  EXPECT_EQ(split_passes(run_layout(STR_ALONG_C, in).out).inner.size(), 2u);
}

TEST(CircleLayout, NonFiniteRecordIsReplacedByTheMessage) {
  Input outer; // y overflows at the top
  outer.text = "A";
  outer.CY = 1.7e308;
  outer.CR = 1.7e308;
  Input inner; // the inner radius overflows
  inner.text = "A";
  inner.CR = 1e308;
  inner.H = -1e308;
  Input inner_pair = inner;
  inner_pair.text = "\x82\xa0";
  const Case cases[] = {
      {"outer pass", STR_ALONG_C, outer, "cc1 \nh# NG curve \n"},
      {"inner pass", STR_ALONG_C, inner, ""},
      {"inner pass, double-byte", STR_ALONG_C, inner_pair, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = run_layout(c.layout, c.in).out;
    if (*c.expected != '\0') {
      EXPECT_EQ(out, c.expected);
    } else {
      // One finite outer record at the top, then the message instead of the
      // inner record.
      const Passes p = split_passes(out);
      ASSERT_EQ(p.outer.size(), 1u);
      EXPECT_TRUE(p.outer[0].ends_with(" 3.0000000000 0.0000000000 \"" + std::string(c.in.text)))
          << p.outer[0];
      EXPECT_EQ(p.inner, std::vector<std::string>{"h# NG curve "});
    }
  }
}

} // namespace
} // namespace curvetext
