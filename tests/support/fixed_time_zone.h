// Fixes the local time zone for tests that convert listed times: central European rules, so
// winter and summer times differ.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace zt::sdwifi {

class FixedTimeZone : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TZ");
    m_hadTz = old != nullptr;
    if (old) m_oldTz = old;
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
  }
  void TearDown() override {
    if (m_hadTz)
      setenv("TZ", m_oldTz.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  bool m_hadTz = false;
  std::string m_oldTz;
};

// Packed FAT directory words.
inline int FatDate(int year, int month, int day) { return ((year - 1980) << 9) | (month << 5) | day; }
inline int FatTime(int hour, int minute, int second) { return (hour << 11) | (minute << 5) | (second / 2); }

}  // namespace zt::sdwifi
