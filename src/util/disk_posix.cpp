// The platform layer on POSIX systems.
#include "util/disk.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace curvetext {

namespace {

bool exists(const char* path) {
  struct stat s;
  return lstat(path, &s) == 0;
}

// A file opened for reading or writing, or null: the stream takes the
// descriptor over.
std::FILE* stream(int fd, const char* mode) {
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, mode);
  if (f == nullptr) close(fd);
  return f;
}

bool is_regular(int fd) {
  struct stat s;
  return fstat(fd, &s) == 0 && S_ISREG(s.st_mode);
}

} // namespace

// The host may have written the name in lower case. rename replaces an
// existing target here, so a leftover intermediate file never blocks the
// chain. A run killed between the renames leaves the file under an
// intermediate name; with no interface file there, the chain is finished
// first.
bool take_over_name(const InterfaceNames& names) {
  const char* chain[] = {names.lower, names.first, names.second, names.own};
  int from = 0;
  if (!exists(names.own) && !exists(names.lower)) {
    // The first name is the fresher of the two when both are there: the
    // second is then a leftover, which the chain replaces.
    if (exists(names.first))
      from = 1;
    else if (exists(names.second))
      from = 2;
  }
  if (std::rename(chain[from], chain[from + 1]) != 0) return true; // nothing to take over
  for (int i = from + 1; i < 3; ++i) {
    if (std::rename(chain[i], chain[i + 1]) != 0) {
      for (int j = i; j > from; --j)
        std::rename(chain[j], chain[j - 1]);
      return false;
    }
  }
  return true;
}

std::FILE* open_regular(const char* path) {
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0 && !is_regular(fd)) {
    close(fd);
    return nullptr;
  }
  return stream(fd, "rb");
}

std::FILE* create_afresh(const char* path) {
  if (std::strchr(path, '/') != nullptr) return nullptr; // never remove outside this directory
  if (unlink(path) != 0 && errno != ENOENT) return nullptr;
  return stream(open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666), "wb");
}

std::FILE* reopen_empty(const char* path) {
  // O_NONBLOCK: a FIFO put under the name fails here instead of waiting for
  // a reader.
  const int fd = open(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd >= 0 && (!is_regular(fd) || ftruncate(fd, 0) != 0)) {
    close(fd);
    return nullptr;
  }
  return stream(fd, "wb");
}

bool replace_file(const char* from, const char* to) {
  struct stat s;
  if (stat(to, &s) != 0 || chmod(from, s.st_mode & 07777) != 0) return false;
  return std::rename(from, to) == 0;
}

LockResult DirectoryLock::take() {
  // Held on the directory itself, so it leaves no file behind, needs no
  // room on the disk, and covers the renames that run before the interface
  // file has its name.
  const int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return LockResult::held;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return LockResult::held;
  }
  fd_ = fd;
  return LockResult::taken;
}

DirectoryLock::~DirectoryLock() {
  if (fd_ >= 0) close(fd_); // closing the last descriptor drops the lock
}

void prepare_process() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      const int got = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
      if (got >= 0 && got != fd) close(got); // only the lowest free one can be it
    }
  }
  std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace curvetext
