// What the Wine tests with the real SD checker share: the environment run_e2e.py sets, the
// simulated card's control requests, and the checker installed where ZTLumbrel looks for it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "chksdwifi/win32/fetch_win32.h"

namespace zt::shell::e2e {

inline std::string Env(const char* name) {
  char value[1024] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// One control request to the simulated card (card_simulator.py), such as "root?mode=normal".
inline void CardControl(const std::string& what) {
  sdwifi::WinInetFetcher fetcher;
  std::string reply;
  EXPECT_EQ(fetcher.FetchUrl(Env("ZT_CARD_URL") + "ctl/" + what, nullptr, &reply), sdwifi::FETCH_OK) << what;
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

}  // namespace zt::shell::e2e
