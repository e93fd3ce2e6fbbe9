#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "state/run_state.h"
#include "layout/layouts.h"
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
      {"arc 350 to 10 wraps through 0", STR_ALONG_CIE, arc(350.0, 10.0),
       "cc1 \n"
       "ch 99.9550033749 2.9995500202 0.0899865006 -2.9986501012 \"A\n"
       "ch 99.9550033749 -2.9995500202 -0.0899865006 -2.9986501012 \"B\n"
       "cc7 \n"
       "ch 89.9500046295 -2.9994444753 0.0999814825 2.9983334876 \"A\n"
       "ch 89.9500046295 2.9994444753 -0.0999814825 2.9983334876 \"B\n"},
      {"arc 10 to 350 has its middle at 180", STR_ALONG_CIE, arc(10.0, 350.0),
       "cc1 \n"
       "ch -99.9550033749 -2.9995500202 -0.0899865006 2.9986501012 \"A\n"
       "ch -99.9550033749 2.9995500202 0.0899865006 2.9986501012 \"B\n"
       "cc7 \n"
       "ch -89.9500046295 2.9994444753 -0.0999814825 -2.9983334876 \"A\n"
       "ch -89.9500046295 -2.9994444753 0.0999814825 -2.9983334876 \"B\n"},
  };
  check_cases(std::begin(cases), std::end(cases));
}

TEST(CircleLayout, GlyphsAndRejections) {
  Input one_pair;
  one_pair.text = "\x82\xa0";
  Input katakana_and_blank;
  katakana_and_blank.text = "\xb1 \xb2";
  Input rejected_at_3;
  rejected_at_3.text = "ABC\xf0"
                       "D";
  Input lead_at_end;
  lead_at_end.text = "AB\x82";
  Input trail_in_rejected_range;
  trail_in_rejected_range.text = "\x88\xf0";
  Input radius_below_height; // negative inner radius and step
  radius_below_height.CR = 5.0;

  const Case cases[] = {
      {"circle, one double-byte character at the top and the bottom", STR_ALONG_C, one_pair,
       "cc1 \n"
       "ch 0.0000000000 100.0000000000 3.0000000000 0.0000000000 \"\x82\xa0\n"
       "cc7 \n"
       "ch -0.0000000000 -90.0000000000 3.0000000000 -0.0000000000 \"\x82\xa0\n"},
      {"arc, one double-byte character on the middle", STR_ALONG_CIE, arc(0.0, 180.0, "\x82\xa0"),
       "cc1 \n"
       "ch 0.0000000000 100.0000000000 3.0000000000 0.0000000000 \"\x82\xa0\n"
       "cc7 \n"
       "ch 0.0000000000 90.0000000000 -3.0000000000 0.0000000000 \"\x82\xa0\n"},
      {"half-width katakana and a blank are single-byte glyphs", STR_ALONG_C, katakana_and_blank,
       "cc1 \n"
       "ch -5.9964006479 99.8200539935 2.9946016198 0.1798920194 \"\xb1\n"
       "ch 0.0000000000 100.0000000000 3.0000000000 0.0000000000 \" \n"
       "ch 5.9964006479 99.8200539935 2.9946016198 -0.1798920194 \"\xb2\n"
       "cc7 \n"
       "ch -5.9955565431 -89.8000740631 2.9933358021 -0.1998518848 \"\xb1\n"
       "ch -0.0000000000 -90.0000000000 3.0000000000 -0.0000000000 \" \n"
       "ch 5.9955565431 -89.8000740631 2.9933358021 0.1998518848 \"\xb2\n"},
      {"circle, byte 3 rejected in both passes", STR_ALONG_C, rejected_at_3,
       "cc1 \n"
       "ch -11.9712207289 99.2808635854 2.9784259076 0.3591366219 \"A\n"
       "ch -5.9964006479 99.8200539935 2.9946016198 0.1798920194 \"B\n"
       "ch 0.0000000000 100.0000000000 3.0000000000 0.0000000000 \"C\n"
       "h# NG SHIFT-jis 2Byte Character \n"
       "cc7 \n"
       "ch -11.9644760360 -89.2011844831 2.9733728161 -0.3988158679 \"A\n"
       "ch -5.9955565431 -89.8000740631 2.9933358021 -0.1998518848 \"B\n"
       "ch -0.0000000000 -90.0000000000 3.0000000000 -0.0000000000 \"C\n"
       "h# NG SHIFT-jis 2Byte Character \n"},
      {"arc, byte 3 rejected in both passes", STR_ALONG_CIE,
       arc(30.0, 150.0,
           "ABC\xf0"
           "D"),
       "cc1 \n"
       "ch -11.9712207289 99.2808635854 2.9784259076 0.3591366219 \"A\n"
       "ch -5.9964006479 99.8200539935 2.9946016198 0.1798920194 \"B\n"
       "ch 0.0000000000 100.0000000000 3.0000000000 0.0000000000 \"C\n"
       "h# NG SHIFT-jis 2Byte Character \n"
       "cc7 \n"
       "ch 11.9644760360 89.2011844831 -2.9733728161 0.3988158679 \"A\n"
       "ch 5.9955565431 89.8000740631 -2.9933358021 0.1998518848 \"B\n"
       "ch 0.0000000000 90.0000000000 -3.0000000000 0.0000000000 \"C\n"
       "h# NG SHIFT-jis 2Byte Character \n"},
      {"a lead byte at the end is dropped without a message", STR_ALONG_C, lead_at_end,
       "cc1 \n"
       "ch -5.9964006479 99.8200539935 2.9946016198 0.1798920194 \"A\n"
       "ch 0.0000000000 100.0000000000 3.0000000000 0.0000000000 \"B\n"
       "cc7 \n"
       "ch -5.9955565431 -89.8000740631 2.9933358021 -0.1998518848 \"A\n"
       "ch -0.0000000000 -90.0000000000 3.0000000000 -0.0000000000 \"B\n"},
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

TEST(CircleLayout, OnlyTheFirst51PositionsAreWrittenButTheWholeTextIsCentred) {
  const char* text = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz01234567"; // 60
  Input circle;
  circle.text = text;
  struct {
    Layout layout;
    Input in;
    const char* inner_first;
    const char* inner_last;
  } cases[] = {
      {STR_ALONG_C, circle, "ch -83.0395170823 34.7050227306 -1.1568340910 -2.7679839027 \"A",
       "ch 88.1314007668 -18.2443470390 0.6081449013 2.9377133589 \"y"},
      {STR_ALONG_CIE, arc(30.0, 150.0, text),
       "ch 83.0395170823 -34.7050227306 1.1568340910 2.7679839027 \"A",
       "ch -88.1314007668 18.2443470390 -0.6081449013 -2.9377133589 \"y"},
  };
  for (const auto& c : cases) {
    const Passes p = split_passes(run_layout(c.layout, c.in).out);
    ASSERT_EQ(p.outer.size(), 51u);
    ASSERT_EQ(p.inner.size(), 51u);
    for (std::size_t i = 0; i < 51; ++i) {
      EXPECT_EQ(p.outer[i].back(), text[i]);
      EXPECT_EQ(p.inner[i].back(), text[i]);
    }
    // Centred on 90 degrees as if all 60 bytes were written: position 0
    // lies 29.5 byte advances before the top.
    EXPECT_EQ(p.outer.front(), "ch -98.0224472788 -19.7888814609 -0.5936664438 2.9406734184 \"A");
    EXPECT_EQ(p.outer.back(), "ch 94.2488801932 33.4237727125 1.0027131814 -2.8274664058 \"y");
    EXPECT_EQ(p.inner.front(), c.inner_first);
    EXPECT_EQ(p.inner.back(), c.inner_last);
  }
}

TEST(CircleLayout, ALeadByteAtPosition50IsDroppedWithItsTrail) {
  const std::string text = std::string(50, 'x') + "\x82\xa0";
  for (const Layout layout : {STR_ALONG_C, STR_ALONG_CIE}) {
    Input in = arc(30.0, 150.0, text.c_str());
    if (layout == STR_ALONG_C) in.HP = -2.0;
    const Passes p = split_passes(run_layout(layout, in).out);
    EXPECT_EQ(p.outer.size(), 50u);
    EXPECT_EQ(p.inner.size(), 50u);
    EXPECT_EQ(p.inner.back().back(), 'x');
  }
}

TEST(CircleLayout, LengthNoteOnlyAtLevel1) {
  const std::string head = "cc1 \n"
                           "ch -2.9995500202 99.9550033749 2.9986501012 0.0899865006 \"A\n"
                           "ch 2.9995500202 99.9550033749 2.9986501012 -0.0899865006 \"B\n"
                           "cc7 \n";
  for (const Layout layout : {STR_ALONG_C, STR_ALONG_CIE}) {
    for (const int level : {0, 1, 2, 3, 5}) {
      SCOPED_TRACE(level);
      Input in = layout == STR_ALONG_C ? Input{} : arc(0.0, 180.0);
      in.isTest = level;
      const std::string out = run_layout(layout, in).out;
      EXPECT_EQ(out.find("## len("), level == 1 ? head.size() : std::string::npos);
      EXPECT_EQ(out.substr(0, head.size()), head);
      if (level == 1) {
        EXPECT_EQ(out.substr(head.size(), 21), "## len(2) mlen(11.0)\n");
      }
    }
  }
}

TEST(CircleLayout, Level2TracesOnStandardOutput) {
  // A single-byte glyph, a pair and a lead byte left at the end.
  const char* text = "A\x82\xa0\x82";
  Input circle;
  circle.text = text;
  circle.isTest = 2;
  Input on_arc = arc(350.0, 10.0, text);
  on_arc.isTest = 2;
  struct {
    const char* name;
    Layout layout;
    Input in;
    const char* out;
    const char* trace;
  } cases[] = {
      {"circle", STR_ALONG_C, circle,
       "cc1 \n"
       "ch -8.9878549198 99.5952733012 2.9878581990 0.2696356476 \"A\n"
       "ch 0.0000000000 100.0000000000 3.0000000000 0.0000000000 \"\x82\xa0\n"
       "cc7 \n"
       "ch -8.9850074982 -89.5503748750 2.9850124958 -0.2995002499 \"A\n"
       "ch -0.0000000000 -90.0000000000 3.0000000000 -0.0000000000 \"\x82\xa0\n",
       "\n"
       "# STR_ALONG_C() --- qv_line_cnt<7>--iCi_cnt(1)--- \n"
       "# CX(0.0) CY(0.0) CR(100.0) SK(0.0) EK(0.0) HP(-2.0) JK(0.0)\n"
       "#  en(1)\n"
       "# CR(100.0) --- elen(628.3)  1ch(10.0 + 2.0)/2 = (3.4)deg--- \n"
       "# str(A\x82\xa0\x82)(4)(23.0) str-center=a(11.5)   deg2(95.2) = 90deg + deg1(5.2)\n"
       "# all input j(0) str[0]( 0)  str[1]( 0)\n"
       "# rad2=deg2(95.2)\n"
       "# all input j(1) str[0](82)  str[1]( 0)\n"
       "# rad2=deg2(91.7)\n"
       "#     2byte OUTPUT str[0](82)  str[1](a0)\n"
       "# all input j(0) str[0]( 0)  str[1](a0)\n"
       "# rad2=deg2(88.3)\n"
       "# all input j(1) str[0](82)  str[1](a0)\n"
       "# rad2=deg2(84.8)\n"},
      {"arc", STR_ALONG_CIE, on_arc,
       "cc1 \n"
       "ch 99.5952733012 8.9878549198 0.2696356476 -2.9878581990 \"A\n"
       "ch 100.0000000000 0.0000000000 0.0000000000 -3.0000000000 \"\x82\xa0\n"
       "cc7 \n"
       "ch 89.5503748750 -8.9850074982 0.2995002499 2.9850124958 \"A\n"
       "ch 90.0000000000 -0.0000000000 0.0000000000 3.0000000000 \"\x82\xa0\n",
       "\n"
       "# STR_ALONG_CIE() --- qv_line_cnt<7>--iCi_cnt(1)--- \n"
       "# CX(0.0) CY(0.0) CR(100.0) SK(350.0) EK(10.0) HP(1.0) JK(0.0)\n"
       "#  en(1)\n"
       "# CR(100.0) --- elen(628.3)  1ch(10.0 + 2.0)/2 = (3.4)deg--- \n"
       "# str(A\x82\xa0\x82)(4)(23.0) str-center=a(11.5)   deg2(5.2) = 90deg + deg1(5.2)\n"
       "# deg2(5.2)\n"
       "# deg2(1.7)\n"
       "# deg2(-1.7)\n"
       "# deg2(-5.2)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = run_layout(c.layout, c.in, 7);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.trace, c.trace);
  }
}

TEST(CircleLayout, Level2RejectedByteHasNoTraceLine) {
  Input in;
  in.text = "A\xf0";
  in.isTest = 2;
  const std::string trace = run_layout(STR_ALONG_C, in).trace;
  EXPECT_EQ(trace.substr(trace.find("# all input")), "# all input j(0) str[0]( 0)  str[1]( 0)\n"
                                                     "# rad2=deg2(91.7)\n");
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

TEST(CircleLayout, CircleIgnoresTheArcAngles) {
  Input in;
  in.SK = kNaN;
  in.EK = kInf;
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

TEST(CircleLayout, TextKindSelectsTheMetrics) {
  struct {
    int kind;
    const char* expected;
  } cases[] = {
      {0, "cc1 \n"
          "ch -0.2498697957 51.9843758138 2.9990625488 0.0749921877 \"A\n"
          "ch 2.2498697957 51.9843758138 2.9990625488 -0.0749921877 \"B\n"
          "cc7 \n"
          "ch -0.2498392552 -42.9826400052 2.9988426670 -0.0833226170 \"A\n"
          "ch 2.2498392552 -42.9826400052 2.9988426670 0.0833226170 \"B\n"},
      {10, "cc1 \n"
           "ch 0.2500281247 51.9943751055 2.9996625063 0.0449983125 \"A\n"
           "ch 1.7499718753 51.9943751055 2.9996625063 -0.0449983125 \"B\n"
           "cc7 \n"
           "ch 0.2500318296 -44.9940160844 2.9996180479 -0.0478703087 \"A\n"
           "ch 1.7499681704 -44.9940160844 2.9996180479 0.0478703087 \"B\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    ScratchDir dir;
    auto st = std::make_unique<RunState>();
    std::strcpy(st->ChSTR, "AB");
    st->CX = 1.0;
    st->CY = 2.0;
    st->CR = 50.0;
    st->HP = -2.0;
    // Kind 0 is 4 wide, 5 high, 1 apart; kind 10 2.5, 3 and 0.5; the other
    // entries would give other records.
    for (int k = 0; k <= 10; ++k) {
      st->MOJI_W[k] = 8.0;
      st->MOJI_H[k] = 7.0;
      st->MOJI_D[k] = 3.0;
    }
    st->MOJI_W[0] = 4.0, st->MOJI_H[0] = 5.0, st->MOJI_D[0] = 1.0;
    st->MOJI_W[10] = 2.5, st->MOJI_H[10] = 3.0, st->MOJI_D[10] = 0.5;
    st->MOJIS = c.kind;
    ASSERT_TRUE(st->fpw.open("out", LineEnd::lf));
    STR_ALONG_C(*st, 0, 1);
    ASSERT_TRUE(st->fpw.close());
    EXPECT_EQ(read_file("out"), c.expected);
  }
}

TEST(CircleLayout, EmptyTextWritesNothingButSelectsTheMetrics) {
  for (const Layout layout : {STR_ALONG_C, STR_ALONG_CIE}) {
    ScratchDir dir;
    auto st = std::make_unique<RunState>();
    st->MOJIS = 2;
    st->MOJI_W[2] = 4.0, st->MOJI_H[2] = 5.0, st->MOJI_D[2] = 1.0;
    st->CR = 0.0; // degenerate too: the empty text comes first
    ASSERT_TRUE(st->fpw.open("out", LineEnd::lf));
    layout(*st, 0, 1);
    ASSERT_TRUE(st->fpw.close());
    EXPECT_EQ(read_file("out"), "");
    EXPECT_EQ(st->MOJI_zw, 4.0);
    EXPECT_EQ(st->MOJI_zh, 5.0);
    EXPECT_EQ(st->MOJI_zd, 1.0);
  }
}

TEST(CircleLayout, UnknownTextKindWritesOneMessage) {
  for (const Layout layout : {STR_ALONG_C, STR_ALONG_CIE}) {
    for (const int kind : {-1, 11, -2147483647 - 1}) {
      SCOPED_TRACE(kind);
      Input in = arc(0.0, 180.0);
      in.MOJIS = kind;
      EXPECT_EQ(run_layout(layout, in).out, "h# NG text kind " + std::to_string(kind) + " \n");
    }
  }
}

} // namespace
} // namespace curvetext
