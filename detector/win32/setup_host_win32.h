// Registration against the real registry and service control manager.
#pragma once

#include "detector/setup_commands.h"

namespace zt::detector {

class WinSetupHost : public SetupHost {
 public:
  explicit WinSetupHost(std::string serviceName) : m_strServiceName(std::move(serviceName)) {}

  std::int32_t InitializeCom() override;
  void UninitializeCom() override;
  bool ServiceInstalled() override;
  std::int32_t InstallService(const ServiceConfig& config) override;
  bool UninstallService() override;
  std::int32_t ApplyRegistry(const std::vector<RegistryEntry>& entries) override;

 private:
  unsigned long LookUpService() const;  // a Win32 error code
  std::string m_strServiceName;
};

}  // namespace zt::detector
