#include "driver/options.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

#include "state/run_state.h"

namespace curvetext {
namespace {

struct OptionsRun {
  RunState st;
  std::string out;
  std::string err;
};

// The state is large (stream buffers): one per test, kept off the stack.
std::unique_ptr<OptionsRun> apply(std::initializer_list<const char*> args) {
  auto run = std::make_unique<OptionsRun>();
  OptionsRun& r = *run;
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  for (const char* a : args)
    opt(r.st, a);
  r.out = ::testing::internal::GetCapturedStdout();
  r.err = ::testing::internal::GetCapturedStderr();
  return run;
}

TEST(Options, DebugLevelTakesTheFirstDigitOnly) {
  struct Case {
    const char* arg;
    int level;
  } cases[] = {{"/t3", 3}, {"-T3", 3}, {"$t3", 3},  {"/t", 0},  {"/t0", 0},
               {"/t9", 0}, {"/t7", 0}, {"/t12", 1}, {"/t6", 6}, {"/tx", 0}};
  for (const Case& c : cases) {
    RunState st;
    st.isTest = 4; // every "t" option starts from 0
    ::testing::internal::CaptureStdout();
    opt(st, c.arg);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(st.isTest, c.level) << c.arg;
  }
}

TEST(Options, LaterOptionWinsAndOnlyTracesWhileAboveTwo) {
  auto r = apply({"/t3", "/t0"});
  EXPECT_EQ(r->st.isTest, 0);
  EXPECT_EQ(r->out, "# --- command line option ---------------\n"
                    "# --- (/3)\n"
                    "#      iMode(1) iMode2(20) iMode3(20)\n");
}

TEST(Options, TraceShowsValueOrWholeOption) {
  auto r = apply({"/k9", "/t3", "/zabc", "/k9", "/sxy", "/q1"});
  EXPECT_EQ(r->out, "# --- command line option ---------------\n"
                    "# --- (/3)\n"
                    "#      iMode(1) iMode2(20) iMode3(20)\n"
                    "# --- command line option ---------------\n"
                    "# --- (/zabc)\n"
                    "#      iMode(1) iMode2(20) iMode3(20)\n"
                    "# --- command line option ---------------\n"
                    "# --- (/9)\n"
                    "#      iMode(1) iMode2(20) iMode3(20)\n"
                    "# --- command line option ---------------\n"
                    "# --- (/sxy)\n"
                    "#      iMode(1) iMode2(20) iMode3(20)\n"
                    "# --- command line option ---------------\n"
                    "# --- (/q1)\n"
                    "#      iMode(1) iMode2(20) iMode3(20)\n");
  EXPECT_EQ(r->err, "\n illegal Option.\n");
}

TEST(Options, ColourAndKindSplitIntoTensAndUnits) {
  struct Case {
    const char* arg;
    int exiro, exsyu;
  } cases[] = {{"/e23", 2, 3},
               {"/e-23", -2, -3},
               {"/e", 0, 0},
               {"/e 7x", 0, 7},
               {"/ex", 0, 0},
               {"/e99999999999", INT_MAX / 10, INT_MAX % 10},
               {"/e-99999999999", INT_MIN / 10, INT_MIN % 10}};
  for (const Case& c : cases) {
    RunState st;
    st.exiro = st.exsyu = 5;
    opt(st, c.arg);
    EXPECT_EQ(st.exiro, c.exiro) << c.arg;
    EXPECT_EQ(st.exsyu, c.exsyu) << c.arg;
  }
}

TEST(Options, RealsBelowHalfOrNanAreDropped) {
  struct Case {
    const char* arg;
    double w, d;
  } cases[] = {{"/m0.4", 5.0, 1.0}, {"/m0.5", 0.5, 1.0}, {"/mabc", 5.0, 1.0},
               {"/m", 5.0, 1.0},    {"/mnan", 5.0, 1.0}, {"/m 7.25e0", 7.25, 1.0},
               {"/l2", 5.0, 2.0},   {"/L0.1", 5.0, 1.0}, {"/l", 5.0, 1.0}};
  for (const Case& c : cases) {
    RunState st;
    opt(st, c.arg);
    EXPECT_EQ(st.dMOJI_w, c.w) << c.arg;
    EXPECT_EQ(st.dMOJI_d, c.d) << c.arg;
  }
}

TEST(Options, PenKindKeepsValuesOutsideZeroToNine) {
  struct Case {
    const char* arg;
    int p;
  } cases[] = {{"/k9", 9}, {"/k0", 0}, {"/k10", 1},         {"/k-1", 1},
               {"/k", 1},  {"/kx", 0}, {"/k99999999999", 1}};
  for (const Case& c : cases) {
    RunState st;
    opt(st, c.arg);
    EXPECT_EQ(st.iMOJI_p, c.p) << c.arg;
  }
}

TEST(Options, UnknownLettersAndBarePrefixesComplainAndGoOn) {
  for (const char* arg : {"/x", "/", "-", "$", "/1"}) {
    auto r = apply({arg});
    EXPECT_EQ(r->err, "\n illegal Option.\n") << arg;
    EXPECT_EQ(r->out, "") << arg;
  }
  auto quiet = apply({"/s", "/sanything", "/S"});
  EXPECT_EQ(quiet->err, "");
}

TEST(Options, TextOptionIsCutAt255) {
  std::string long_value = "/z" + std::string(300, 'q');
  RunState st;
  opt(st, long_value.c_str());
  EXPECT_EQ(std::string(st.ChS001), std::string(255, 'q'));
  opt(st, "/z");
  EXPECT_EQ(std::string(st.ChS001), "");
  opt(st, "/Zab c");
  EXPECT_EQ(std::string(st.ChS001), "ab c");
}

} // namespace
} // namespace curvetext
