// The service's Win32 side of supervision: the named block it creates and the checker process.
#pragma once

#include <windows.h>

#include "common/win32/handles.h"
#include "detector/supervisor.h"

namespace zt::detector {

class WinDriveMapOwner : public DriveMapOwner {
 public:
  drivemap::DriveMapView Create() override;
  void Close() override;

 private:
  app::UniqueHandle m_section;
  app::MappedView m_view;
};

class WinCheckerLauncher : public CheckerLauncher {
 public:
  bool Launch() override;
  bool Holds() const override { return static_cast<bool>(m_process); }
  void End() override;

 private:
  app::UniqueHandle m_process;
  app::UniqueHandle m_thread;
  DWORD m_dwProcessId = 0;
  DWORD m_dwThreadId = 0;
};

}  // namespace zt::detector
