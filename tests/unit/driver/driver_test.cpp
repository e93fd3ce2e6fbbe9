// What a golden case cannot set up: an interface file that cannot be
// replaced.
#include "driver/driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace curvetext {
namespace {

using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

struct RunResult {
  int status;
  std::string err;
};

RunResult run_in_place(std::initializer_list<const char*> args) {
  std::vector<char*> argv{const_cast<char*>("curvetext")};
  for (const char* a : args)
    argv.push_back(const_cast<char*>(a));
  argv.push_back(nullptr);
  ::testing::internal::CaptureStderr();
  const int status = run(argv.data());
  return {status, ::testing::internal::GetCapturedStderr()};
}

TEST(Run, FailedReplaceKeepsInputAndWorkCopy) {
  ScratchDir dir;
  write_file("QVC_TEMP.TXT", "xx\n");
  // An immutable interface file cannot be replaced, even by root.
  if (std::system("chattr +i QVC_TEMP.TXT 2>/dev/null") != 0) GTEST_SKIP() << "no chattr";
  const RunResult r = run_in_place({});
  std::system("chattr -i QVC_TEMP.TXT");
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.err, "Cannot open file: QVC_TEMP.TXT \n");
  EXPECT_EQ(read_file("QVC_TEMP.TXT"), "xx\n");
  EXPECT_EQ(read_file("QVC_TEMP.104"), "lg14\nly14\nlt20\nlc20\n");
}

} // namespace
} // namespace curvetext
