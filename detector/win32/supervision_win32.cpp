#include "detector/win32/supervision_win32.h"

#include <sddl.h>

#include <cstring>
#include <string>

#include "detector/checker_path.h"
#include "detector/drive_map_security.h"

namespace zt::detector {

namespace dm = drivemap;

// How long the stop waits for a terminated checker to be gone; a process always ends soon after
// its termination, so this only bounds a stuck system.
constexpr DWORD kCheckerEndWaitMs = 5000;

namespace {

// Puts the descriptor's DACL (protected) and label on a block made before it, by an earlier
// version whose descriptor let anyone change it; false when the system refuses.
bool ApplyDescriptor(HANDLE section, PSECURITY_DESCRIPTOR sd) {
  BOOL present = FALSE, defaulted = FALSE;
  PACL sacl = nullptr;
  SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION;
  if (GetSecurityDescriptorSacl(sd, &present, &sacl, &defaulted) && present)
    what |= LABEL_SECURITY_INFORMATION;
  // The whole descriptor, so that its "protected" mark goes with the DACL.
  return SetKernelObjectSecurity(section, what, sd) != FALSE;
}

// The block's section, made with a descriptor built from sddl for this call only. A block that
// other processes still hold open is reached and cleared all the same, and given the descriptor;
// when that is refused the block is given up, unless this is the last try (a block the service
// cannot re-permission still serves better than none).
app::UniqueHandle CreateBlockSection(const char* sddl, bool lastTry) {
  app::LocalMemory sd;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, sd.Receive(), nullptr))
    return {};
  SECURITY_ATTRIBUTES sa{sizeof sa, sd.Get(), TRUE};
  app::UniqueHandle section(CreateFileMappingA(INVALID_HANDLE_VALUE, &sa, PAGE_READWRITE, 0,
                                               static_cast<DWORD>(dm::kSize), dm::kName));
  if (section && GetLastError() == ERROR_ALREADY_EXISTS && !ApplyDescriptor(section.Get(), sd.Get()) &&
      !lastTry)
    return {};
  return section;
}

}  // namespace

drivemap::DriveMapView WinDriveMapOwner::Create() {
  Close();
  // A system that refuses the integrity label (one without integrity levels, or a creator below
  // Medium, which may not label an object above itself) still gets the block with the same
  // rights: without the block the service does nothing at all, and Windows treats an unlabelled
  // object as Medium with no write up anyway.
  const std::string labelled = std::string(kDriveMapDacl) + kDriveMapLabel;
  app::UniqueHandle section = CreateBlockSection(labelled.c_str(), false);
  if (!section) section = CreateBlockSection(kDriveMapDacl, true);
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
