#include "detector/win32/setup_host_win32.h"

#include <windows.h>

#include <objbase.h>

#include "common/win32/handles.h"

namespace zt::detector {

namespace {

// The system's error as an exit code; never 0, which would read as success.
std::int32_t LastErrorCode() {
  const DWORD error = GetLastError();
  return static_cast<std::int32_t>(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
}

LONG Apply(const RegistryEntry& e) {
  using Op = RegistryEntry::Op;
  if (e.op == Op::kDeleteKey) {
    const LONG r = RegDeleteKeyA(HKEY_CLASSES_ROOT, e.key.c_str());
    return r == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : r;
  }
  app::UniqueKey key;
  if (e.op == Op::kDeleteValue) {
    LONG r = RegOpenKeyExA(HKEY_CLASSES_ROOT, e.key.c_str(), 0, KEY_SET_VALUE, key.Receive());
    if (r != ERROR_SUCCESS) return r;
    r = RegDeleteValueA(key.Get(), e.value.c_str());
    return r == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : r;
  }
  LONG r = RegCreateKeyExA(HKEY_CLASSES_ROOT, e.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_SET_VALUE, nullptr, key.Receive(), nullptr);
  if (r != ERROR_SUCCESS) return r;
  return RegSetValueExA(key.Get(), e.value.empty() ? nullptr : e.value.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(e.data.c_str()), static_cast<DWORD>(e.data.size() + 1));
}

}  // namespace

std::int32_t WinSetupHost::InitializeCom() { return CoInitialize(nullptr); }

void WinSetupHost::UninitializeCom() { CoUninitialize(); }

// ERROR_SUCCESS when the service is installed, ERROR_SERVICE_DOES_NOT_EXIST when it is not, and
// any other error when the manager could not tell (unreachable, access denied).
unsigned long WinSetupHost::LookUpService() const {
  app::UniqueServiceHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!scm) return GetLastError();
  app::UniqueServiceHandle service(OpenServiceA(scm.Get(), m_strServiceName.c_str(), SERVICE_QUERY_CONFIG));
  return service ? ERROR_SUCCESS : GetLastError();
}

bool WinSetupHost::ServiceInstalled() { return LookUpService() == ERROR_SUCCESS; }

std::int32_t WinSetupHost::InstallService(const ServiceConfig& c) {
  if (ServiceInstalled()) return 0;
  app::UniqueServiceHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!scm) return LastErrorCode();
  // No load-order group, no tag; the local system account (no name, no password).
  app::UniqueServiceHandle service(CreateServiceA(
      scm.Get(), c.name.c_str(), c.displayName.c_str(), SERVICE_ALL_ACCESS, c.type, c.startType,
      c.errorControl, c.imagePath.c_str(), nullptr, nullptr, c.dependencies.c_str(), nullptr, nullptr));
  // A service created meanwhile by another installer is as good as ours.
  if (service || GetLastError() == ERROR_SERVICE_EXISTS) return 0;
  return LastErrorCode();
}

bool WinSetupHost::UninstallService() {
  // Only a service known to be absent counts as removed; one the manager cannot look up does not.
  const unsigned long lookup = LookUpService();
  if (lookup == ERROR_SERVICE_DOES_NOT_EXIST) return true;
  if (lookup != ERROR_SUCCESS) return false;
  app::UniqueServiceHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!scm) return false;
  app::UniqueServiceHandle service(OpenServiceA(scm.Get(), m_strServiceName.c_str(), SERVICE_STOP | DELETE));
  if (!service) return false;
  // Asked to stop without waiting: the deletion completes once the service has stopped.
  SERVICE_STATUS status;
  ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
  return DeleteService(service.Get()) != FALSE;
}

std::int32_t WinSetupHost::ApplyRegistry(const std::vector<RegistryEntry>& entries) {
  for (const RegistryEntry& e : entries) {
    const LONG r = Apply(e);
    if (r != ERROR_SUCCESS) return r;
  }
  return ERROR_SUCCESS;
}

}  // namespace zt::detector
