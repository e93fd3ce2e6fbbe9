// The few file system calls the C library does not offer: regular files only,
// exclusive creation, a per-directory lock, sane standard streams.
#pragma once

#include <cstdio>

namespace curvetext {

// Opens for reading in binary, but only a regular file: a FIFO or device is
// refused before any read could block on it.
std::FILE* open_regular(const char* path);

// Removes whatever has the name (a file, a link, a FIFO) and creates a new
// empty file in its place, following no link. Null when either fails.
std::FILE* create_afresh(const char* path);

// Gives `to` the permission bits of `from`; false when that fails.
bool copy_mode(const char* from, const char* to);

// The lock that keeps a second run out of the current directory. It is
// released when the object goes, so that a process may run more than once
// (the fuzz target, the tests); the system drops it when a killed run ends.
class DirectoryLock {
public:
  DirectoryLock() = default;
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;
  ~DirectoryLock();
  // False when another run holds it, or it cannot be taken.
  bool take();

private:
#if defined(_WIN32)
  void* handle_ = nullptr; // the mutex
#else
  int fd_ = -1; // the directory
#endif
};

// Reopens the null device on closed standard streams and ignores the file
// size signal, so that a size limit is a failed write.
void prepare_process();

} // namespace curvetext
