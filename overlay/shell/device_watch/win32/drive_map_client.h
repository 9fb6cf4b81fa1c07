// CDriveMapClient: the tray application's hold on the DriveLetterMap that the detector service
// creates. It publishes the board's drive letter for the scan checker, reads and clears the scan
// flag, and clears what it published when the board goes. Byte 3 belongs to the service.
#pragma once

#include "common/drive_map_view.h"
#include "common/win32/handles.h"

namespace zt::shell {

class CDriveMapClient {
 public:
  CDriveMapClient() = default;
  ~CDriveMapClient() { Close(); }
  CDriveMapClient(const CDriveMapClient&) = delete;
  CDriveMapClient& operator=(const CDriveMapClient&) = delete;

  // Maps the service's block; false when it does not exist (the service is not running).
  bool Open();
  // Asks the service for a checker when none runs, then publishes letter as a changed drive.
  bool Publish(char letter);
  // True when the checker has marked a pressed scan button.
  bool ScanPressed();
  // The pressed button has been handled: the checker polls again.
  void ScanTaken();
  // Clears the letter and the flags of this program and forgets the letter.
  void Forget();
  void Close();

  // The letter published, 0 when none.
  char PublishedLetter() const { return m_cLetter; }

 private:
  bool EnsureOpen() { return m_bytes || Open(); }

  app::UniqueHandle m_hMap;
  app::MappedView m_view;
  drivemap::DriveMapView m_bytes;
  char m_cLetter = 0;
};

// True when a scan checker runs: its single-instance mutex exists.
bool ScanCheckerRuns();

}  // namespace zt::shell
