#include "util/disk.h"

#include <fcntl.h>
#include <sys/stat.h>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>

#include <cctype>
#else
#include <csignal>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

namespace curvetext {

#if defined(_WIN32)

std::FILE* open_regular(const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return nullptr;
  struct _stat64 s;
  if (_fstat64(_fileno(f), &s) != 0 || (s.st_mode & _S_IFMT) != _S_IFREG) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

std::FILE* create_afresh(const char* path) {
  if (std::strpbrk(path, "/\\:") != nullptr) return nullptr; // this directory only
  if (_unlink(path) != 0 && errno != ENOENT) return nullptr;
  const int fd = _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* f = _fdopen(fd, "wb");
  if (f == nullptr) _close(fd);
  return f;
}

bool copy_mode(const char* from, const char* to) {
  struct _stat64 s;
  return _stat64(from, &s) == 0 && _chmod(to, s.st_mode & (_S_IREAD | _S_IWRITE)) == 0;
}

bool DirectoryLock::take() {
  // A named mutex per directory (its full path, in any letter case, hashed
  // into the name): the system destroys it with the last handle, so a killed
  // run never blocks the next one, and it leaves no file behind.
  char path[4096];
  const DWORD n = GetFullPathNameA(".", sizeof path, path, nullptr);
  if (n == 0 || n >= sizeof path) return false;
  unsigned long long hash = 14695981039346656037ull; // FNV-1a
  for (DWORD i = 0; i < n; ++i) {
    hash ^= static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(path[i])));
    hash *= 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "Local\\curvetext-%016llx", hash);
  HANDLE mutex = CreateMutexA(nullptr, TRUE, name);
  if (mutex == nullptr) return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  handle_ = mutex;
  return true;
}

DirectoryLock::~DirectoryLock() {
  if (handle_ == nullptr) return;
  ReleaseMutex(handle_);
  CloseHandle(handle_);
}

void prepare_process() {}

#else

std::FILE* open_regular(const char* path) {
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat s;
  if (fstat(fd, &s) != 0 || !S_ISREG(s.st_mode)) {
    close(fd);
    return nullptr;
  }
  std::FILE* f = fdopen(fd, "rb");
  if (f == nullptr) close(fd);
  return f;
}

std::FILE* create_afresh(const char* path) {
  if (std::strchr(path, '/') != nullptr) return nullptr; // never remove outside this directory
  if (unlink(path) != 0 && errno != ENOENT) return nullptr;
  const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "wb");
  if (f == nullptr) close(fd);
  return f;
}

bool copy_mode(const char* from, const char* to) {
  struct stat s;
  return stat(from, &s) == 0 && chmod(to, s.st_mode & 07777) == 0;
}

bool DirectoryLock::take() {
  // Held on the directory itself, so it leaves no file behind and covers
  // the renames that run before the interface file has its name.
  const int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  return true;
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

#endif

} // namespace curvetext
