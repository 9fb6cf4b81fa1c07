// The detector service and its checker seen from outside, for the Wine test and the demo: the
// service through the service control manager, the checker process by its file name.
#pragma once

#include <windows.h>

#include <tlhelp32.h>

#include <string>

#include "tests/support/wine_process.h"

namespace zt::winetest {

class ServiceLook {
 public:
  ServiceLook() : m_scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {}

  bool Open() {
    m_service.Reset(m_scm ? OpenServiceA(m_scm.Get(), "ZTLBScanDetector", SERVICE_ALL_ACCESS) : nullptr);
    return static_cast<bool>(m_service);
  }
  DWORD State() const {
    SERVICE_STATUS s{};
    return QueryServiceStatus(m_service.Get(), &s) ? s.dwCurrentState : 0;
  }
  bool WaitState(DWORD state, DWORD timeoutMs) const {
    return WaitFor([&] { return State() == state; }, timeoutMs);
  }
  bool Start() const { return StartServiceA(m_service.Get(), 0, nullptr) != FALSE; }
  bool Stop() const {
    SERVICE_STATUS s;
    return ControlService(m_service.Get(), SERVICE_CONTROL_STOP, &s) != FALSE;
  }

 private:
  app::UniqueServiceHandle m_scm;
  app::UniqueServiceHandle m_service;
};

// The running checker: its process and the file it was started from.
struct CheckerProcess {
  app::UniqueHandle process;
  std::string image;
};

inline CheckerProcess FindChecker() {
  CheckerProcess found;
  app::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.Get(), &entry); more;
       more = Process32Next(snapshot.Get(), &entry)) {
    if (lstrcmpiA(entry.szExeFile, "ZTChkScan.exe") != 0) continue;
    found.process.Reset(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE,
                                    FALSE, entry.th32ProcessID));
    char image[MAX_PATH] = {};
    DWORD size = sizeof image;
    if (found.process && QueryFullProcessImageNameA(found.process.Get(), 0, image, &size))
      found.image = image;
    break;
  }
  return found;
}

inline void KillChecker() {
  const CheckerProcess c = FindChecker();
  if (!c.process) return;
  TerminateProcess(c.process.Get(), 0);
  WaitForSingleObject(c.process.Get(), 5000);
  WaitFor([] { return !CheckerMutexExists(); }, 2000);
}

// Where the service looks for the checker: its environment is this process's.
inline std::string InstalledScanChecker() {
  return Env("PROGRAMFILES") + "\\Corvane\\Zentab Lumbrel\\ZTChkScan.exe";
}

inline bool InstallScanChecker(const std::string& built) {
  const std::string programFiles = Env("PROGRAMFILES");
  CreateDirectoryA((programFiles + "\\Corvane").c_str(), nullptr);
  CreateDirectoryA((programFiles + "\\Corvane\\Zentab Lumbrel").c_str(), nullptr);
  return CopyFileA(built.c_str(), InstalledScanChecker().c_str(), FALSE) != FALSE;
}

}  // namespace zt::winetest
