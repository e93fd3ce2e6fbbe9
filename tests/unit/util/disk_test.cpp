// The platform layer, on Linux and, cross-built, on Windows under Wine.
#include "util/disk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

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

constexpr InterfaceNames kNames{"qvc_temp.txt", "QVC_x2x2.10", "QVC_x2x2.104", "QVC_TEMP.TXT"};
constexpr bool kWindows =
#if defined(_WIN32)
    true;
#else
    false;
#endif

// The folder as "name=bytes" words, names as the folder holds them.
std::string folder() {
  std::map<std::string, std::string> files; // sorted by name
  for (const fs::directory_entry& e : fs::directory_iterator("."))
    files[e.path().filename().string()] =
        e.is_directory() ? "(folder)" : read_file(e.path().string());
  std::string words;
  for (const auto& [name, bytes] : files)
    words += (words.empty() ? "" : " ") + name + "=" + bytes;
  return words;
}

void make(const std::string& words) {
  std::istringstream in(words);
  for (std::string w; in >> w;)
    write_file(w.substr(0, w.find('=')), w.substr(w.find('=') + 1));
}

void set_read_only(const char* path) {
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::remove);
}

bool read_only(const char* path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) == fs::perms::none;
}

// "in" is the host's file, "old" a leftover of an earlier run: the folder
// before, and after on a case-sensitive POSIX file system and on Windows.
TEST(TakeOverName, EveryWayTheFileCanBeFound) {
  const struct {
    const char* before;
    const char* posix;
    const char* windows;
  } cases[] = {
      {"QVC_TEMP.TXT=in", "QVC_TEMP.TXT=in", "QVC_TEMP.TXT=in"},
      {"qvc_temp.txt=in", "QVC_TEMP.TXT=in", "QVC_TEMP.TXT=in"},
      {"Qvc_Temp.txt=in", "Qvc_Temp.txt=in", "QVC_TEMP.TXT=in"}, // POSIX does not know it
      {"QVC_TEMP.TXT=in QVC_x2x2.10=old QVC_x2x2.104=old",
       "QVC_TEMP.TXT=in QVC_x2x2.10=old QVC_x2x2.104=old",
       "QVC_TEMP.TXT=in QVC_x2x2.10=old QVC_x2x2.104=old"},
      // A leftover first name: the POSIX chain replaces it; Windows keeps the
      // host's spelling.
      {"QVC_x2x2.10=old qvc_temp.txt=in", "QVC_TEMP.TXT=in", "QVC_x2x2.10=old qvc_temp.txt=in"},
      {"QVC_x2x2.104=old qvc_temp.txt=in", "QVC_TEMP.TXT=in", "QVC_TEMP.TXT=in QVC_x2x2.104=old"},
      // Killed in the chain: the input under an intermediate name.
      {"QVC_x2x2.10=in", "QVC_TEMP.TXT=in", "QVC_TEMP.TXT=in"},
      {"QVC_x2x2.104=in", "QVC_TEMP.TXT=in", "QVC_TEMP.TXT=in"},
      {"QVC_x2x2.10=in QVC_x2x2.104=old", "QVC_TEMP.TXT=in", "QVC_TEMP.TXT=in QVC_x2x2.104=old"},
      {"other.txt=x", "other.txt=x", "other.txt=x"}, // nothing to take over
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    make(c.before);
    EXPECT_TRUE(take_over_name(kNames)) << c.before;
    EXPECT_EQ(folder(), kWindows ? c.windows : c.posix) << c.before;
  }
}

TEST(CreateAfresh, RemovesWhateverHasTheName) {
  ScratchDir dir;
  write_file("work", "stale");
  set_read_only("work");
  std::FILE* f = create_afresh("work");
  ASSERT_NE(f, nullptr) << "a read-only leftover must not block the run";
  std::fputs("new", f);
  std::fclose(f);
  EXPECT_EQ(read_file("work"), "new");
  EXPECT_FALSE(read_only("work"));

  fs::create_directory("sub");
  EXPECT_EQ(create_afresh("sub"), nullptr); // a folder is never removed
  EXPECT_TRUE(fs::is_directory("sub"));
}

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

TEST(DirectoryLock, OneHolderAtATimeAndNothingLeftBehind) {
  ScratchDir dir;
  {
    DirectoryLock first;
    ASSERT_TRUE(first.take());
    DirectoryLock second;
    EXPECT_FALSE(second.take());
  }
  EXPECT_EQ(folder(), "");
  DirectoryLock again;
  EXPECT_TRUE(again.take());
}

} // namespace
} // namespace curvetext
