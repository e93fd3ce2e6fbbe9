#include "driver/options.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "state/run_state.h"

namespace curvetext {
namespace {

// One option applied to a fresh state: the debug level it sets (it decides
// every trace) and what it printed. The values of e, m, l, k and z reach no
// output: only that those letters are no illegal option.
TEST(Options, EachOptionSetsTheLevelAndComplains) {
  const std::string long_z = "/z" + std::string(300, 'q');
  const struct {
    const char* arg;
    int level;
    const char* err;
  } cases[] = {
      {"/t3", 3, ""},
      {"-T3", 3, ""},
      {"$t3", 3, ""},
      {"/t", 0, ""},
      {"/t7", 0, ""},
      {"/t12", 1, ""},
      {"/t6", 6, ""},
      {"/e-23", 0, ""},
      {"/m0.5", 0, ""},
      {"/l2", 0, ""},
      {"/k9", 0, ""},
      {"/Zab c", 0, ""},
      {long_z.c_str(), 0, ""},
      {"/sxy", 0, ""},
      {"/x", 0, "\n illegal Option.\n"},
      {"/", 0, "\n illegal Option.\n"},
      {"$", 0, "\n illegal Option.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arg);
    auto st = std::make_unique<RunState>(); // large: off the stack
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    opt(*st, c.arg);
    EXPECT_EQ(::testing::internal::GetCapturedStdout().empty(), c.level < 3);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.err);
    EXPECT_EQ(st->isTest, c.level);
  }
}

} // namespace
} // namespace curvetext
