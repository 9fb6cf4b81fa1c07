#include <windows.h>

#include "overlay/shell/device_watch/win32/drive_map_client.h"

namespace zt::shell {

namespace dm = drivemap;

bool ScanCheckerRuns() {
  // Creating the mutex only tells whether it was there; the handle is not kept, so this program
  // never holds the checker's mutex.
  app::UniqueHandle mutex(CreateMutexA(nullptr, FALSE, dm::kCheckerMutex));
  const bool created = mutex && GetLastError() != ERROR_ALREADY_EXISTS;
  return !created;
}

bool CDriveMapClient::Open() {
  app::UniqueHandle map(OpenFileMappingA(FILE_MAP_WRITE, FALSE, dm::kName));
  if (!map) return false;
  app::MappedView view(MapViewOfFile(map.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!view) return false;  // the handle closes with its owner
  m_hMap = std::move(map);
  m_view = std::move(view);
  m_bytes = dm::DriveMapView(m_view.Get());
  return true;
}

bool CDriveMapClient::Publish(char letter) {
  if (!EnsureOpen()) return false;
  if (!ScanCheckerRuns()) m_bytes.Set(dm::kRestartChecker, dm::kRestartCheckerSet);
  // A poll that was in flight when the last letter was taken back may have marked a press after
  // it: nobody pressed for the drive published now.
  m_bytes.Set(dm::kScanPressed, dm::kClear);
  m_bytes.Set(dm::kDriveLetter, static_cast<std::uint8_t>(letter));
  m_bytes.Set(dm::kDriveChanged, dm::kDriveChangedSet);
  m_cLetter = letter;
  return true;
}

bool CDriveMapClient::ScanPressed() {
  return EnsureOpen() && m_bytes.Holds(dm::kScanPressed, dm::kScanPressedSet);
}

void CDriveMapClient::ScanTaken() {
  if (EnsureOpen()) m_bytes.Set(dm::kScanPressed, dm::kClear);
}

void CDriveMapClient::Forget() {
  if (!EnsureOpen()) return;
  for (const std::size_t offset :
       {dm::kDriveLetter, dm::kScanPressed, dm::kDriveChanged, dm::kRestartChecker})
    m_bytes.Set(offset, dm::kClear);
  m_cLetter = 0;
}

void CDriveMapClient::Close() {
  if (m_bytes) Forget();
  m_bytes = dm::DriveMapView();
  m_view.Reset();
  m_hMap.Reset();
  m_cLetter = 0;
}

}  // namespace zt::shell
