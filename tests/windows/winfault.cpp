// winfault: meets a run of curvetext as a Windows machine would. Started by
// fault_table.py under Wine, it plays the other processes of that machine:
// a virus scanner holding a file open, a second run, a kill, a watcher.
//
//   winfault run EXE DIR [options] [-- ARGS...]
//     starts EXE in DIR and prints "status N" (or "killed"), "elapsed MS"
//     and, with --watch, "missing K": how many of its looks found NAME gone.
//     --hold NAME SHARE AFTER_MS FOR_MS  opens DIR\NAME with SHARE (any of
//         r, w, d; "-" for none) AFTER_MS after the start (0: before it;
//         "seen": the moment the file is there), for FOR_MS; prints
//         "held NAME" or "hold failed NAME"
//     --kill-after MS         terminates the run MS after its start
//     --kill-when-gone NAME   terminates the run the moment DIR\NAME is gone
//     --watch NAME            looks for DIR\NAME as often as it can
//   winfault pair EXE DIR1 DIR2
//     starts two runs at once, one in each folder; prints both statuses
//
// A folder argument may spell a character as \uXXXX (the arguments reach a
// Windows program through the Unix locale, which may not hold them); a
// folder "short:PATH" is PATH's short form.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring unescape(const wchar_t* arg) {
  std::wstring out;
  for (const wchar_t* p = arg; *p != L'\0'; ++p) {
    if (p[0] == L'\\' && p[1] == L'u' && std::wcslen(p) >= 6) {
      out += static_cast<wchar_t>(std::wcstoul(std::wstring(p + 2, 4).c_str(), nullptr, 16));
      p += 5;
    } else {
      out += *p;
    }
  }
  return out;
}

std::wstring short_form(const std::wstring& path) {
  wchar_t buf[MAX_PATH * 2];
  const DWORD n = GetShortPathNameW(path.c_str(), buf, MAX_PATH * 2);
  return n > 0 && n < MAX_PATH * 2 ? std::wstring(buf) : path;
}

std::wstring folder(const wchar_t* arg) {
  const std::wstring path = unescape(arg);
  return path.rfind(L"short:", 0) == 0 ? short_form(path.substr(6)) : path;
}

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Started suspended when `go` is false: resume() lets it go, so that two runs
// can start at one moment.
PROCESS_INFORMATION start(const std::wstring& exe, const std::wstring& dir,
                          const std::wstring& args, bool go = true) {
  std::wstring line = L"\"" + exe + L"\"" + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, go ? 0 : CREATE_SUSPENDED,
                      nullptr, dir.c_str(), &si, &pi)) {
    std::printf("cannot start: error %lu\n", GetLastError());
    std::exit(2);
  }
  if (go) CloseHandle(pi.hThread);
  return pi;
}

void resume(const PROCESS_INFORMATION& pi) {
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
}

void print_status(HANDLE process, bool killed) {
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  if (killed)
    std::printf("killed\n");
  else
    std::printf("status %ld\n", static_cast<long>(code));
}

struct Hold {
  std::wstring path;
  std::wstring name;
  DWORD share = 0;
  DWORD after = 0;
  bool when_seen = false;
  DWORD length = 0;
  ULONGLONG opened = 0;
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool done = false;

  void open(ULONGLONG elapsed) {
    opened = elapsed;
    handle = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    std::printf("%s %ls\n", handle == INVALID_HANDLE_VALUE ? "hold failed" : "held", name.c_str());
    if (handle == INVALID_HANDLE_VALUE) done = true;
  }
  // Opens and closes on time; `elapsed` in milliseconds since the start.
  void tick(ULONGLONG elapsed) {
    if (done) return;
    if (handle == INVALID_HANDLE_VALUE) {
      if (when_seen ? !exists(path) : elapsed < after) return;
      open(elapsed);
    }
    if (handle != INVALID_HANDLE_VALUE && elapsed >= opened + length) {
      CloseHandle(handle);
      handle = INVALID_HANDLE_VALUE;
      done = true;
    }
  }
};

DWORD share_mode(const wchar_t* s) {
  DWORD share = 0;
  for (const wchar_t* p = s; *p != L'\0'; ++p) {
    if (*p == L'r') share |= FILE_SHARE_READ;
    if (*p == L'w') share |= FILE_SHARE_WRITE;
    if (*p == L'd') share |= FILE_SHARE_DELETE;
  }
  return share;
}

int run(int argc, wchar_t** argv) {
  const std::wstring exe = argv[2];
  const std::wstring dir = folder(argv[3]);
  std::vector<Hold> holds;
  DWORD kill_after = 0;
  std::wstring kill_when_gone;
  std::wstring watch;
  std::wstring args;
  for (int i = 4; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--hold" && i + 4 < argc) {
      Hold h;
      h.name = argv[i + 1];
      h.path = dir + L"\\" + h.name;
      h.share = share_mode(argv[i + 2]);
      h.when_seen = std::wcscmp(argv[i + 3], L"seen") == 0;
      h.after = static_cast<DWORD>(std::wcstoul(argv[i + 3], nullptr, 10));
      h.length = static_cast<DWORD>(std::wcstoul(argv[i + 4], nullptr, 10));
      holds.push_back(h);
      i += 4;
    } else if (a == L"--kill-after" && i + 1 < argc) {
      kill_after = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
    } else if (a == L"--kill-when-gone" && i + 1 < argc) {
      kill_when_gone = dir + L"\\" + argv[++i];
    } else if (a == L"--watch" && i + 1 < argc) {
      watch = dir + L"\\" + argv[++i];
    } else if (a == L"--") {
      for (++i; i < argc; ++i)
        args += std::wstring(L" ") + argv[i];
    } else {
      std::printf("unknown option %ls\n", a.c_str());
      return 2;
    }
  }
  for (Hold& h : holds)
    if (!h.when_seen && h.after == 0) h.open(0);
  const ULONGLONG t0 = GetTickCount64();
  const PROCESS_INFORMATION pi = start(exe, dir, args);
  bool killed = false;
  long missing = 0;
  bool seen = kill_when_gone.empty() || exists(kill_when_gone);
  for (;;) {
    const ULONGLONG elapsed = GetTickCount64() - t0;
    for (Hold& h : holds)
      h.tick(elapsed);
    if (!watch.empty() && !exists(watch)) ++missing;
    if (!kill_when_gone.empty()) {
      const bool now = exists(kill_when_gone);
      if (seen && !now) {
        killed = TerminateProcess(pi.hProcess, 9) != 0;
        WaitForSingleObject(pi.hProcess, INFINITE);
        break;
      }
      seen = seen || now;
    }
    if (kill_after != 0 && elapsed >= kill_after) {
      killed = TerminateProcess(pi.hProcess, 9) != 0;
      WaitForSingleObject(pi.hProcess, INFINITE);
      break;
    }
    // Holds and kills need a quick eye; a bare run a calm one.
    bool eager = !watch.empty() || !kill_when_gone.empty();
    for (const Hold& h : holds)
      eager = eager || (h.when_seen && !h.done);
    const DWORD wait = eager ? 0 : 1;
    if (WaitForSingleObject(pi.hProcess, wait) == WAIT_OBJECT_0) break;
  }
  // A kill that came too late is a complete run.
  DWORD code = 0;
  if (killed && GetExitCodeProcess(pi.hProcess, &code) && code != 9) killed = false;
  for (Hold& h : holds) {
    h.tick(~0ull >> 1); // let go of every file still held
    if (h.handle != INVALID_HANDLE_VALUE) CloseHandle(h.handle);
  }
  print_status(pi.hProcess, killed);
  std::printf("elapsed %llu\n", GetTickCount64() - t0);
  if (!watch.empty()) std::printf("missing %ld\n", missing);
  CloseHandle(pi.hProcess);
  return 0;
}

int pair(wchar_t** argv) {
  const std::wstring exe = argv[2];
  const PROCESS_INFORMATION a = start(exe, folder(argv[3]), L"", false);
  const PROCESS_INFORMATION b = start(exe, folder(argv[4]), L"", false);
  resume(a);
  resume(b);
  const HANDLE both[] = {a.hProcess, b.hProcess};
  WaitForMultipleObjects(2, both, TRUE, INFINITE);
  print_status(a.hProcess, false);
  print_status(b.hProcess, false);
  CloseHandle(a.hProcess);
  CloseHandle(b.hProcess);
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
