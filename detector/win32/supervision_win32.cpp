#include "detector/win32/supervision_win32.h"

#include <cstring>

#include "detector/checker_path.h"

namespace zt::detector {

namespace dm = drivemap;

// How long the stop waits for a terminated checker to be gone; a process always ends soon after
// its termination, so this only bounds a stuck system.
constexpr DWORD kCheckerEndWaitMs = 5000;

drivemap::DriveMapView WinDriveMapOwner::Create() {
  Close();
  // A present but null DACL: every account reaches the block, the user's session included. The
  // descriptor lives only for the creation call.
  SECURITY_DESCRIPTOR sd;
  if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE)) {
    return {};
  }
  SECURITY_ATTRIBUTES sa{sizeof sa, &sd, TRUE};
  // Reaching a block that other processes still hold open is fine: it is cleared below.
  app::UniqueHandle section(CreateFileMappingA(INVALID_HANDLE_VALUE, &sa, PAGE_READWRITE, 0,
                                               static_cast<DWORD>(dm::kSize), dm::kName));
  if (!section) return {};
  app::MappedView view(MapViewOfFile(section.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!view) return {};
  m_section = std::move(section);
  m_view = std::move(view);
  const dm::DriveMapView map(m_view.Get());
  map.ZeroAll();
  return map;
}

void WinDriveMapOwner::Close() {
  m_view.Reset();
  m_section.Reset();
}

bool WinCheckerLauncher::Launch() {
  char programFiles[kMaxPath];
  const DWORD n = GetEnvironmentVariableA("PROGRAMFILES", programFiles, sizeof programFiles);
  // Unset, or too long for the buffer: nothing is started from an incomplete path.
  if (n == 0 || n >= sizeof programFiles) return false;
  const auto path = CheckerPath(programFiles);
  if (!path) return false;

  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(path->c_str(), nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &si, &pi)) {
    return false;
  }
  m_process.Reset(pi.hProcess);
  m_thread.Reset(pi.hThread);
  m_dwProcessId = pi.dwProcessId;
  m_dwThreadId = pi.dwThreadId;
  return true;
}

void WinCheckerLauncher::End() {
  if (!m_process) return;
  // The checker sees the quit byte only on its own 300 ms tick; whatever it did meanwhile, it
  // is ended now.
  Sleep(100);
  TerminateProcess(m_process.Get(), 0);
  // Termination completes asynchronously. The service reports itself stopped only once the
  // checker is gone, so that whoever stopped it (an installer replacing or removing
  // ZTChkScan.exe) does not find the program file still in use.
  WaitForSingleObject(m_process.Get(), kCheckerEndWaitMs);
  m_process.Reset();
  m_thread.Reset();
  m_dwProcessId = 0;
  m_dwThreadId = 0;
}

}  // namespace zt::detector
