// Custom actions of the installer package.
//
// ZTLumbrel keeps its program file open while it runs. Before the package replaces or removes it,
// a copy running on the installing user's desktop is asked to exit the way a user does it from
// the tray menu: it closes its dialogs, removes its icon, lets go of the board, unregisters from
// the SD checker (which then ends) and empties its download folder. A copy in another session is
// out of reach of window messages; there Windows Installer's own handling of files in use
// applies (its Restart Manager ends the session of the program, which ZTLumbrel answers with the
// same close). ZTLumbrel is not started again by the package: an installer may run elevated or as
// another account, and ZTLumbrel must run as the user. It starts at the next log-on, or from the
// Start menu.
//
// The service's command line is put in quotes where the installer left it bare (as Wine's does):
// its folder holds blanks. And after the service was asked to stop, the package waits until the
// service's and the checker's processes are gone, so that their program files are free.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "common/sd_channel.h"
#include "common/win32/handles.h"
#include "detector/registration.h"
#include "overlay/shell/frame/win32/frame_class.h"
#include "overlay/shell/resource.h"

namespace {

using zt::app::UniqueHandle;
using zt::app::UniqueServiceHandle;

constexpr char kServiceName[] = "ZTLBScanDetector";
// Long enough for a scan being saved to finish; the close sequence itself takes milliseconds.
constexpr DWORD kExitWaitMs = 20000;
// The SD checker ends once its current poll of the card is over: at most the card's time-outs.
constexpr DWORD kSdCheckerWaitMs = 20000;
// Windows Installer's own wait for a service to stop.
constexpr DWORD kServiceStopWaitMs = 30000;

bool MutexExists(const char* name) {
  const UniqueHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, name));
  return static_cast<bool>(mutex);
}

// Waits until pred() no longer holds, looking every 50 ms, at most timeoutMs.
template <typename Pred>
void WaitWhile(Pred pred, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (pred() && GetTickCount64() < end) Sleep(50);
}

// Asks the running copy to exit and waits for its process to end. A copy that does not end in
// time (a question of its own may be open on the user's screen) is left to the installer's
// handling of files in use.
void AskToExit(HWND frame) {
  DWORD processId = 0;
  GetWindowThreadProcessId(frame, &processId);
  const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  const bool asked = PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_TRAY_EXIT, 0), 0) != FALSE;
  if (process && asked) WaitForSingleObject(process.Get(), kExitWaitMs);
}

// The processes started from one of the given file names.
std::vector<DWORD> ProcessesNamed(const std::vector<const char*>& names) {
  std::vector<DWORD> ids;
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.Get(), &entry); more;
       more = Process32Next(snapshot.Get(), &entry)) {
    for (const char* name : names)
      if (lstrcmpiA(entry.szExeFile, name) == 0) ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

}  // namespace

// Immediate, before the installation is validated: every install, repair, upgrade and removal.
extern "C" __declspec(dllexport) UINT __stdcall StopLumbrel(MSIHANDLE) {
  if (HWND frame = FindWindowA(zt::shell::kFrameClassName, nullptr)) AskToExit(frame);
  // Its SD checker ends by itself once ZTLumbrel has unregistered.
  WaitWhile([] { return MutexExists(zt::sdchannel::kCheckerMutex); }, kSdCheckerWaitMs);
  return ERROR_SUCCESS;
}

// Deferred, as the local system account, between the installation and the start of the service.
extern "C" __declspec(dllexport) UINT __stdcall QuoteServicePath(MSIHANDLE) {
  const UniqueServiceHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!scm) return ERROR_SUCCESS;
  const UniqueServiceHandle service(
      OpenServiceA(scm.Get(), kServiceName, SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG));
  if (service) {
    DWORD needed = 0;
    QueryServiceConfigA(service.Get(), nullptr, 0, &needed);
    std::vector<char> buffer(needed ? needed : 1);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (needed && QueryServiceConfigA(service.Get(), config, needed, &needed) && config->lpBinaryPathName) {
      const std::string path = config->lpBinaryPathName;
      const std::string commandLine = zt::detector::ServiceCommandLine(path);
      if (commandLine != path) {
        // The dependencies are given again, as the service is configured: Wine's manager drops
        // them when given none, and does not report them.
        const std::string dependencies = zt::detector::MakeServiceConfig(kServiceName, path).dependencies;
        ChangeServiceConfigA(service.Get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                             commandLine.c_str(), nullptr, nullptr, dependencies.c_str(), nullptr, nullptr,
                             nullptr);
      }
    }
  }
  return ERROR_SUCCESS;
}

// Deferred, right after the installer asked the service to stop (every install, repair and
// removal of the package does). Windows Installer waits until the service reports itself stopped,
// Wine's does not; neither waits for the processes to end.
extern "C" __declspec(dllexport) UINT __stdcall WaitForServiceStop(MSIHANDLE) {
  for (DWORD id : ProcessesNamed({"ZTLBScanDetector.exe", "ZTChkScan.exe"})) {
    const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    if (process) WaitForSingleObject(process.Get(), kServiceStopWaitMs);
  }
  return ERROR_SUCCESS;
}
