#include "detector/setup_commands.h"

namespace zt::detector {

namespace {

// Uninstall reports 1 when the service is gone, as installers expect of this switch.
int Uninstall(SetupHost& host) { return host.UninstallService() ? 1 : 0; }

int Unregister(SetupHost& host) {
  const std::int32_t hr = host.InitializeCom();
  if (hr < 0) return static_cast<int>(hr);
  host.ApplyRegistry(UnregistrationEntries());
  host.UninstallService();
  host.UninitializeCom();
  return 0;
}

int Register(SetupHost& host, const std::string& serviceName, const std::string& imagePath, bool asService) {
  const std::int32_t hr = host.InitializeCom();
  if (hr < 0) return static_cast<int>(hr);
  // An installed service is left exactly as it is, whatever its configuration says.
  if (host.ServiceInstalled()) {
    host.UninitializeCom();
    return 0;
  }
  std::int32_t error = host.ApplyRegistry(RegistrationEntries(serviceName, asService));
  // A service that could not be created is a failure, whatever the registry took: installers and
  // scripts read the exit code.
  if (error == 0 && asService) error = host.InstallService(MakeServiceConfig(serviceName, imagePath));
  host.UninitializeCom();
  return static_cast<int>(error);
}

}  // namespace

int RunSetupSwitch(Switch which, SetupHost& host, const std::string& serviceName,
                   const std::string& imagePath) {
  switch (which) {
    case Switch::kUnregServer:
      return Unregister(host);
    case Switch::kRegServer:
      return Register(host, serviceName, imagePath, false);
    case Switch::kService:
      return Register(host, serviceName, imagePath, true);
    case Switch::kUninstall:
      return Uninstall(host);
    case Switch::kNone:
      break;
  }
  return 0;
}

}  // namespace zt::detector
