// The drive watch's passes over the board's root folder, each on a thread of its own. The pass
// writes the memory of known files and the path it found, which the frame reads and changes
// while it handles that scan: so at most one pass runs, none starts while the scan the last one
// found still waits for the frame, and the frame changes the memory only once no pass runs.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "overlay/shell/drive_watch/drive_watch_pass.h"

namespace zt {

class DriveWatchHost {
 public:
  virtual ~DriveWatchHost() = default;
  // On the pass's thread: the listing of root ("E:\").
  virtual std::vector<ListedEntry> ListScanFiles(const std::string& root) = 0;
  // On the pass's thread, its last act: tell the frame whether a new scan was found; false when
  // the frame could not be told (its window is gone).
  virtual bool PassEnded(bool foundScan) = 0;
};

enum class WatchStart { Started, PassRunning, ScanWaiting, NotStarted };

// Every member is called on the frame's thread.
class DriveWatch {
 public:
  explicit DriveWatch(DriveWatchHost& host) : m_host(host) {}
  ~DriveWatch() { Wait(); }
  DriveWatch(const DriveWatch&) = delete;
  DriveWatch& operator=(const DriveWatch&) = delete;

  // Starts one pass over the drive of letter (0: no drive, the pass only forgets), read once
  // here for the whole pass. No pass starts while one runs or its scan waits (ScanHandled).
  WatchStart Start(char letter);
  // The scan the last pass found; it then waits until ScanHandled.
  std::optional<std::string> TakeFoundScan();
  void ScanHandled() { m_scanWaiting.store(false, std::memory_order_release); }
  bool ScanWaiting() const { return m_scanWaiting.load(std::memory_order_acquire); }

  // Waits for the running pass, if any.
  void Wait();
  // Drops path from the known files so that the next pass reports it again.
  void ForgetKnownFile(const std::string& path);
  // Forgets every file and the latest time: the next pass on a board treats all its files as new.
  void ClearHistory();
  // What the last pass left (waits for a running one first).
  const DriveWatchMemory& Memory();

 private:
  void RunPass(char letter);

  DriveWatchHost& m_host;
  std::thread m_thread;
  std::atomic<bool> m_running{false};
  std::atomic<bool> m_scanWaiting{false};
  DriveWatchMemory m_memory;  // the pass's while it runs, the frame's otherwise
  std::string m_foundScan;    // likewise, and read only while the scan waits
};

}  // namespace zt
