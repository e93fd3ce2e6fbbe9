#include "driver/driver.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "support/scratch_dir.h"
#include "util/disk.h"

namespace curvetext {
namespace {

using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

struct CopyCase {
  const char* name;
  std::string input;
  std::uint32_t count;
  std::string copy; // expected bytes of the copy
};

TEST(Tcopy, CountsPiecesAndKeepsLineEnds) {
  const std::string line254(254, 'a');
  const std::string line253(253, 'b');
  std::string many; // past the output buffer too
  for (int i = 0; i < 150005; ++i)
    many += "z\n";
  const CopyCase cases[] = {
      {"empty file", "", 0, ""},
      {"two lines", "ab\ncd\n", 2, "ab\ncd\n"},
      {"last line without newline", "ab\ncd", 2, "ab\ncd"},
      {"300-byte line counts twice", std::string(300, 'x') + "\n", 2, std::string(300, 'x') + "\n"},
      {"254 bytes and newline count twice", line254 + "\n", 2, line254 + "\n"},
      {"253 bytes and CR LF are one piece", line253 + "\r\n", 1, line253 + "\r\n"},
      {"CR LF file stays CR LF", "ab\r\ncd\r\n", 2, "ab\r\ncd\r\n"},
      {"lone CR stays", "a\rb\r\n", 1, "a\rb\r\n"},
      {"CR CR LF", "a\r\r\n", 1, "a\r\r\n"},
      {"first LF decides", "a\nb\r\n", 2, "a\nb\n"},
      {"first LF decides for CR LF", "a\r\nb\n", 2, "a\r\nb\r\n"},
      {"NUL bytes pass", std::string("a\0b\n", 4), 1, std::string("a\0b\n", 4)},
      {"CR at the very end", "ab\r", 1, "ab\r"},
      {"stops after 150001 pieces", many, 150001, many.substr(0, 2 * 150001)},
  };
  for (const CopyCase& c : cases) {
    ScratchDir dir;
    write_file("from", c.input);
    EXPECT_EQ(Tcopy("from", "to"), c.count) << c.name;
    EXPECT_EQ(read_file("to"), c.copy) << c.name;
  }
}

// The work copy is removed and created afresh, so it must never name a file
// elsewhere (as root, /dev/full itself).
TEST(Tcopy, PathOutsideTheDirectoryIsRefused) {
  ScratchDir dir;
  write_file("from", "x\n");
  std::filesystem::create_directory("sub");
  write_file("sub/to", "keep");
  ::testing::internal::CaptureStderr();
  try {
    Tcopy("from", "sub/to");
    ADD_FAILURE() << "no abort";
  } catch (const RunAbort& a) {
    EXPECT_EQ(a.status, -1);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Cannot open file: sub/to \n");
  EXPECT_EQ(read_file("sub/to"), "keep");
}

} // namespace
} // namespace curvetext

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

// The answers for a person at a console come before anything else is done.
// The unit tests run on the Linux x86_64 build (cross builds leave them out):
// the version line in full; the usage text up to its first blank line.
TEST(Run, QueriesTouchNoFile) {
  const struct {
    const char* arg;
    std::string out;
  } cases[] = {{"--version", "curvetext " CURVETEXT_VERSION " (Linux x86_64)\n"},
               {"/?", "Usage: curvetext [OPTION]...\n\n"}};
  for (const auto& c : cases) {
    ScratchDir dir;
    write_file("QVC_TEMP.TXT", "xx\n");
    ::testing::internal::CaptureStdout();
    const RunResult r = run_in_place({"/t2", c.arg});
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.out.ends_with("\n\n") ? out.substr(0, c.out.size()) : out, c.out);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_file("QVC_TEMP.TXT"), "xx\n");
    EXPECT_FALSE(std::filesystem::exists("QVC_TEMP.104"));
  }
}

// Held for one run: a process that runs twice (the fuzz target) is let in.
TEST(Run, DirectoryLockHeldForTheRunOnly) {
  ScratchDir dir;
  write_file("QVC_TEMP.TXT", "xx\n");
  {
    DirectoryLock other;
    ASSERT_TRUE(other.take());
    const RunResult r = run_in_place({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot lock file: QVC_TEMP.TXT \n");
  }
  EXPECT_EQ(run_in_place({}).status, 0);
  EXPECT_EQ(run_in_place({}).status, 0);
}

TEST(Run, OutputThatCannotBeWrittenWholeIsAFailure) {
  ScratchDir dir;
  std::string input;
  for (int i = 0; i < 20; ++i)
    input += "# a comment record the reader echoes\n";
  write_file("QVC_TEMP.TXT", input);
  // Room for the line count's copy, not for the output (echoes + trailer).
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = input.size() + 4;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  const RunResult r = run_in_place({});
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Cannot write file: QVC_TEMP.104 \n");
  EXPECT_EQ(read_file("QVC_TEMP.TXT"), input); // never replaced by a cut output
}

} // namespace
} // namespace curvetext
