// winfault: the other processes of a Windows machine, for fault_table.py.
//   winfault run EXE DIR [--hold NAME SHARE AFTER FOR] [--kill-after MS]
//                        [--kill-when-gone NAME]
//     starts EXE in DIR; prints "status N" (9: killed) and "elapsed MS". A
//     hold opens DIR\NAME with SHARE (of r, w, d; "-" none) AFTER ms after
//     the start ("seen": once it exists) for FOR ms, as a scanner does.
//   winfault pair EXE DIR1 DIR2   two runs let go at one moment
// A folder may spell a character \uXXXX (arguments cross the Unix locale);
// "short:PATH" is PATH's 8.3 form.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kKilled = 9;

std::wstring folder(const wchar_t* arg) {
  std::wstring path;
  for (const wchar_t* p = arg; *p != L'\0'; ++p) {
    if (p[0] == L'\\' && p[1] == L'u' && std::wcslen(p) >= 6) {
      path += static_cast<wchar_t>(std::wcstoul(std::wstring(p + 2, 4).c_str(), nullptr, 16));
      p += 5;
    } else {
      path += *p;
    }
  }
  if (path.rfind(L"short:", 0) != 0) return path;
  wchar_t buf[MAX_PATH * 2];
  const DWORD n = GetShortPathNameW(path.c_str() + 6, buf, MAX_PATH * 2);
  return n > 0 && n < MAX_PATH * 2 ? std::wstring(buf) : path.substr(6);
}

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Suspended, so that two runs can be let go at one moment.
PROCESS_INFORMATION start(const std::wstring& exe, const std::wstring& dir) {
  std::wstring line = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      dir.c_str(), &si, &pi)) {
    std::printf("cannot start: error %lu\n", GetLastError());
    std::exit(2);
  }
  return pi;
}

void go(const PROCESS_INFORMATION& pi) {
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
}

void print_status(HANDLE process) {
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  std::printf("status %ld\n", static_cast<long>(code));
  CloseHandle(process);
}

// A scanner's hold: DIR\NAME opened with `share` from `after` ms on (or the
// moment the file is there) for `length` ms.
struct Hold {
  std::wstring path;
  DWORD share;
  bool when_seen;
  ULONGLONG after;
  ULONGLONG length;
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool done = false;

  Hold(const std::wstring& dir, wchar_t** arg)
      : path(dir + L"\\" + arg[0]),
        share((std::wcschr(arg[1], L'r') != nullptr ? FILE_SHARE_READ : 0) |
              (std::wcschr(arg[1], L'w') != nullptr ? FILE_SHARE_WRITE : 0) |
              (std::wcschr(arg[1], L'd') != nullptr ? FILE_SHARE_DELETE : 0)),
        when_seen(std::wcscmp(arg[2], L"seen") == 0), after(std::wcstoul(arg[2], nullptr, 10)),
        length(std::wcstoul(arg[3], nullptr, 10)) {}

  // Opens and lets go on time; `elapsed` in milliseconds since the start.
  void tick(ULONGLONG elapsed) {
    if (handle == INVALID_HANDLE_VALUE && !done && (when_seen ? exists(path) : elapsed >= after)) {
      handle = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
      after = elapsed;
      done = handle == INVALID_HANDLE_VALUE;
    } else if (handle != INVALID_HANDLE_VALUE && elapsed >= after + length) {
      CloseHandle(handle);
      handle = INVALID_HANDLE_VALUE;
      done = true;
    }
  }
};

int run(int argc, wchar_t** argv) {
  const std::wstring dir = folder(argv[3]);
  std::vector<Hold> holds;
  ULONGLONG kill_after = 0;
  std::wstring kill_when_gone;
  for (int i = 4; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--hold" && i + 4 < argc) {
      holds.emplace_back(dir, argv + i + 1);
      i += 4;
    } else if (a == L"--kill-after" && i + 1 < argc) {
      kill_after = std::wcstoul(argv[++i], nullptr, 10);
    } else if (a == L"--kill-when-gone" && i + 1 < argc) {
      kill_when_gone = dir + L"\\" + argv[++i];
    } else {
      std::printf("unknown option %ls\n", a.c_str());
      return 2;
    }
  }
  const PROCESS_INFORMATION pi = start(argv[2], dir);
  for (Hold& h : holds)
    h.tick(0); // a hold from the start is in place before the run goes
  const ULONGLONG t0 = GetTickCount64();
  go(pi);
  bool seen = kill_when_gone.empty() || exists(kill_when_gone);
  for (;;) {
    const ULONGLONG elapsed = GetTickCount64() - t0;
    for (Hold& h : holds)
      h.tick(elapsed);
    const bool gone = !kill_when_gone.empty() && seen && !exists(kill_when_gone);
    seen = seen || exists(kill_when_gone);
    if (gone || (kill_after != 0 && elapsed >= kill_after)) {
      TerminateProcess(pi.hProcess, kKilled);
      WaitForSingleObject(pi.hProcess, INFINITE);
      break;
    }
    // Kills and holds that wait for a name need a quick eye.
    const DWORD wait = kill_when_gone.empty() && holds.empty() ? 1 : 0;
    if (WaitForSingleObject(pi.hProcess, wait) == WAIT_OBJECT_0) break;
  }
  for (Hold& h : holds)
    if (h.handle != INVALID_HANDLE_VALUE) CloseHandle(h.handle);
  print_status(pi.hProcess);
  std::printf("elapsed %llu\n", GetTickCount64() - t0);
  return 0;
}

int pair(wchar_t** argv) {
  const PROCESS_INFORMATION a = start(argv[2], folder(argv[3]));
  const PROCESS_INFORMATION b = start(argv[2], folder(argv[4]));
  go(a);
  go(b);
  const HANDLE both[] = {a.hProcess, b.hProcess};
  WaitForMultipleObjects(2, both, TRUE, INFINITE);
  print_status(a.hProcess);
  print_status(b.hProcess);
  return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const std::wstring verb = argc > 1 ? argv[1] : L"";
  if (verb == L"run" && argc >= 4) return run(argc, argv);
  if (verb == L"pair" && argc == 5) return pair(argv);
  std::printf("usage: winfault run|pair ...\n");
  return 2;
}
