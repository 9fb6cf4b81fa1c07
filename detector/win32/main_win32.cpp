// ZTLBScanDetector: the detector service. It owns the DriveLetterMap and keeps a scan checker
// started in the services' session. Run with "-Service" it registers and installs itself; run
// without a switch it hands itself to the service control manager, or, when that did not start
// it, runs the same loop as an ordinary process.
#include <windows.h>

#include <string>

#include "detector/registration.h"
#include "detector/setup_commands.h"
#include "detector/switches.h"
#include "detector/win32/service_module_win32.h"
#include "detector/win32/setup_host_win32.h"

namespace zt::detector {
namespace {

std::string LoadServiceName() {
  char name[256];
  const int n = LoadStringA(GetModuleHandleA(nullptr), kServiceNameResource, name, sizeof name);
  return n > 0 ? std::string(name, static_cast<std::size_t>(n)) : std::string(kServiceName);
}

// The program's own file as the service's image path; empty when it does not fit in 260
// characters, since a cut path would install a service that cannot start.
std::string ModulePath() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
}

int Main() {
  const std::string serviceName = LoadServiceName();
  const Switch which = MatchSwitch(GetCommandLineA());
  if (which == Switch::kNone) {
    CServiceModule module(serviceName);
    return module.Start();
  }
  const std::string imagePath = ModulePath();
  if (which == Switch::kService && imagePath.empty()) return ERROR_FILENAME_EXCED_RANGE;
  WinSetupHost host(serviceName);
  return RunSetupSwitch(which, host, serviceName, imagePath);
}

}  // namespace
}  // namespace zt::detector

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return zt::detector::Main(); }
