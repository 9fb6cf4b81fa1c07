// Owners of Win32 handles, so that no failure path leaks one.
#pragma once

#include <windows.h>

#include <utility>

namespace zt::app {

// A kernel handle closed with CloseHandle (processes, threads, mutexes, sections, files).
// Both null and INVALID_HANDLE_VALUE count as "none".
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : m_h(h) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.m_h, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE Get() const { return m_h; }
  explicit operator bool() const { return m_h && m_h != INVALID_HANDLE_VALUE; }
  HANDLE Release() { return std::exchange(m_h, nullptr); }
  void Reset(HANDLE h = nullptr) {
    if (*this) CloseHandle(m_h);
    m_h = h;
  }

 private:
  HANDLE m_h = nullptr;
};

// A mapped view of a section, unmapped on destruction.
class MappedView {
 public:
  MappedView() = default;
  explicit MappedView(void* p) : m_p(p) {}
  ~MappedView() { Reset(); }
  MappedView(MappedView&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
  MappedView& operator=(MappedView&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.m_p, nullptr));
    return *this;
  }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;

  unsigned char* Bytes() const { return static_cast<unsigned char*>(m_p); }
  explicit operator bool() const { return m_p != nullptr; }
  void Reset(void* p = nullptr) {
    if (m_p) UnmapViewOfFile(m_p);
    m_p = p;
  }

 private:
  void* m_p = nullptr;
};

}  // namespace zt::app
