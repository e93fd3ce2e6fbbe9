// The platform layer, on Linux and, cross-built, on Windows under Wine.
#include "util/disk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/scratch_dir.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace curvetext {
namespace {

using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>; // name as the folder holds it -> bytes

constexpr InterfaceNames kNames{"qvc_temp.txt", "QVC_x2x2.10", "QVC_x2x2.104", "QVC_TEMP.TXT"};
constexpr bool kWindows =
#if defined(_WIN32)
    true;
#else
    false;
#endif

Files folder() {
  Files files;
  for (const fs::directory_entry& e : fs::directory_iterator("."))
    files[e.path().filename().string()] =
        e.is_directory() ? "(folder)" : read_file(e.path().string());
  return files;
}

void set_read_only(const char* path, bool on) {
  fs::permissions(path, fs::perms::owner_write,
                  on ? fs::perm_options::remove : fs::perm_options::add);
}

bool read_only(const char* path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) == fs::perms::none;
}

struct TakeOverCase {
  const char* name;
  Files before;
  bool ok;
  Files posix;   // the folder afterwards on a case-sensitive POSIX file system
  Files windows; // and on Windows
};

// "in" is the host's file, "old" a leftover of an earlier run.
TEST(TakeOverName, EveryWayTheFileCanBeFound) {
  const TakeOverCase cases[] = {
      {"own name: nothing moves",
       {{"QVC_TEMP.TXT", "in"}},
       true,
       {{"QVC_TEMP.TXT", "in"}},
       {{"QVC_TEMP.TXT", "in"}}},
      {"lower case",
       {{"qvc_temp.txt", "in"}},
       true,
       {{"QVC_TEMP.TXT", "in"}},
       {{"QVC_TEMP.TXT", "in"}}},
      {"mixed case: POSIX does not know it",
       {{"Qvc_Temp.txt", "in"}},
       true,
       {{"Qvc_Temp.txt", "in"}},
       {{"QVC_TEMP.TXT", "in"}}},
      {"leftovers beside the file stay",
       {{"QVC_TEMP.TXT", "in"}, {"QVC_x2x2.10", "old"}, {"QVC_x2x2.104", "old"}},
       true,
       {{"QVC_TEMP.TXT", "in"}, {"QVC_x2x2.10", "old"}, {"QVC_x2x2.104", "old"}},
       {{"QVC_TEMP.TXT", "in"}, {"QVC_x2x2.10", "old"}, {"QVC_x2x2.104", "old"}}},
      {"a leftover first name: POSIX replaces it, Windows keeps the host's spelling",
       {{"qvc_temp.txt", "in"}, {"QVC_x2x2.10", "old"}},
       true,
       {{"QVC_TEMP.TXT", "in"}},
       {{"qvc_temp.txt", "in"}, {"QVC_x2x2.10", "old"}}},
      {"a leftover second name never blocks",
       {{"qvc_temp.txt", "in"}, {"QVC_x2x2.104", "old"}},
       true,
       {{"QVC_TEMP.TXT", "in"}},
       {{"QVC_TEMP.TXT", "in"}, {"QVC_x2x2.104", "old"}}},
      {"killed after the first rename",
       {{"QVC_x2x2.10", "in"}},
       true,
       {{"QVC_TEMP.TXT", "in"}},
       {{"QVC_TEMP.TXT", "in"}}},
      {"killed after the second rename",
       {{"QVC_x2x2.104", "in"}},
       true,
       {{"QVC_TEMP.TXT", "in"}},
       {{"QVC_TEMP.TXT", "in"}}},
      {"both intermediate names: the first is the input",
       {{"QVC_x2x2.10", "in"}, {"QVC_x2x2.104", "old"}},
       true,
       {{"QVC_TEMP.TXT", "in"}},
       {{"QVC_TEMP.TXT", "in"}, {"QVC_x2x2.104", "old"}}},
      {"nothing to take over",
       {{"other.txt", "x"}},
       true,
       {{"other.txt", "x"}},
       {{"other.txt", "x"}}},
  };
  for (const TakeOverCase& c : cases) {
    ScratchDir dir;
    for (const auto& [name, bytes] : c.before)
      write_file(name, bytes);
    EXPECT_EQ(take_over_name(kNames), c.ok) << c.name;
    EXPECT_EQ(folder(), kWindows ? c.windows : c.posix) << c.name;
  }
}

TEST(TakeOverName, BlockedChainIsUndone) {
  if (kWindows) GTEST_SKIP() << "Windows renames the file once, straight to its name";
  ScratchDir dir;
  write_file("qvc_temp.txt", "in");
  write_file("QVC_TEMP.TXT", "older");
  fs::create_directory("QVC_x2x2.104"); // the second rename cannot replace a folder
  EXPECT_FALSE(take_over_name(kNames));
  EXPECT_EQ(
      folder(),
      (Files{{"qvc_temp.txt", "in"}, {"QVC_TEMP.TXT", "older"}, {"QVC_x2x2.104", "(folder)"}}));
}

TEST(CreateAfresh, RemovesWhateverHasTheName) {
  ScratchDir dir;
  write_file("work", "stale");
  set_read_only("work", true);
  std::FILE* f = create_afresh("work");
  ASSERT_NE(f, nullptr) << "a read-only leftover must not block the run";
  std::fputs("new", f);
  std::fclose(f);
  EXPECT_EQ(read_file("work"), "new");
  EXPECT_FALSE(read_only("work"));

  fs::create_directory("sub");
  write_file("sub/work", "keep");
  EXPECT_EQ(create_afresh("sub/work"), nullptr); // never outside this folder
  EXPECT_EQ(read_file("sub/work"), "keep");
  EXPECT_EQ(create_afresh("sub"), nullptr); // a folder is never removed
  EXPECT_TRUE(fs::is_directory("sub"));
#if !defined(_WIN32)
  write_file("target", "keep");
  fs::create_symlink("target", "link");
  f = create_afresh("link");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(read_file("target"), "keep");
  EXPECT_FALSE(fs::is_symlink("link"));
#endif
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

TEST(Replace, OneStepKeepingTheTargetsAttribute) {
  ScratchDir dir;
  write_file("input", "in");
  write_file("work", "out");
  set_read_only("input", true);
  ASSERT_TRUE(replace_file("work", "input"));
  EXPECT_EQ(folder(), (Files{{"input", "out"}}));
  EXPECT_TRUE(read_only("input")) << "the output keeps the interface file's read-only state";
  set_read_only("input", false);

  write_file("work", "out2");
  ASSERT_TRUE(replace_file("work", "input"));
  EXPECT_FALSE(read_only("input"));
  EXPECT_FALSE(replace_file("missing", "input"));
  EXPECT_EQ(read_file("input"), "out2");
}

#if defined(_WIN32)

// Holds `path` open without any sharing, as a scanner does, for `ms`.
struct Hold {
  HANDLE file;
  DWORD ms;
};

DWORD WINAPI let_go_later(void* p) {
  const Hold* h = static_cast<const Hold*>(p);
  Sleep(h->ms);
  CloseHandle(h->file);
  return 0;
}

HANDLE hold(const char* path, DWORD ms, Hold& h) {
  h.file =
      CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  h.ms = ms;
  return CreateThread(nullptr, 0, let_go_later, &h, 0, nullptr);
}

TEST(Holds, ShortOnesAreWaitedOutLongOnesFail) {
  ScratchDir dir;
  write_file("input", "in");
  Hold h;
  HANDLE t = hold("input", 300, h);
  std::FILE* f = open_regular("input");
  EXPECT_NE(f, nullptr) << "a 300 ms hold is waited out";
  if (f != nullptr) std::fclose(f);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);

  write_file("work", "out");
  set_read_only("input", true);
  t = hold("input", 4000, h);
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(replace_file("work", "input")) << "a 4 s hold outlasts the bound";
  const ULONGLONG waited = GetTickCount64() - start;
  EXPECT_GE(waited, 1500u);
  EXPECT_LT(waited, 3500u);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  EXPECT_EQ(read_file("input"), "in");
  EXPECT_TRUE(read_only("input")) << "a failed move keeps the attribute";
  EXPECT_FALSE(read_only("work")) << "and the work copy writable";
}

#endif

TEST(DirectoryLock, OneHolderAtATimeAndNothingLeftBehind) {
  ScratchDir dir;
  {
    DirectoryLock first;
    ASSERT_TRUE(first.take());
    DirectoryLock second;
    EXPECT_FALSE(second.take());
  }
  EXPECT_EQ(folder(), Files{});
  DirectoryLock again;
  EXPECT_TRUE(again.take());
}

} // namespace
} // namespace curvetext
