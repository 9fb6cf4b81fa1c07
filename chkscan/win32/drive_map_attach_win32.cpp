#include "chkscan/win32/drive_map_attach_win32.h"

namespace zt::chkscan {

bool DriveMapAttachment::AttachMap() {
  if (m_view) return true;
  app::UniqueHandle section(OpenFileMappingA(FILE_MAP_WRITE, FALSE, drivemap::kName));
  if (!section) return false;
  app::MappedView view(MapViewOfFile(section.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!view) return false;
  m_section = std::move(section);
  m_view = std::move(view);
  return true;
}

void DriveMapAttachment::Detach() {
  m_view.Reset();
  m_section.Reset();
}

}  // namespace zt::chkscan
