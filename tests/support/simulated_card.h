// What the Wine tests with the real SD checker share: the simulated card (card_simulator.py, which
// run_e2e.py starts and names in ZT_CARD_URL) and the checker installed where ZTLumbrel looks for
// it.
#pragma once

#include <windows.h>

#include <string>

#include "chksdwifi/win32/fetch_win32.h"
#include "common/sd_channel.h"
#include "tests/support/wine_process.h"

namespace zt::winetest {

// One control request to the simulated card, such as "root?mode=normal"; false when the card
// does not take it. reply, when given, receives the card's answer.
inline bool CardControl(const std::string& what, std::string* reply = nullptr) {
  sdwifi::WinInetFetcher fetcher;
  std::string text;
  const bool taken = fetcher.FetchUrl(Env("ZT_CARD_URL") + "ctl/" + what, nullptr, &text) == sdwifi::FETCH_OK;
  if (reply) *reply = text;
  return taken;
}

// The bytes the card serves for a file of the given size that it made up itself (card_simulator.py,
// file_bytes).
inline std::string CardFileBytes(const std::string& name, std::size_t size) {
  unsigned seed = 0;
  for (unsigned char c : name) seed += c;
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed) % 251);
  return bytes;
}

// The process of the SD checker's window, 0 when there is none.
inline DWORD CheckerProcessId() {
  DWORD pid = 0;
  GetWindowThreadProcessId(FindWindowA(sdchannel::kCheckerWindowClass, nullptr), &pid);
  return pid;
}

// Installs the checker and its configuration below this process's %PROGRAMFILES%, as the
// installer lays them out, and removes them again.
class InstalledChecker {
 public:
  InstalledChecker() {
    const std::string built = Env("ZT_CHECKER_EXE");  // beside it: the test's sdwifi.ini
    const std::string builtFolder = built.substr(0, built.find_last_of('\\') + 1);
    m_folder = Env("PROGRAMFILES") + "\\Corvane";
    CreateDirectoryA(m_folder.c_str(), nullptr);
    m_folder += "\\Zentab SD WiFi\\";
    CreateDirectoryA(m_folder.c_str(), nullptr);
    ok = CopyFileA(built.c_str(), (m_folder + "ZTChkSDWiFi.exe").c_str(), FALSE) &&
         CopyFileA((builtFolder + "sdwifi.ini").c_str(), (m_folder + "sdwifi.ini").c_str(), FALSE);
  }
  ~InstalledChecker() {
    DeleteFileA((m_folder + "ZTChkSDWiFi.exe").c_str());
    DeleteFileA((m_folder + "sdwifi.ini").c_str());
    RemoveDirectoryA(m_folder.c_str());
  }
  InstalledChecker(const InstalledChecker&) = delete;
  InstalledChecker& operator=(const InstalledChecker&) = delete;
  bool ok = false;

 private:
  std::string m_folder;
};

}  // namespace zt::winetest
