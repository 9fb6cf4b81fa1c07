#include "detector/supervisor.h"

namespace zt::detector {

namespace dm = drivemap;

void CSupervisor::Begin() {
  if (CreateDriveMap()) m_launcher.Launch();
}

void CSupervisor::Tick() {
  // A tick that was already queued when the stop came must not bring the block back.
  if (m_bStopped) return;
  if (!m_map && CreateDriveMap()) m_launcher.Launch();
  if (!m_map) return;
  // The request is cleared only once a checker really started; otherwise it stands and is
  // tried again on the next tick.
  if (m_map.Holds(dm::kRestartChecker, dm::kRestartCheckerSet) && m_launcher.Launch()) {
    m_map.Set(dm::kRestartChecker, dm::kClear);
  }
}

void CSupervisor::Stop() {
  StopChecker();
  CloseDriveMap();
  m_bStopped = true;
}

bool CSupervisor::CreateDriveMap() {
  m_map = m_owner.Create();
  return static_cast<bool>(m_map);
}

void CSupervisor::CloseDriveMap() {
  m_owner.Close();
  m_map = dm::DriveMapView();
}

void CSupervisor::StopChecker() {
  if (!m_map || !m_launcher.Holds()) return;
  m_map.Set(dm::kTerminateChecker, dm::kTerminateCheckerSet);
  m_launcher.End();
}

}  // namespace zt::detector
