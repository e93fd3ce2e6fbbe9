#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>

#include "layout/layouts.h"
#include "state/run_state.h"
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
      {"one double-byte character at its half position",
       [](RunState& st) { set_text(st, "\x82\xa0"); },
       "cc1 \n"
       "ch -0.0000000000 50.0000000000 0.1499999438 0.0000562500 \"\x82\xa0\n"
       "cc7 \n"
       "ch 0.0018750002 -45.0000003516 0.1499999438 -0.0000562500 \"\x82\xa0\n"},
      {"a lead byte at the end is dropped", [](RunState& st) { set_text(st, "AB\x82"); },
       "cc1 \n"
       "ch -3.1494790946 49.9751958011 0.1499290743 0.0023058864 \"A\n"
       "ch 0.0000000000 50.0000000000 0.1499999438 0.0000562500 \"B\n"
       "cc7 \n"
       "ch -3.0725889486 -44.9757870455 0.1499290743 -0.0023058864 \"A\n"
       "ch 0.0018750002 -45.0000003516 0.1499999438 -0.0000562500 \"B\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(run(c.setup).records, c.expected) << c.name;
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
  EXPECT_EQ(std::count(out.begin(), out.end(), '"'), 2); // A and B of the outer pass
  ASSERT_GT(out.size(), 18u);
  EXPECT_EQ(out.substr(out.size() - 18), "cc7 \nh# NG curve \n");
  EXPECT_EQ(out.find("inf"), std::string::npos);
  EXPECT_EQ(out.find("nan"), std::string::npos);
  EXPECT_EQ(run([](RunState& st) { st.CR = 0.0; }).records, "h# NG curve \n"); // returns 0 too
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
    EXPECT_EQ(std::count(out.begin(), out.begin() + static_cast<long>(inner), '"'), 250) << c.cr;
    EXPECT_EQ(out.substr(out.size() - 13) == "h# NG curve \n", c.refused) << c.cr;
  }
}

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
  EXPECT_EQ(std::count(out.begin(), out.end(), '"'), 2); // one A in each pass
}

} // namespace
} // namespace curvetext
