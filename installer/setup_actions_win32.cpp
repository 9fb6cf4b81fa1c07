// Custom actions of the installer package. ZTLumbrel keeps its program file open while it runs,
// so before the package replaces or removes it ZTLumbrel is asked to exit the way a user does it
// from the tray menu: it closes its dialogs, removes its icon, lets go of the board and the SD
// checker and empties its download folder. When it did run, the package starts it again once an
// install or upgrade is complete (the LUMBRELSTOPPED property set here).
// The service's command line is put in quotes where the installer left it bare (as Wine's does):
// its folder holds blanks. And once the service was asked to stop, the package waits for its
// process to be gone, as Windows Installer does and Wine's does not: until then the service and
// the checker it ends hold their program files open.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <string>
#include <vector>

#include "detector/registration.h"

namespace {

constexpr char kServiceName[] = "ZTLBScanDetector";
constexpr char kFrameClass[] = "ZTLumbrelMainFrame";
constexpr WPARAM kExitCommand = 32774;  // the tray menu's "Exit"
// Long enough for a scan being saved to finish; the close sequence itself takes milliseconds.
constexpr DWORD kExitWaitMs = 20000;
// Windows Installer's own wait for a service to stop.
constexpr DWORD kServiceStopWaitMs = 30000;

// Asks the running copy to exit and waits for its process to end. False when it did not end in
// time (a question of its own may be open on the user's screen): the installer then treats its
// file as in use, as for any other running program.
bool AskToExit(HWND frame) {
  DWORD processId = 0;
  GetWindowThreadProcessId(frame, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (!PostMessageA(frame, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0)) {
    if (process) CloseHandle(process);
    return false;
  }
  if (!process) return true;  // cannot wait for it: the exit was asked for
  const bool ended = WaitForSingleObject(process, kExitWaitMs) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall StopLumbrel(MSIHANDLE install) {
  HWND frame = FindWindowA(kFrameClass, nullptr);
  if (!frame) return ERROR_SUCCESS;
  if (AskToExit(frame)) MsiSetPropertyA(install, "LUMBRELSTOPPED", "1");
  return ERROR_SUCCESS;
}

// Deferred, as the local system account, between the installation and the start of the service.
extern "C" __declspec(dllexport) UINT __stdcall QuoteServicePath(MSIHANDLE) {
  SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!scm) return ERROR_SUCCESS;
  SC_HANDLE service = OpenServiceA(scm, kServiceName, SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
  if (service) {
    DWORD needed = 0;
    QueryServiceConfigA(service, nullptr, 0, &needed);
    std::vector<char> buffer(needed ? needed : 1);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (needed && QueryServiceConfigA(service, config, needed, &needed) && config->lpBinaryPathName) {
      const std::string path = config->lpBinaryPathName;
      const std::string commandLine = zt::detector::ServiceCommandLine(path);
      if (commandLine != path) {
        // The dependencies are given again, as the service is configured: Wine's manager drops
        // them when given none, and does not report them.
        const std::string dependencies = zt::detector::MakeServiceConfig(kServiceName, path).dependencies;
        ChangeServiceConfigA(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                             commandLine.c_str(), nullptr, nullptr, dependencies.c_str(), nullptr, nullptr,
                             nullptr);
      }
    }
    CloseServiceHandle(service);
  }
  CloseServiceHandle(scm);
  return ERROR_SUCCESS;
}

// Deferred, right after the installer asked the service to stop (every install, repair and
// removal of the package does).
extern "C" __declspec(dllexport) UINT __stdcall WaitForServiceStop(MSIHANDLE) {
  SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!scm) return ERROR_SUCCESS;
  SC_HANDLE service = OpenServiceA(scm, kServiceName, SERVICE_QUERY_STATUS);
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  if (service && QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                      sizeof status, &needed) &&
      status.dwProcessId != 0) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId);
    if (process) {
      WaitForSingleObject(process, kServiceStopWaitMs);
      CloseHandle(process);
    }
  }
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(scm);
  return ERROR_SUCCESS;
}
