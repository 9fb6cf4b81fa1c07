#include "overlay/shell/drive_watch/drive_watch.h"

#include <algorithm>
#include <system_error>

namespace zt {

WatchStart DriveWatch::Start(char letter) {
  if (m_running.load(std::memory_order_acquire)) return WatchStart::PassRunning;
  if (ScanWaiting()) return WatchStart::ScanWaiting;
  Wait();  // the last pass has ended; only its thread's return is left
  m_running.store(true, std::memory_order_relaxed);
  try {
    m_thread = std::thread([this, letter] { RunPass(letter); });
  } catch (const std::system_error&) {
    m_running.store(false, std::memory_order_relaxed);
    return WatchStart::NotStarted;
  }
  return WatchStart::Started;
}

void DriveWatch::RunPass(char letter) {
  const std::vector<ListedEntry> listing =
      letter ? m_host.ListScanFiles(std::string(1, letter) + ":\\") : std::vector<ListedEntry>{};
  const std::optional<std::string> scan = RunDriveWatchPass(letter, listing, m_memory);
  if (scan) {
    m_foundScan = *scan;
    m_scanWaiting.store(true, std::memory_order_release);
  }
  // Marked ended before the frame hears of it, so that its next start never finds this pass
  // still running.
  m_running.store(false, std::memory_order_release);
  // A scan the frame never hears of must not hold every later pass back.
  if (!m_host.PassEnded(scan.has_value())) m_scanWaiting.store(false, std::memory_order_release);
}

std::optional<std::string> DriveWatch::TakeFoundScan() {
  if (!ScanWaiting()) return std::nullopt;
  return m_foundScan;
}

void DriveWatch::Wait() {
  if (m_thread.joinable()) m_thread.join();
}

void DriveWatch::ForgetKnownFile(const std::string& path) {
  Wait();
  std::vector<std::string>& known = m_memory.knownFiles;
  known.erase(std::remove(known.begin(), known.end(), path), known.end());
}

void DriveWatch::ClearHistory() {
  Wait();
  m_memory = DriveWatchMemory{};
}

const DriveWatchMemory& DriveWatch::Memory() {
  Wait();
  return m_memory;
}

}  // namespace zt
