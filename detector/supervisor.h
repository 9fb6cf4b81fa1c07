// The detector's supervision of the DriveLetterMap and the scan checker: it creates the block,
// keeps a checker started, restarts one when the main program asks and stops it at the end.
#pragma once

#include "common/drive_map_view.h"

namespace zt::detector {

// The block as the service owns it.
class DriveMapOwner {
 public:
  virtual ~DriveMapOwner() = default;
  // Creates (or reaches again) the named block and clears all of it; a null view on failure,
  // with nothing held.
  virtual drivemap::DriveMapView Create() = 0;
  virtual void Close() = 0;
};

// The checker process the service started last.
class CheckerLauncher {
 public:
  virtual ~CheckerLauncher() = default;
  // Starts a checker; on success it replaces the one held before (whose handles are closed).
  virtual bool Launch() = 0;
  virtual bool Holds() const = 0;
  // Gives the checker 100 ms to quit by itself, then ends it by force and lets it go.
  virtual void End() = 0;
};

class CSupervisor {
 public:
  CSupervisor(DriveMapOwner& map, CheckerLauncher& launcher) : m_owner(map), m_launcher(launcher) {}

  // Start of the loop: the block and a first checker (not retried when it fails to start).
  void Begin();
  // Every 100 ms.
  void Tick();
  // The stop sequence: the checker asked to quit and ended, the block released. Later ticks
  // do nothing.
  void Stop();

  bool Mapped() const { return static_cast<bool>(m_map); }

 private:
  bool CreateDriveMap();
  void CloseDriveMap();
  void StopChecker();

  DriveMapOwner& m_owner;
  CheckerLauncher& m_launcher;
  drivemap::DriveMapView m_map;
  bool m_bStopped = false;
};

}  // namespace zt::detector
