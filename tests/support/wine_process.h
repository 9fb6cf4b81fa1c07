// Helpers for Wine tests that drive whole programs: Linux build paths as Windows paths, started
// programs, waiting on conditions, and a look at the DriveLetterMap from outside.
#pragma once

#include <windows.h>

#include <string>

#include "common/drive_letter_map.h"
#include "common/win32/handles.h"

namespace zt::testing {

// A build tree path ("/work/...") as Wine's Z: drive sees it.
inline std::string DosPath(const std::string& unixPath) {
  std::string p = "Z:" + unixPath;
  for (char& c : p) {
    if (c == '/') c = '\\';
  }
  return p;
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string Env(const char* name) {
  char value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

struct Program {
  app::UniqueHandle process;
  app::UniqueHandle output;  // read end of its standard output, when asked for
  explicit operator bool() const { return static_cast<bool>(process); }
};

// Starts exe with args; with captureOutput its standard output comes through a pipe.
inline Program Start(const std::string& exe, const std::string& args = "", bool captureOutput = false) {
  std::string line = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  Program p;
  app::UniqueHandle writeEnd;
  if (captureOutput) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE r = nullptr;
    HANDLE w = nullptr;
    if (!CreatePipe(&r, &w, &sa, 0)) return p;
    p.output.Reset(r);
    writeEnd.Reset(w);
    SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = w;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  }
  PROCESS_INFORMATION pi{};
  if (CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, captureOutput, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    p.process.Reset(pi.hProcess);
  }
  return p;
}

// The exit code once the program ended within timeoutMs; STILL_ACTIVE otherwise.
inline DWORD WaitExit(const Program& p, DWORD timeoutMs) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(p.process.Get(), timeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(p.process.Get(), &code);
  return code;
}

inline DWORD RunToEnd(const std::string& exe, const std::string& args, DWORD timeoutMs = 20000) {
  const Program p = Start(exe, args);
  return p ? WaitExit(p, timeoutMs) : static_cast<DWORD>(-1);
}

template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!pred()) {
    if (GetTickCount64() >= end) return pred();
    Sleep(10);
  }
  return true;
}

inline bool CheckerMutexExists() {
  app::UniqueHandle m(OpenMutexA(SYNCHRONIZE, FALSE, drivemap::kCheckerMutex));
  return static_cast<bool>(m);
}

// The block opened from outside, as the main program does.
struct MapLook {
  app::UniqueHandle section;
  app::MappedView view;
  bool Open() {
    section.Reset(OpenFileMappingA(FILE_MAP_WRITE, FALSE, drivemap::kName));
    if (section) view.Reset(MapViewOfFile(section.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    return static_cast<bool>(view);
  }
  volatile unsigned char& operator[](std::size_t i) const { return view.Bytes()[i]; }
};

}  // namespace zt::testing
