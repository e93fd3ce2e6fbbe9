// The platform layer: every file system call of the handoff, and the few the
// C library does not offer (regular files only, exclusive creation, a
// per-directory lock, sane standard streams). disk_posix.cpp and
// disk_windows.cpp each implement all of it; nothing above this layer knows
// which platform it runs on.
//
// On Windows every step that opens, removes or moves a file waits out a
// short hold by another process (a virus scanner or indexer opening a file
// that has just been written): it tries again for about two seconds before
// it gives up.
#pragma once

#include <cstdio>

namespace curvetext {

// The names the interface file goes by: the host's lower-case spelling, the
// two intermediate names of the POSIX rename chain, and its own name.
struct InterfaceNames {
  const char* lower;
  const char* first;
  const char* second;
  const char* own;
};

// Takes the interface file over under its own name. False when it was found
// only under another name and could not be given its own; the names are then
// as they were.
//
// POSIX: a file under the lower-case name goes by way of the intermediate
// names to its own, each step checked and undone when a later one fails; a
// file found only under an intermediate name (a run killed between the
// renames) finishes the chain.
// Windows: the file is looked up as the folder holds it. Under its own
// spelling nothing is renamed; in another letter case it is renamed once
// (unless a leftover first intermediate name stands beside it: the file then
// keeps the host's spelling); found only under an intermediate name, it is
// moved straight to its own. Leftover intermediate files beside the
// interface file are left alone.
bool take_over_name(const InterfaceNames& names);

// Opens for reading in binary, but only a regular file: a FIFO or device is
// refused before any read could block on it.
std::FILE* open_regular(const char* path);

// Removes whatever has the name (a file, a link, a FIFO; on Windows a
// read-only file too) and creates a new empty file in its place, following
// no link. Null when either fails, or when the path leaves this directory.
std::FILE* create_afresh(const char* path);

// Opens the file that create_afresh made for writing again, emptied,
// following no link and refusing anything but a regular file.
std::FILE* reopen_empty(const char* path);

// Puts `from` in place of `to` in one step, so that `to` is always either
// wholly the old file or wholly the new one. The result keeps the permission
// bits (POSIX) or the read-only attribute (Windows) of `to`. False when the
// move fails: `to` then stays as it was, attribute included, and `from`
// stays writable.
bool replace_file(const char* from, const char* to);

// What taking the directory lock found.
enum class LockResult {
  taken,       // this run holds the directory
  held,        // another run holds it, or what has the lock's name cannot serve
  no_new_file, // the directory takes no new file at all (denied, disk full)
};

// The lock that keeps a second run out of the current directory, whatever
// path leads there. It is released when the object goes, so that a process
// may run more than once (the fuzz target, the tests); the system drops it
// when a killed run ends, and it leaves no file behind. A run that does not
// hold it must create, rename and remove nothing.
class DirectoryLock {
public:
  DirectoryLock() = default;
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;
  ~DirectoryLock();
  LockResult take();

private:
#if defined(_WIN32)
  void* handle_ = nullptr; // the lock file, deleted when it closes
#else
  int fd_ = -1; // the directory
#endif
};

// Readies the process's standard streams and signals: POSIX reopens the null
// device on closed standard streams and ignores the file size signal, so
// that a size limit is a failed write; Windows writes standard output and
// error in binary, so that their lines end in a bare LF as everywhere.
void prepare_process();

} // namespace curvetext
