#include "driver/options.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

#include "state/run_state.h"

namespace curvetext {
namespace {

// One option applied to a fresh state: every value it may set, and what it
// printed. The values of e, m, l, k and z never reach the output, so only
// this table can tell when they go wrong.
TEST(Options, EachOptionSetsItsValues) {
  const std::string long_z = "/z" + std::string(300, 'q');
  struct Case {
    const char* arg;
    int level, exiro, exsyu;
    double w, d;
    int p;
    std::string z;
    const char* err;
  } cases[] = {
      {"/t3", 3, 0, 0, 5.0, 1.0, 1, "", ""},
      {"-T3", 3, 0, 0, 5.0, 1.0, 1, "", ""},
      {"$t3", 3, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/t", 0, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/t7", 0, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/t12", 1, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/t6", 6, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/e23", 0, 2, 3, 5.0, 1.0, 1, "", ""},
      {"/e-23", 0, -2, -3, 5.0, 1.0, 1, "", ""},
      {"/e 7x", 0, 0, 7, 5.0, 1.0, 1, "", ""},
      {"/e99999999999", 0, INT_MAX / 10, INT_MAX % 10, 5.0, 1.0, 1, "", ""},
      {"/e-99999999999", 0, INT_MIN / 10, INT_MIN % 10, 5.0, 1.0, 1, "", ""},
      {"/m0.4", 0, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/m0.5", 0, 0, 0, 0.5, 1.0, 1, "", ""},
      {"/mnan", 0, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/m 7.25e0", 0, 0, 0, 7.25, 1.0, 1, "", ""},
      {"/l2", 0, 0, 0, 5.0, 2.0, 1, "", ""},
      {"/L0.1", 0, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/k9", 0, 0, 0, 5.0, 1.0, 9, "", ""},
      {"/k0", 0, 0, 0, 5.0, 1.0, 0, "", ""},
      {"/k10", 0, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/k-1", 0, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/kx", 0, 0, 0, 5.0, 1.0, 0, "", ""},
      {"/k99999999999", 0, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/Zab c", 0, 0, 0, 5.0, 1.0, 1, "ab c", ""},
      {long_z.c_str(), 0, 0, 0, 5.0, 1.0, 1, std::string(255, 'q'), ""},
      {"/sxy", 0, 0, 0, 5.0, 1.0, 1, "", ""},
      {"/x", 0, 0, 0, 5.0, 1.0, 1, "", "\n illegal Option.\n"},
      {"/", 0, 0, 0, 5.0, 1.0, 1, "", "\n illegal Option.\n"},
      {"$", 0, 0, 0, 5.0, 1.0, 1, "", "\n illegal Option.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arg);
    auto st = std::make_unique<RunState>(); // large: off the stack
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    opt(*st, c.arg);
    EXPECT_EQ(::testing::internal::GetCapturedStdout().empty(), c.level < 3);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.err);
    EXPECT_EQ(st->isTest, c.level);
    EXPECT_EQ(st->exiro, c.exiro);
    EXPECT_EQ(st->exsyu, c.exsyu);
    EXPECT_EQ(st->dMOJI_w, c.w);
    EXPECT_EQ(st->dMOJI_d, c.d);
    EXPECT_EQ(st->iMOJI_p, c.p);
    EXPECT_EQ(st->ChS001, c.z);
  }
}

} // namespace
} // namespace curvetext
