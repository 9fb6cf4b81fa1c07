// Helpers for Wine tests that drive whole programs: Linux build paths as Windows paths and back,
// files, the environment, started programs, waiting on conditions, and a look at the
// DriveLetterMap from outside.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/drive_letter_map.h"
#include "common/win32/application.h"
#include "common/win32/directory_walk.h"
#include "common/win32/handles.h"

namespace zt::winetest {

// A build tree path ("/work/...") as Wine's Z: drive sees it.
inline std::string DosPath(const std::string& unixPath) {
  std::string p = "Z:" + unixPath;
  for (char& c : p) {
    if (c == '/') c = '\\';
  }
  return p;
}

// A "Z:\..." path as a Linux process names it.
inline std::string UnixPath(const std::string& winePath) {
  std::string p = winePath.substr(2);
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  return p;
}

inline bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool AllExist(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (!Exists(path)) return false;
  }
  return true;
}

inline bool NoneExists(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (Exists(path)) return false;
  }
  return true;
}

// The file's bytes, "" when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes text to path: a new file, or with OPEN_EXISTING the end of one that is there; false when
// the file cannot be opened or not all of it is written.
inline bool WriteFileText(const std::string& path, const std::string& text,
                          DWORD disposition = CREATE_ALWAYS) {
  app::UniqueHandle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr));
  if (!f) return false;
  SetFilePointer(f.Get(), 0, nullptr, FILE_END);
  DWORD put = 0;
  return WriteFile(f.Get(), text.data(), static_cast<DWORD>(text.size()), &put, nullptr) &&
         put == text.size();
}

// folder ends in a backslash; a folder that is not there is empty.
inline bool FolderIsEmpty(const std::string& folder) {
  bool empty = true;
  app::ForEachEntry(folder + "*.*", [&](const WIN32_FIND_DATAA& found) {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") empty = false;
  });
  return empty;
}

// The variable's value, "" when it is not set.
inline std::string Env(const char* name) {
  const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return std::string();
  std::string value(size, '\0');
  const DWORD n = GetEnvironmentVariableA(name, &value[0], size);
  value.resize(n < size ? n : 0);
  return value;
}

// A started program; the handles close with it.
struct Program {
  app::UniqueHandle process;
  app::UniqueHandle output;  // read end of its standard output, when asked for
  DWORD id = 0;
  // GetLastError of a refused start, taken at once: what runs after it (closing handles, freeing
  // the command line, a test's failure message) may change the thread's last error.
  DWORD error = 0;
  explicit operator bool() const { return static_cast<bool>(process); }
  bool Runs() const { return process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT; }
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
    const app::UniqueHandle thread(pi.hThread);  // not kept: only the process is
    p.process.Reset(pi.hProcess);
    p.id = pi.dwProcessId;
  } else {
    p.error = GetLastError();
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

// Waits for pred while pumping this thread's messages, looking every 20 ms: what is waited for
// happens in other processes and sends this thread no message, and the test's own windows must
// go on answering meanwhile. Whether pred holds at the end is the answer.
template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!pred()) {
    if (GetTickCount64() >= end) return pred();
    app::PumpUntil([] { return false; }, 20);
  }
  return true;
}

// Lets ms pass while this thread's windows go on answering.
inline void Pump(DWORD ms) {
  app::PumpUntil([] { return false; }, ms);
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
  volatile unsigned char& operator[](std::size_t i) const {
    return static_cast<unsigned char*>(view.Get())[i];
  }
};

}  // namespace zt::winetest
