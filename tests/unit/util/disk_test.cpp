// The platform layer, on Linux and, cross-built, on Windows under Wine: what
// a run cannot show (golden cases driver_* and the fault table show the rest).
#include "util/disk.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch_dir.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace curvetext {
namespace {

using testing::read_file;
using testing::ScratchDir;
using testing::write_file;
namespace fs = std::filesystem;

bool writable(const char* path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

// A read-only leftover goes; a folder of the name, or a file elsewhere, never.
TEST(CreateAfresh, RemovesWhateverFileHasTheName) {
  ScratchDir dir;
  write_file("work", "stale");
  fs::permissions("work", fs::perms::owner_write, fs::perm_options::remove);
  std::FILE* f = create_afresh("work");
  ASSERT_NE(f, nullptr);
  std::fputs("new", f);
  std::fclose(f);
  EXPECT_EQ(read_file("work"), "new");
  EXPECT_TRUE(writable("work"));
  fs::create_directory("sub");
  write_file("sub/work", "keep");
  EXPECT_EQ(create_afresh("sub/work"), nullptr); // never outside this folder
  EXPECT_EQ(read_file("sub/work"), "keep");
  EXPECT_EQ(create_afresh("sub"), nullptr);
  EXPECT_TRUE(fs::is_directory("sub"));
}

// The work copy reopened for the output: emptied, and nothing but a file.
TEST(ReopenEmpty, EmptiesTheFileAndNothingElse) {
  ScratchDir dir;
  write_file("work", "count copy");
  std::FILE* f = reopen_empty("work");
  ASSERT_NE(f, nullptr);
  std::fputs("out", f);
  std::fclose(f);
  EXPECT_EQ(read_file("work"), "out");
  fs::create_directory("folder");
  EXPECT_EQ(reopen_empty("folder"), nullptr);
#if !defined(_WIN32)
  // A link or FIFO put under the name between the two opens.
  write_file("target", "keep");
  fs::create_symlink("target", "link");
  EXPECT_EQ(reopen_empty("link"), nullptr);
  EXPECT_EQ(read_file("target"), "keep");
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  EXPECT_EQ(reopen_empty("fifo"), nullptr); // at once, no reader awaited
#endif
}

} // namespace
} // namespace curvetext
