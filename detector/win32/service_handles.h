// Owners of the registry keys and service manager handles the detector opens.
#pragma once

#include <windows.h>

#include <utility>

namespace zt::detector {

class UniqueKey {
 public:
  UniqueKey() = default;
  ~UniqueKey() { Reset(); }
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;

  HKEY Get() const { return m_h; }
  HKEY* Receive() {
    Reset();
    return &m_h;
  }
  void Reset() {
    if (m_h) RegCloseKey(m_h);
    m_h = nullptr;
  }

 private:
  HKEY m_h = nullptr;
};

class UniqueServiceHandle {
 public:
  UniqueServiceHandle() = default;
  explicit UniqueServiceHandle(SC_HANDLE h) : m_h(h) {}
  ~UniqueServiceHandle() {
    if (m_h) CloseServiceHandle(m_h);
  }
  UniqueServiceHandle(UniqueServiceHandle&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
  UniqueServiceHandle(const UniqueServiceHandle&) = delete;
  UniqueServiceHandle& operator=(const UniqueServiceHandle&) = delete;

  SC_HANDLE Get() const { return m_h; }
  explicit operator bool() const { return m_h != nullptr; }

 private:
  SC_HANDLE m_h = nullptr;
};

}  // namespace zt::detector
