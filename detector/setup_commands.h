// The four switches that register, install and remove the detector, and their exit codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "detector/registration.h"
#include "detector/switches.h"

namespace zt::detector {

// The system side of registration: COM, the registry below HKEY_CLASSES_ROOT and the service
// control manager.
class SetupHost {
 public:
  virtual ~SetupHost() = default;
  // An HRESULT: negative when COM could not be initialised for this thread.
  virtual std::int32_t InitializeCom() = 0;
  virtual void UninitializeCom() = 0;
  virtual bool ServiceInstalled() = 0;
  // 0 when the service exists afterwards (also when it existed before), else the system's error.
  virtual std::int32_t InstallService(const ServiceConfig& config) = 0;
  // True when the service was removed or was not installed.
  virtual bool UninstallService() = 0;
  // Applies the entries in order and stops at the first that fails; 0 or that error code.
  virtual std::int32_t ApplyRegistry(const std::vector<RegistryEntry>& entries) = 0;
};

// Runs a switch other than kNone and returns the program's exit code.
int RunSetupSwitch(Switch which, SetupHost& host, const std::string& serviceName,
                   const std::string& imagePath);

}  // namespace zt::detector
