#include "driver/options.h"

#include <gtest/gtest.h>

#include <string>

namespace curvetext {
namespace {

// One option after another at a given debug level: the level it leaves,
// whether it traced (from level 3 on) and what it said on standard error.
TEST(Options, DebugLevelAndMessages) {
  const std::string long_z = "/z" + std::string(300, 'q');
  const struct {
    const char* arg;
    int before, after;
    const char* err;
  } cases[] = {
      {"/t3", 0, 3, ""},
      {"-T3", 0, 3, ""},
      {"$t3", 0, 3, ""},
      {"/t", 2, 0, ""},
      {"/t7", 2, 0, ""},
      {"/t12", 0, 1, ""},
      {"/t6", 0, 6, ""},
      {"/t0", 5, 0, ""},
      {"/e23", 3, 3, ""},
      {"/mnan", 4, 4, ""},
      {"/L0.1", 0, 0, ""},
      {"/k-1", 6, 6, ""},
      {long_z.c_str(), 3, 3, ""},
      {"/sxy", 0, 0, ""},
      {"/x", 0, 0, "\n illegal Option.\n"},
      {"/", 3, 3, "\n illegal Option.\n"},
      {"$", 0, 0, "\n illegal Option.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arg);
    int level = c.before;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    opt(level, c.arg);
    EXPECT_EQ(::testing::internal::GetCapturedStdout().empty(), c.after < 3);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.err);
    EXPECT_EQ(level, c.after);
  }
}

} // namespace
} // namespace curvetext
