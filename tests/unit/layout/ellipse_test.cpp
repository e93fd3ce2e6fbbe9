#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "state/run_state.h"
#include "layout/layouts.h"
#include "support/scratch_dir.h"

namespace curvetext {
namespace {

using testing::read_file;
using testing::ScratchDir;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void set_text(RunState& st, const std::string& text) {
  std::memset(st.ChSTR, 0, sizeof st.ChSTR);
  std::memcpy(st.ChSTR, text.data(), text.size());
}

// The ellipse of the hand-worked examples: CR 100, HP 0.5, text kind 3 with
// width 4, height 5 and spacing 2, so that the byte advance is 3.
void worked_example(RunState& st) {
  st.CR = 100.0;
  st.HP = 0.5;
  st.MOJIS = 3;
  st.MOJI_W[3] = 4.0;
  st.MOJI_H[3] = 5.0;
  st.MOJI_D[3] = 2.0;
  set_text(st, "A");
}

struct Output {
  std::string records; // the work copy
  std::string trace;   // standard output
};

template <typename Setup> Output run(Setup setup) {
  ScratchDir dir;
  RunState st;
  worked_example(st);
  setup(st);
  EXPECT_TRUE(st.fpw.open("out", LineEnd::lf));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(STR_ALONG_CEL(st, 17, 1), 0);
  std::fflush(stdout);
  Output o;
  o.trace = ::testing::internal::GetCapturedStdout();
  EXPECT_TRUE(st.fpw.close());
  o.records = read_file("out");
  return o;
}

std::vector<std::string> lines(const std::string& s) {
  std::vector<std::string> v;
  std::istringstream in(s);
  for (std::string line; std::getline(in, line);)
    v.push_back(line);
  return v;
}

struct Glyph {
  double x, y, dx, dy;
  std::string text;
};

// The glyph records of one output, or an empty vector if one is malformed.
std::vector<Glyph> glyphs(const std::string& records) {
  std::vector<Glyph> v;
  for (const std::string& line : lines(records)) {
    if (line.rfind("ch ", 0) != 0) continue;
    Glyph g;
    char quote = 0;
    int used = 0;
    if (std::sscanf(line.c_str(), "ch %lf %lf %lf %lf %c%n", &g.x, &g.y, &g.dx, &g.dy, &quote,
                    &used) != 5 ||
        quote != '"')
      return {};
    g.text = line.substr(static_cast<std::size_t>(used));
    v.push_back(g);
  }
  return v;
}

// Expected records below were computed apart from this code, by evaluating
// the walk step by step in the same order of operations.

TEST(Ellipse, HandWorkedExamplesToTheLastDigit) {
  EXPECT_EQ(run([](RunState&) {}).records,
            "cc1 \n"
            "ch -0.1499999438 49.9999437500 0.1499999438 0.0000562500 \"A\n"
            "cc7 \n"
            "ch -0.1481249435 -44.9999441016 0.1499999438 -0.0000562500 \"A\n");
  EXPECT_EQ(run([](RunState& st) { set_text(st, "AB"); }).records,
            "cc1 \n"
            "ch -1.6499251323 49.9931939044 0.1499813816 0.0011812011 \"A\n"
            "ch 1.4999437506 49.9943751055 0.1499847565 -0.0010687137 \"B\n"
            "cc7 \n"
            "ch -1.6105480973 -44.9933489619 0.1499813816 -0.0011812011 \"A\n"
            "ch 1.4643172435 -44.9945020319 0.1499847565 0.0010687137 \"B\n");
}

TEST(Ellipse, Layouts) {
  struct Case {
    const char* name;
    void (*setup)(RunState&);
    const char* expected;
  } cases[] = {
      {"tilt 90 about a centre off the origin",
       [](RunState& st) {
         st.CX = 10.0;
         st.CY = -20.0;
         st.JK = 90.0;
         set_text(st, "AB");
       },
       "cc1 \n"
       "ch -39.9931939044 -21.6499251323 -0.0011812011 0.1499813816 \"A\n"
       "ch -39.9943751055 -18.5000562494 0.0010687137 0.1499847565 \"B\n"
       "cc7 \n"
       "ch 54.9933489619 -21.6105480973 0.0011812011 0.1499813816 \"A\n"
       "ch 54.9945020319 -18.5356827565 -0.0010687137 0.1499847565 \"B\n"},
      {"negative HP: outer pass below the centre, inner pass outside above it",
       [](RunState& st) {
         st.HP = -0.5;
         set_text(st, "AB");
       },
       "cc1 \n"
       "ch -1.6499251323 -49.9931939044 0.1499813816 -0.0011812011 \"A\n"
       "ch 1.4999437506 -49.9943751055 0.1499847565 0.0010687137 \"B\n"
       "cc7 \n"
       "ch -1.5355702578 54.9942481791 0.1499847565 0.0010687137 \"A\n"
       "ch 1.5355702578 54.9942481791 0.1499847565 -0.0010687137 \"B\n"},
      {"HP 0: the segment, inner glyphs one text height above it",
       [](RunState& st) {
         st.HP = 0.0;
         set_text(st, "Hi!");
       },
       "cc1 \n"
       "ch -3.1494790946 0.0000000000 0.1499290743 0.0000000000 \"H\n"
       "ch 0.0000000000 0.0000000000 0.1499999438 0.0000000000 \"i\n"
       "ch 2.9995500202 0.0000000000 0.1499358233 0.0000000000 \"!\n"
       "cc7 \n"
       "ch -3.1494790946 5.0000000000 0.1499290743 0.0000000000 \"H\n"
       "ch 0.0000000000 5.0000000000 0.1499999438 0.0000000000 \"i\n"
       "ch 2.9995500202 5.0000000000 0.1499358233 0.0000000000 \"!\n"},
      {"one double-byte character at its half position",
       [](RunState& st) { set_text(st, "\x82\xa0"); },
       "cc1 \n"
       "ch -0.0000000000 50.0000000000 0.1499999438 0.0000562500 \"\x82\xa0\n"
       "cc7 \n"
       "ch 0.0018750002 -45.0000003516 0.1499999438 -0.0000562500 \"\x82\xa0\n"},
      {"double-byte character between single bytes",
       [](RunState& st) {
         set_text(st, "A\x82\xa0"
                      "B");
       },
       "cc1 \n"
       "ch -4.6483244374 49.9459534896 0.1498430336 0.0034300528 \"A\n"
       "ch 0.0000000000 50.0000000000 0.1499999438 0.0000562500 \"\x82\xa0\n"
       "ch 4.4984814038 49.9493835424 0.1498531552 -0.0033176667 \"B\n"
       "cc7 \n"
       "ch -4.5338995477 -44.9472629666 0.1498430336 -0.0034300528 \"A\n"
       "ch 0.0018750002 -45.0000003516 0.1499999438 -0.0000562500 \"\x82\xa0\n"
       "ch 4.5338995477 -44.9472629666 0.1498430336 0.0034300528 \"B\n"},
      {"rejected byte at 0 ends the layout",
       [](RunState& st) {
         set_text(st, "\xf0"
                      "AB");
       },
       "cc1 \n"
       "h# NG SHIFT-jis 2Byte Character \n"},
      {"rejected later byte ends each pass",
       [](RunState& st) {
         set_text(st, "AB\xf0"
                      "C");
       },
       "cc1 \n"
       "ch -4.6483244374 49.9459534896 0.1498430336 0.0034300528 \"A\n"
       "ch -1.4999437506 49.9943751055 0.1499813816 0.0011812011 \"B\n"
       "h# NG SHIFT-jis 2Byte Character \n"
       "cc7 \n"
       "ch -4.5338995477 -44.9472629666 0.1498430336 -0.0034300528 \"A\n"
       "ch -1.4605667157 -44.9945301630 0.1499813816 -0.0011812011 \"B\n"
       "h# NG SHIFT-jis 2Byte Character \n"},
      {"a lead byte at the end is dropped", [](RunState& st) { set_text(st, "AB\x82"); },
       "cc1 \n"
       "ch -3.1494790946 49.9751958011 0.1499290743 0.0023058864 \"A\n"
       "ch 0.0000000000 50.0000000000 0.1499999438 0.0000562500 \"B\n"
       "cc7 \n"
       "ch -3.0725889486 -44.9757870455 0.1499290743 -0.0023058864 \"A\n"
       "ch 0.0018750002 -45.0000003516 0.1499999438 -0.0000562500 \"B\n"},
      {"text longer than a small ellipse: outer goes round, inner stops at its bound",
       [](RunState& st) {
         st.CR = 5.0;
         st.MOJI_H[3] = 1.0;
         set_text(st, "ABCDEFGHIJKLMNOPQRST");
       },
       "h# ELLIPSE is too small \n"
       "cc1 \n"
       "ch 0.0659246257 2.4997826877 0.1499348004 -0.0021135389 \"A\n"
       "ch 3.1173977264 1.9545991543 0.1186610824 -0.0458744484 \"B\n"
       "ch 4.9973776141 -0.0809582944 -0.0026081178 -0.0749858491 \"C\n"
       "ch 2.9795861190 -2.0076146642 -0.1190980989 -0.0455904469 \"D\n"
       "ch 0.0420362368 -2.4999116462 -0.1499532857 -0.0017553248 \"E\n"
       "ch -2.9116532476 -2.0323800927 -0.1232346607 0.0427537453 \"F\n"
       "ch -4.9990780757 -0.0480062323 -0.0051293583 0.0749533225 \"G\n"
       "ch -3.0655842599 1.9749805787 0.1171016512 0.0468655413 \"H\n"
       "ch -0.1499775010 2.4988750844 0.1498425314 0.0033737345 \"I\n"
       "ch 2.8232123670 2.0633390373 0.1250521233 -0.0414134006 \"J\n"
       "ch 4.9874749330 0.1768430042 0.0128531841 -0.0747213293 \"K\n"
       "ch 3.1501531500 -1.9414257088 -0.1150506079 -0.0481187858 \"L\n"
       "ch 0.2578488420 -2.4966734856 -0.1496619168 -0.0049905713 \"M\n"
       "ch -2.7334552353 -2.0933360024 -0.1268112836 0.0400537480 \"N\n"
       "ch -4.9625990646 -0.3052091594 -0.0205428049 0.0742904868 \"O\n"
       "ch -3.2332533613 1.9069656985 0.1129459251 0.0493495961 \"P\n"
       "ch -0.3655999675 2.4933078763 0.1494115262 0.0066050813 \"Q\n"
       "ch 2.6424236997 2.1223570029 0.1285113213 -0.0386754213 \"R\n"
       "ch 4.9482626947 0.3587116894 0.0237460243 -0.0740513992 \"S\n"
       "ch 3.3148461504 -1.8716166140 -0.1107885842 -0.0505573985 \"T\n"
       "cc7 \n"
       "ch 0.0518296394 -1.4998820270 0.1499348004 0.0021135389 \"A\n"
       "ch 3.0351564517 -0.8995236535 0.1099345716 0.0510213252 \"B\n"
       "ch 2.8178483456 0.9969123623 -0.1134162150 0.0490792083 \"C\n"
       "ch -0.1046585220 1.4994226523 -0.1499911155 -0.0004944269 \"D\n"
       "ch -3.0595515301 0.8876741422 -0.1090727885 -0.0514816456 \"E\n"
       "ch -2.7912055350 -1.0079285808 0.1142374487 -0.0486007146 \"F\n"
       "ch 0.1424771494 -1.4989032124 0.1499775010 0.0011249156 \"G\n"
       "ch 3.0836609827 -0.8757632095 0.1082032959 0.0519383272 \"H\n"
       "ch 2.7643012000 1.0188649939 -0.1150506079 0.0481187858 \"I\n"
       "ch -0.1802845133 1.4982248273 -0.1499532857 -0.0017553248 \"J\n"
       "ch -3.1074823011 0.8637934685 -0.1073261551 -0.0523913375 \"K\n"
       "ch -2.7371381012 -1.0297193689 0.1158556349 -0.0476334557 \"L\n"
       "ch 0.2180772723 -1.4973875642 0.1499184712 0.0023856100 \"M\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(run(c.setup).records, c.expected) << c.name;
}

// A tilt turns every position about the centre and every vector by the same
// angle; the walk itself is the same.
TEST(Ellipse, TiltTurnsEveryGlyphAboutTheCentre) {
  const std::string text = "Tilted text, 7 bytes and more";
  const auto level = [&](RunState& st) {
    st.CX = 300.0;
    st.CY = 200.0;
    st.HP = 0.3;
    set_text(st, text);
  };
  const std::vector<Glyph> flat = glyphs(run(level).records);
  for (double jk : {90.0, 30.0, -135.0}) {
    const std::vector<Glyph> turned = glyphs(run([&](RunState& st) {
                                               level(st);
                                               st.JK = jk;
                                             }).records);
    ASSERT_EQ(flat.size(), 2 * text.size());
    ASSERT_EQ(turned.size(), flat.size()) << jk;
    const double c = std::cos(jk * 3.141592653589793 / 180);
    const double s = std::sin(jk * 3.141592653589793 / 180);
    for (std::size_t k = 0; k < flat.size(); ++k) {
      const Glyph& f = flat[k];
      const Glyph& t = turned[k];
      const double x = f.x - 300.0, y = f.y - 200.0;
      EXPECT_NEAR(t.x - 300.0, x * c - y * s, 2e-10) << jk << " glyph " << k;
      EXPECT_NEAR(t.y - 200.0, x * s + y * c, 2e-10) << jk << " glyph " << k;
      EXPECT_NEAR(t.dx, f.dx * c - f.dy * s, 2e-10) << jk << " glyph " << k;
      EXPECT_NEAR(t.dy, f.dx * s + f.dy * c, 2e-10) << jk << " glyph " << k;
      EXPECT_EQ(t.text, f.text);
    }
  }
}

// Both passes read left to right, centred on the top and the bottom point,
// one byte advance apart along the curve, the inner glyphs one text height
// inside the ellipse.
TEST(Ellipse, PassesAreCentredAndSpacedByTheAdvance) {
  const std::string text = "0123456789";
  const std::vector<Glyph> g = glyphs(run([&](RunState& st) {
                                        st.HP = 0.8;
                                        set_text(st, text);
                                      }).records);
  ASSERT_EQ(g.size(), 2 * text.size());
  for (std::size_t pass = 0; pass < 2; ++pass) {
    const Glyph* p = &g[pass * text.size()];
    EXPECT_NEAR(p[0].x, -p[text.size() - 1].x, 0.15); // centred within a step
    for (std::size_t k = 0; k < text.size(); ++k) {
      EXPECT_EQ(p[k].text, std::string(1, text[k]));
      EXPECT_GT(p[k].dx, 0.0); // reading direction
      if (k > 0) {
        const double gap = std::hypot(p[k].x - p[k - 1].x, p[k].y - p[k - 1].y);
        EXPECT_NEAR(gap, 3.0, 0.16) << "pass " << pass << " glyph " << k;
      }
      // Points of the ellipse x²/100² + y²/80² = 1 for the outer pass; the
      // inner points lie about 5 inside it.
      const double r = std::hypot(p[k].x / 100.0, p[k].y / 80.0);
      if (pass == 0)
        EXPECT_NEAR(r, 1.0, 1e-9);
      else
        EXPECT_NEAR(r, 75.0 / 80.0, 1e-3);
      EXPECT_EQ(p[k].y > 0.0, pass == 0);
    }
  }
}

TEST(Ellipse, SizeWarningForARadiusBelowTwoWidths) {
  struct Case {
    double cr;
    bool warned;
  } cases[] = {{7.999, true}, {8.0, false}, {8.001, false}, {1.0, true}};
  for (const Case& c : cases) {
    const std::string out = run([&](RunState& st) { st.CR = c.cr; }).records;
    const std::string warning = "h# ELLIPSE is too small \n";
    EXPECT_EQ(out.rfind(warning + "cc1 \n", 0) == 0, c.warned) << c.cr;
    EXPECT_EQ(out.find(warning) != std::string::npos, c.warned) << c.cr;
    EXPECT_EQ(glyphs(out).size(), 2u) << c.cr; // the layout goes on as usual
  }
}

TEST(Ellipse, Level2TracesOnStandardOutputAndAmongTheRecords) {
  const auto setup = [](RunState& st) {
    set_text(st, "AB");
    st.SK = 10.0;
    st.EK = 20.0;
    st.iCi_cnt = 1;
    st.isTest = 2;
  };
  const Output o = run(setup);
  EXPECT_EQ(o.trace, "\n# STR_ALONG__CEL() --- qv_line_cnt<17>--iCi_cnt(1)--- \n"
                     "# CX(0.0) CY(0.0) CR(100.0) SK(10.0) EK(20.0) HP(0.5) JK(0.0)\n"
                     "# sh0(1.50) sh(3.15) radtb0(0.002) rad0(0.0) elen(628.3) b(3.0)\n"
                     "# deg(radtb=-0.86)  deg(radtb0=0.09)\n");
  const std::vector<std::string> l = lines(o.records);
  ASSERT_EQ(l.size(), 7u + 2 * 21);
  EXPECT_EQ(l[3], "# radtb(-0.01500000) /radtbe(-0.01800000)  sh(3.14990159) /2sh(3.00000000)");
  EXPECT_EQ(l[4], "cc7 ");
  // Two lines for each step of the inner placement, before its glyph.
  EXPECT_EQ(l[6], "# b(3.00) radtb(0.01500000) radtbe(-0.01800000) radtb0(0.00150000) "
                  "t0(-1.64992513)");
  EXPECT_EQ(l[7], "# t0(-1.6499251323 -49.9931939044) t1(-1.4999437506 -49.9943751055)");
  EXPECT_EQ(l[46], "# b(3.00) radtb(-0.01500000) radtbe(-0.01800000) radtb0(0.00150000) "
                   "t0(1.34995899)");
  EXPECT_EQ(l[47], "# t0(1.3499589941 -49.9954438192) t1(1.4999437506 -49.9943751055)");
  for (std::size_t k = 6; k < 48; k += 2) {
    EXPECT_EQ(l[k].rfind("# b(3.00) radtb(", 0), 0u) << k;
    EXPECT_EQ(l[k + 1].rfind("# t0(", 0), 0u) << k;
  }
  // Without the trace lines the records are those of level 0.
  std::string plain;
  for (const std::string& line : l)
    if (line[0] != '#') plain += line + "\n";
  EXPECT_EQ(plain, run([](RunState& st) { set_text(st, "AB"); }).records);
}

// A text longer than the inner curve: the inner placement ends where radtb
// comes down to radtbe, having come back exactly through 0, so the bound is
// met with equality and that step is not taken.
TEST(Ellipse, InnerPlacementStopsAtItsBound) {
  const Output o = run([](RunState& st) {
    st.CR = 2.0;
    st.MOJI_W[3] = 2.0;
    st.MOJI_H[3] = 3.0;
    st.MOJI_D[3] = 1.0;
    set_text(st, std::string(20, 'x'));
    st.isTest = 2;
  });
  const std::vector<std::string> l = lines(o.records);
  std::size_t steps = 0;
  for (const std::string& line : l)
    steps += line.rfind("# b(", 0) == 0;
  EXPECT_EQ(steps, 336u);
  EXPECT_EQ(glyphs(o.records).size(), 20u + 15u); // the inner pass drops 5 bytes
  ASSERT_GE(l.size(), 2u);
  EXPECT_EQ(l[l.size() - 2], "# b(1.50) radtb(-6.30000000) radtbe(-6.33750000) radtb0(0.03750000) "
                             "t0(-0.04136766)");
  EXPECT_EQ(l.back(), "# t0(-0.0413676641 -0.9997860667) t1(0.0336278010 -0.9998586364)");
}

TEST(Ellipse, OtherLevelsTraceNothing) {
  const std::string level0 = run([](RunState& st) { set_text(st, "AB"); }).records;
  for (int level : {1, 3, 5}) {
    const Output o = run([&](RunState& st) {
      set_text(st, "AB");
      st.isTest = level;
    });
    EXPECT_EQ(o.records, level0) << level;
    EXPECT_EQ(o.trace, "") << level;
  }
}

TEST(Ellipse, EmptyTextWritesNothing) {
  const Output o = run([](RunState& st) {
    set_text(st, "");
    st.CR = 0.0; // not even the curve is looked at
    st.isTest = 2;
  });
  EXPECT_EQ(o.records, "");
  EXPECT_EQ(o.trace, "\n# STR_ALONG__CEL() --- qv_line_cnt<17>--iCi_cnt(0)--- \n"
                     "# CX(0.0) CY(0.0) CR(0.0) SK(0.0) EK(0.0) HP(0.5) JK(0.0)\n");
}

TEST(Ellipse, TextKindOutsideTheTables) {
  EXPECT_EQ(run([](RunState& st) { st.MOJIS = 11; }).records, "h# NG text kind 11 \n");
  EXPECT_EQ(run([](RunState& st) { st.MOJIS = -1; }).records, "h# NG text kind -1 \n");
}

TEST(Ellipse, DegenerateCurveWritesOnlyTheRefusal) {
  struct Case {
    const char* name;
    void (*setup)(RunState&);
  } cases[] = {
      {"no curve at all", [](RunState& st) { st.CR = st.HP = 0.0; }},
      {"radius 0", [](RunState& st) { st.CR = 0.0; }},
      {"negative radius", [](RunState& st) { st.CR = -100.0; }},
      {"NaN radius", [](RunState& st) { st.CR = kNaN; }},
      {"infinite radius", [](RunState& st) { st.CR = kInf; }},
      {"NaN centre x", [](RunState& st) { st.CX = kNaN; }},
      {"infinite centre y", [](RunState& st) { st.CY = -kInf; }},
      {"NaN HP", [](RunState& st) { st.HP = kNaN; }},
      {"infinite HP", [](RunState& st) { st.HP = -kInf; }},
      {"NaN tilt", [](RunState& st) { st.JK = kNaN; }},
      {"infinite tilt", [](RunState& st) { st.JK = kInf; }},
      {"NaN width", [](RunState& st) { st.MOJI_W[3] = kNaN; }},
      {"infinite height", [](RunState& st) { st.MOJI_H[3] = kInf; }},
      {"NaN spacing", [](RunState& st) { st.MOJI_D[3] = kNaN; }},
      {"advance 0", [](RunState& st) { st.MOJI_W[3] = st.MOJI_D[3] = 0.0; }},
      {"negative advance", [](RunState& st) { st.MOJI_D[3] = -5.0; }},
      {"advance overflows", [](RunState& st) { st.MOJI_W[3] = st.MOJI_D[3] = 1.7e308; }},
      {"step of a full turn", [](RunState& st) { st.CR = 3.0 / (40 * 3.141592653589793); }},
      {"step above a full turn", [](RunState& st) { st.CR = 0.01; }},
      {"step underflows to 0",
       [](RunState& st) {
         st.CR = 1e13;
         st.MOJI_W[3] = 1e-310;
         st.MOJI_D[3] = 0.0;
       }},
      {"circumference overflows", [](RunState& st) { st.CR = 1e308; }},
  };
  for (const Case& c : cases) {
    const Output o = run([&](RunState& st) {
      set_text(st, "AB");
      st.isTest = 2;
      c.setup(st);
    });
    EXPECT_EQ(o.records, "h# NG curve \n") << c.name;
    EXPECT_EQ(o.trace.rfind("\n# STR_ALONG__CEL()", 0), 0u) << c.name;
    EXPECT_EQ(lines(o.trace).size(), 3u) << c.name; // the opening lines only
  }
}

// Finite input whose positions overflow: the record that would carry an
// infinity is replaced by the refusal and the layout ends. With a negative HP
// the inner pass runs outside the ellipse, above its centre.
TEST(Ellipse, NoRecordCarriesANonFiniteNumber) {
  const std::string out = run([](RunState& st) {
                            st.CY = 1.79e308;
                            st.CR = 1e307;
                            st.HP = -0.5;
                            set_text(st, "AB");
                          }).records;
  EXPECT_EQ(glyphs(out).size(), 2u);
  ASSERT_GT(out.size(), 18u);
  EXPECT_EQ(out.substr(out.size() - 18), "cc7 \nh# NG curve \n");
  EXPECT_EQ(out.find("inf"), std::string::npos);
  EXPECT_EQ(out.find("nan"), std::string::npos);
}

#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
constexpr double kSecond = 10.0; // instrumented builds are several times slower
#else
constexpr double kSecond = 1.0;
#endif

// A text height equal to the radius shrinks the inner curve of a nearly
// circular ellipse to almost a point, so the inner walks measure almost
// nothing: a full turn of search, then a placement that would go on for two
// more turns. At 33370 the search ends just short of the step bound and the
// placement reaches it: the slowest run there is.
TEST(Ellipse, WalksEndWithinASecond) {
  struct Case {
    double cr;
    bool refused;
  } cases[] = {{1e4, false}, {33370.0, true}, {1e5, true}};
  for (const Case& c : cases) {
    const std::clock_t start = std::clock(); // processor time: other jobs may share the machine
    const std::string out = run([&](RunState& st) {
                              st.CR = c.cr;
                              st.HP = 0.99999;
                              st.MOJI_W[3] = st.MOJI_D[3] = 1.0;
                              st.MOJI_H[3] = c.cr;
                              set_text(st, std::string(250, 'W'));
                            }).records;
    EXPECT_LT(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC, kSecond) << c.cr;
    const std::size_t inner = out.find("cc7 \n");
    ASSERT_NE(inner, std::string::npos) << c.cr;
    EXPECT_EQ(glyphs(out.substr(0, inner)).size(), 250u) << c.cr;
    EXPECT_EQ(out.substr(out.size() - 13) == "h# NG curve \n", c.refused) << c.cr;
  }
}

} // namespace
} // namespace curvetext

namespace curvetext {
namespace {

// A first step longer than the advance (a very long ellipse against a small
// one) makes a position event before a one-byte text's walk ends: the byte
// behind the text, its NUL, must not become a glyph.
TEST(Ellipse, OneByteTextNeverWritesItsTerminator) {
  const std::string out = run([](RunState& st) {
                            st.CR = 1.0;
                            st.HP = -10000.0;
                            st.MOJI_W[3] = 0.4;
                            st.MOJI_D[3] = 1.6;
                            st.MOJI_H[3] = 0.1;
                            set_text(st, "A");
                          }).records;
  EXPECT_EQ(out.find('\0'), std::string::npos);
  const std::vector<Glyph> g = glyphs(out);
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[0].text, "A");
  EXPECT_EQ(g[1].text, "A");
}

} // namespace
} // namespace curvetext
