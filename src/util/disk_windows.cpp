// The platform layer on Windows. Paths go through the wide-character API;
// files are opened with CreateFileW and handed to the C library as streams.
#include "util/disk.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace curvetext {

namespace {

// Virus scanners, indexers and backup agents open a file that has just been
// written for some dozens of milliseconds, often without letting anyone
// else write, delete or rename it. A step that meets such a hold tries
// again, with short pauses, for this long in all before it gives up.
constexpr ULONGLONG kHoldBoundMs = 2000;

bool held_by_another(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

// Runs `step` (true on success, the reason in GetLastError otherwise) until
// it succeeds, fails for another reason, or the bound has passed.
template <typename Step> bool waiting_out_holds(Step step) {
  const ULONGLONG start = GetTickCount64();
  DWORD pause = 4;
  for (;;) {
    if (step()) return true;
    const DWORD error = GetLastError();
    if (!held_by_another(error) || GetTickCount64() - start >= kHoldBoundMs) {
      SetLastError(error);
      return false;
    }
    Sleep(pause);
    if (pause < 64) pause *= 2;
  }
}

std::wstring wide(const char* path) {
  const int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, w.data(), n);
  w.resize(static_cast<std::size_t>(n - 1));
  return w;
}

constexpr DWORD kNoFile = INVALID_FILE_ATTRIBUTES;

DWORD attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool is_directory(DWORD attrs) {
  return attrs != kNoFile && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// SetFileAttributesW takes FILE_ATTRIBUTE_NORMAL for "none".
void set_attributes(const std::wstring& path, DWORD attrs) {
  SetFileAttributesW(path.c_str(), attrs == 0 ? FILE_ATTRIBUTE_NORMAL : attrs);
}

// The name of the file `path` as the folder holds it (Windows finds a name in
// any letter case); false when there is no such file.
bool stored_name(const std::wstring& path, std::wstring& stored) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  // FindFirstFileW also matches a short (8.3) name: only a real spelling of
  // the name counts, and only a file.
  if (_wcsicmp(found.cFileName, path.c_str()) != 0 ||
      (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return false;
  stored = found.cFileName;
  return true;
}

// Nothing at all has the name. A file that is being deleted still has it
// until its last handle closes, and reads as denied, not as missing.
bool nothing_named(const std::wstring& path) {
  if (attributes(path) != kNoFile) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Creating `path` was refused as denied although nothing has the name: the
// folder denies new files. No other process's hold looks like that, so there
// is nothing to wait for.
bool creation_denied(DWORD error, const std::wstring& path) {
  return error == ERROR_ACCESS_DENIED && nothing_named(path);
}

// An error that ends a wait at once.
constexpr DWORD kDenied = ERROR_CANNOT_MAKE;

bool move_file(const std::wstring& from, const std::wstring& to, DWORD flags = 0) {
  return waiting_out_holds([&] { return MoveFileExW(from.c_str(), to.c_str(), flags) != 0; });
}

HANDLE open_handle(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                   DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  HANDLE h = INVALID_HANDLE_VALUE;
  waiting_out_holds([&] {
    h = CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    return h != INVALID_HANDLE_VALUE;
  });
  return h;
}

// A regular file on a disk: not a directory, link, pipe or device.
bool is_plain_file(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) != 0 &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// The stream takes the handle over; null (and the handle closed) when it
// cannot, or when the handle is no plain file.
std::FILE* stream(HANDLE h, int flags, const char* mode) {
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  if (!is_plain_file(h)) {
    CloseHandle(h);
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(h), flags);
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  std::FILE* f = _fdopen(fd, mode);
  if (f == nullptr) _close(fd);
  return f;
}

// Removes whatever has the name, read-only or not; a link to a folder goes,
// the folder it names stays. False when something stays under the name.
bool remove_any(const std::wstring& path) {
  const DWORD attrs = attributes(path);
  if (attrs == kNoFile) return true;
  if (is_directory(attrs) && (attrs & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    SetLastError(ERROR_DIRECTORY); // a real folder: never ours to remove
    return false;
  }
  if ((attrs & FILE_ATTRIBUTE_READONLY) != 0)
    set_attributes(path, attrs & ~FILE_ATTRIBUTE_READONLY);
  const BOOL removed =
      is_directory(attrs) ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
  return removed != 0 || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Gives the interface file its own spelling. A rename that changes only the
// letter case is one step on Windows; a file system that ignores such a
// rename (Wine's) gets it in two, by way of the first intermediate name, and
// a failed second step is undone. False only when the undo fails too: the
// file is then under the intermediate name, where the next run finds it.
bool give_own_spelling(const std::wstring& stored, const std::wstring& own,
                       const std::wstring& first) {
  std::wstring now;
  if (!move_file(stored, own) || !stored_name(own, now) || now == own) return true;
  if (!move_file(now, first)) return true;
  return move_file(first, own) || move_file(first, now);
}

} // namespace

bool take_over_name(const InterfaceNames& names) {
  const std::wstring own = wide(names.own);
  const std::wstring first = wide(names.first);
  std::wstring stored;
  if (stored_name(own, stored)) {
    // Found in any letter case. A leftover first intermediate name is where
    // a Windows rename chain would stop: the file keeps the host's spelling,
    // as it always has. Either way the copy opens it under our name.
    std::wstring leftover;
    if (stored != own && !stored_name(first, leftover))
      return give_own_spelling(stored, own, first);
    return true;
  }
  // Only under an intermediate name: left there by a run killed in an
  // earlier version's rename chain. The first name is the fresher of the
  // two when both are there (the second is then a leftover).
  for (const char* name : {names.first, names.second}) {
    if (stored_name(wide(name), stored)) return move_file(stored, own);
  }
  return true; // nothing to take over: the copy reports the missing file
}

std::FILE* open_regular(const char* path) {
  const std::wstring p = wide(path);
  // Opening a folder fails as "access denied", which is not to be waited on.
  if (is_directory(attributes(p))) return nullptr;
  // The sharing the C library's fopen grants: a writer may still hold it.
  return stream(open_handle(p, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
                _O_RDONLY | _O_BINARY, "rb");
}

std::FILE* create_afresh(const char* path) {
  if (std::strpbrk(path, "/\\:") != nullptr) return nullptr; // this directory only
  const std::wstring p = wide(path);
  HANDLE h = INVALID_HANDLE_VALUE;
  // A file removed while another process holds it open (with delete
  // sharing) lingers under its name until that process lets go: creating it
  // anew is refused as denied or as existing until then.
  waiting_out_holds([&] {
    if (!remove_any(p)) return false;
    h = CreateFileW(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return true;
    const DWORD error = GetLastError();
    SetLastError(error == ERROR_FILE_EXISTS  ? ERROR_SHARING_VIOLATION
                 : creation_denied(error, p) ? kDenied
                                             : error);
    return false;
  });
  return stream(h, _O_WRONLY | _O_BINARY, "wb");
}

std::FILE* reopen_empty(const char* path) {
  const std::wstring p = wide(path);
  if (is_directory(attributes(p))) return nullptr;
  HANDLE h = open_handle(p, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
  if (h != INVALID_HANDLE_VALUE && is_plain_file(h) && SetEndOfFile(h) == 0) {
    CloseHandle(h);
    return nullptr;
  }
  return stream(h, _O_WRONLY | _O_BINARY, "wb");
}

// Windows refuses to move onto a read-only file. The work copy takes the
// attribute first (a read-only file may still be moved), so that the output
// has it the moment it lands; the target loses it only for the instant of
// each attempt and gets it back when that attempt fails, so that a run
// killed while a reader's hold is waited out leaves the host's file
// read-only. A failed move leaves the work copy writable.
bool replace_file(const char* from, const char* to) {
  const std::wstring f = wide(from);
  const std::wstring t = wide(to);
  const DWORD attrs = attributes(t);
  const bool read_only = attrs != kNoFile && (attrs & FILE_ATTRIBUTE_READONLY) != 0;
  const DWORD work = attributes(f);
  if (read_only) set_attributes(f, work | FILE_ATTRIBUTE_READONLY);
  const bool moved = waiting_out_holds([&] {
    if (read_only) set_attributes(t, attrs & ~FILE_ATTRIBUTE_READONLY);
    if (MoveFileExW(f.c_str(), t.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) return true;
    const DWORD error = GetLastError();
    if (read_only) set_attributes(t, attrs);
    SetLastError(error);
    return false;
  });
  if (read_only && !moved) set_attributes(f, work & ~FILE_ATTRIBUTE_READONLY);
  return moved;
}

// The lock is a file in the directory that only one process may open, and
// that the system deletes when its handle closes, also when the process is
// killed. A file, unlike a name made from the path, is the same whatever
// drive letter, short name or link leads to the folder, and is seen from
// every session of the machine.
constexpr const wchar_t* kLockFile = L"QVC_TEMP.LCK";

namespace {

// Whether the folder takes a new file at all: a file of the run's own that
// the system deletes at once. Something already under its name (another
// run's test) proves it too.
bool takes_new_files() {
  HANDLE h = CreateFileW(L"QVC_TEMP.LC~", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return true;
  }
  const DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_SHARING_VIOLATION;
}

// Why the lock file could not be opened: `refused` when to give up at once,
// else a hold to wait out (a lock file still going after a run that has just
// ended, a stray read-only one).
bool refused_at_once(DWORD error, LockResult& refused) {
  refused = LockResult::held;
  if (error == ERROR_SHARING_VIOLATION) return true; // another run holds it
  if (nothing_named(kLockFile)) {
    // The name cannot be made: either nothing can be made here, or this one
    // name is barred (a screening rule, a link that leads nowhere), which
    // leaves the folder without a lock.
    if (!takes_new_files()) refused = LockResult::no_new_file;
    return true;
  }
  const DWORD attrs = attributes(kLockFile);
  if (attrs == kNoFile) return false; // a lock file being deleted reads as denied
  // A folder or a link under the name never serves as a lock.
  if ((attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) return true;
  if ((attrs & FILE_ATTRIBUTE_READONLY) != 0)
    set_attributes(kLockFile, attrs & ~FILE_ATTRIBUTE_READONLY);
  return false;
}

} // namespace

LockResult DirectoryLock::take() {
  HANDLE h = INVALID_HANDLE_VALUE;
  LockResult refused = LockResult::held;
  const bool taken = waiting_out_holds([&] {
    h = CreateFileW(kLockFile, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) return true;
    SetLastError(refused_at_once(GetLastError(), refused) ? kDenied : ERROR_ACCESS_DENIED);
    return false;
  });
  if (!taken) return refused; // still denied at the bound: the name cannot serve
  handle_ = h;
  return LockResult::taken;
}

DirectoryLock::~DirectoryLock() {
  if (handle_ != nullptr) CloseHandle(handle_); // deletes the lock file
}

void prepare_process() {
  // Trace lines and messages end in a bare LF, as on every platform.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

} // namespace curvetext
