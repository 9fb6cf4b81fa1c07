// The checker's attachment to the DriveLetterMap that the service created.
#pragma once

#include <windows.h>

#include "common/drive_map_view.h"
#include "common/win32/handles.h"

namespace zt::chkscan {

class DriveMapAttachment {
 public:
  // Opens the block by name and maps it whole; true at once when attached already. While the
  // service has not created the block this fails and the checker stays detached.
  bool AttachMap();
  void Detach();
  drivemap::DriveMapView View() const { return drivemap::DriveMapView(m_view.Get()); }

 private:
  app::UniqueHandle m_section;
  app::MappedView m_view;
};

}  // namespace zt::chkscan
