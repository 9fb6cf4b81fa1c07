#include "overlay/shell/sdlink/sd_checker_link.h"

#include <algorithm>
#include <utility>

#include "common/sd_channel.h"

namespace zt::shell {

namespace sc = sdchannel;

CSDCheckerLink::CSDCheckerLink(CheckerChannel& channel, LinkClock& frame, CScanPipeline& pipeline,
                               FileSystem& fs)
    : m_channel(channel), m_frame(frame), m_pipeline(pipeline), m_fs(fs) {}

bool CSDCheckerLink::Connect(CheckerWindow frameWindow, const std::string& destinationFolder) {
  if (m_pProcess) return true;
  m_frameWindow = frameWindow;
  m_strFolder = destinationFolder;
  // The folder travels with its NUL in a 260-byte field: a longer one is refused, never cut, and
  // without one the checker would copy scans wherever it happens to run.
  if (destinationFolder.empty() || destinationFolder.size() >= sc::kPathSize) return false;
  // It may have been taken away since start-up; the checker cannot make it.
  MakeFolder();

  const CheckerWindow checker = FindOrStartChecker();
  if (!checker) return false;
  std::unique_ptr<CheckerProcess> process = m_channel.Open(checker);
  if (!process || !Register(*process, frameWindow, destinationFolder)) return false;
  m_pProcess = std::move(process);
  m_frame.SetLinkTimer(LinkTimer::Watchdog, kWatchdogIntervalMs);
  return true;
}

CheckerWindow CSDCheckerLink::FindOrStartChecker() {
  CheckerWindow checker = m_channel.FindChecker();
  if (checker) return checker;
  if (!m_channel.StartChecker()) return 0;
  for (int look = 0; look < kCheckerStartLooks && !checker; ++look) {
    m_channel.Pause(kCheckerStartPauseMs);
    checker = m_channel.FindChecker();
  }
  return checker;
}

// Writes the registration block into the checker and announces it. The block is ours until the
// checker answers code 2; if it can never answer (write or post failed) it is freed here.
bool CSDCheckerLink::Register(CheckerProcess& process, CheckerWindow frameWindow, const std::string& folder) {
  const RemoteAddress block = process.Allocate(sc::kRegistrationBlockSize);
  if (!block) return false;
  sc::RegistrationBlock local{};
  local.clientWindow = sc::WindowToField(frameWindow);
  local.folderMask = sc::kDefaultFolderMask;
  local.firstPass = 0;  // only scans made from now on
  folder.copy(local.destinationFolder, sc::kPathSize - 1);
  if (!process.Write(block, &local, sizeof local) ||
      !m_channel.Post(m_channel.FindChecker(), sc::kRegister, block)) {
    process.Free(block, sc::kRegistrationBlockSize);
    return false;
  }
  m_outstanding.push_back(block);
  return true;
}

void CSDCheckerLink::Disconnect(CheckerWindow frameWindow) {
  m_frame.KillLinkTimer(LinkTimer::Watchdog);
  if (m_pProcess) {
    FreeOutstandingBlocks();
    m_pProcess.reset();
  }
  if (const CheckerWindow checker = m_channel.FindChecker())
    m_channel.Send(checker, sc::kUnregister, frameWindow);
}

void CSDCheckerLink::ReleaseRegistrationBlock(RemoteAddress block) {
  if (!m_pProcess) return;
  const auto it = std::find(m_outstanding.begin(), m_outstanding.end(), block);
  if (it == m_outstanding.end()) return;  // not ours: never free what we did not allocate
  m_pProcess->Free(block, sc::kRegistrationBlockSize);
  m_outstanding.erase(it);
}

void CSDCheckerLink::FreeOutstandingBlocks() {
  for (const RemoteAddress block : m_outstanding) m_pProcess->Free(block, sc::kRegistrationBlockSize);
  m_outstanding.clear();
}

// The watchdog lives until the checker has taken every registration block. A checker that dies
// before that would leave us registered with nobody: start a new one and register again.
void CSDCheckerLink::Watchdog() {
  m_frame.KillLinkTimer(LinkTimer::Watchdog);
  if (!m_pProcess || m_outstanding.empty()) return;
  if (m_channel.FindChecker()) {
    m_frame.SetLinkTimer(LinkTimer::Watchdog, kWatchdogIntervalMs);
    return;
  }
  FreeOutstandingBlocks();
  m_pProcess.reset();
  // A failure is tried again every second, as at start-up; without it no scan would arrive.
  if (!Connect(m_frameWindow, m_strFolder)) m_frame.SetLinkTimer(LinkTimer::Connect, kConnectRetryMs);
}

void CSDCheckerLink::TakeDeliveredPath(RemoteAddress block) {
  sc::PathBlock local{};
  const bool read = m_pProcess && m_pProcess->Read(block, &local, sizeof local);
  // The checker frees its block on code 4, whether we could read it or not.
  m_channel.Post(m_channel.FindChecker(), sc::kPathRead, block);
  if (!read) return;
  // The block comes from another process: take at most 259 bytes, whether it holds a NUL or not.
  const std::string path(local.path, sc::BoundedLength(local.path, sc::kPathSize - 1));
  const bool afterFailure = std::exchange(m_bFailureReported, false);
  // After a failure report the path names the file that could not be written: the checker offers
  // that scan again, and loading a file that is not there would only put a box on the screen.
  if (afterFailure && !m_fs.Exists(path)) return;
  m_bUserTold = false;
  HandScanToPipeline(path);
}

bool CSDCheckerLink::DeliveryFailed() {
  m_bFailureReported = true;
  MakeFolder();
  return !std::exchange(m_bUserTold, true);
}

void CSDCheckerLink::MakeFolder() {
  if (m_strFolder.empty() || m_fs.IsDirectory(m_strFolder)) return;
  m_fs.MakeDirectory(m_strFolder);
}

// The screenshot is taken now, when the file has arrived: the nearest moment to the scan that the
// wireless road knows.
void CSDCheckerLink::HandScanToPipeline(const std::string& path) {
  // This newer scan replaces one that waits for the retry.
  m_pipeline.QueueScan(path, ScanSource::SdCard);
  m_pipeline.CaptureScreen();
  m_frame.PostNewScan();
}

}  // namespace zt::shell
