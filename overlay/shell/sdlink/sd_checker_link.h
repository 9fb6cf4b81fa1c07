// CSDCheckerLink: the tray application's side of the channel with the wireless SD checker. It
// finds or starts the checker, registers the frame with a block written into the checker's
// memory, frees each block once the checker has taken it, watches the checker until then, turns
// each delivered path into a new scan for the pipeline, and unregisters.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "overlay/engine/outputs/file_system.h"
#include "overlay/engine/scan_pipeline.h"
#include "overlay/shell/sdlink/checker_channel.h"
#include "overlay/shell/sdlink/link_clock.h"

namespace zt::shell {

// A started checker gets this many looks, this far apart, to show its window.
inline constexpr int kCheckerStartLooks = 10;
inline constexpr unsigned kCheckerStartPauseMs = 100;
inline constexpr unsigned kWatchdogIntervalMs = 100;
inline constexpr unsigned kConnectRetryMs = 1000;

class CSDCheckerLink {
 public:
  // frame: the frame's timers and messages; pipeline: where a delivered scan goes; fs: where the
  // folder the checker copies into is made.
  CSDCheckerLink(CheckerChannel& channel, LinkClock& frame, CScanPipeline& pipeline, FileSystem& fs);
  CSDCheckerLink(const CSDCheckerLink&) = delete;
  CSDCheckerLink& operator=(const CSDCheckerLink&) = delete;

  // Registers frameWindow with the checker (started when none runs) so that new scans are
  // copied into destinationFolder (ending in a separator). True when registered or already
  // connected.
  bool Connect(CheckerWindow frameWindow, const std::string& destinationFolder);
  // Frees the blocks not yet taken, forgets the process and unregisters frameWindow.
  void Disconnect(CheckerWindow frameWindow);
  // Code 2: the checker has copied a registration block.
  void ReleaseRegistrationBlock(RemoteAddress block);
  // Code 3: a scan was delivered; block holds its path.
  void TakeDeliveredPath(RemoteAddress block);
  // Code 0x10003: a scan could not be put into our folder (taken away meanwhile, or full). The
  // folder is made again for the checker's next try. True for the first failure since a scan last
  // arrived: the user is told once, not at every try.
  bool DeliveryFailed();
  // LinkTimer::Watchdog is due.
  void Watchdog();

  bool Connected() const { return m_pProcess != nullptr; }
  const std::vector<RemoteAddress>& OutstandingBlocks() const { return m_outstanding; }

 private:
  CheckerWindow FindOrStartChecker();
  bool Register(CheckerProcess& process, CheckerWindow frameWindow, const std::string& folder);
  void FreeOutstandingBlocks();
  void HandScanToPipeline(const std::string& path);
  void MakeFolder();

  CheckerChannel& m_channel;
  LinkClock& m_frame;
  CScanPipeline& m_pipeline;
  FileSystem& m_fs;
  std::unique_ptr<CheckerProcess> m_pProcess;  // held while connected
  std::vector<RemoteAddress> m_outstanding;    // registration blocks the checker has not taken
  // What the watchdog registers again with when the checker has gone.
  CheckerWindow m_frameWindow = 0;
  std::string m_strFolder;
  bool m_bFailureReported = false;  // a code 0x10003 came after the last code 3
  bool m_bUserTold = false;         // the user knows that deliveries fail
};

}  // namespace zt::shell
