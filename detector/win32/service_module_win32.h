// The detector's process frame: the start decision between the service control manager and an
// ordinary process, the service's main routine, its status, control handler and log lines.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "common/win32/handles.h"

namespace zt::detector {

class CServiceModule {
 public:
  explicit CServiceModule(std::string serviceName);
  ~CServiceModule();
  CServiceModule(const CServiceModule&) = delete;
  CServiceModule& operator=(const CServiceModule&) = delete;

  // The start without a switch; returns the program's exit code.
  int Start();

 private:
  static void WINAPI ServiceMainEntry(DWORD argc, LPSTR* argv);
  static void WINAPI HandlerEntry(DWORD control);

  void ServiceMain();
  void Handler(DWORD control);
  // The service routine, also run directly when not under the service control manager.
  void Run();
  void RunSupervisionLoop();
  void ReportStatus(DWORD state);
  void Log(const char* text) const;

  std::string m_strServiceName;
  bool m_bService = false;
  SERVICE_STATUS m_status;
  SERVICE_STATUS_HANDLE m_hStatus = nullptr;
  // Written by the service thread before the handler exists, read by the control handler.
  std::atomic<DWORD> m_dwThreadId{0};
  // Set when the service main routine has returned: the module outlives its last log line.
  app::UniqueHandle m_hServiceDone;
};

}  // namespace zt::detector
