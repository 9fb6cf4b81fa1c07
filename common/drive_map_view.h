// A process's view of the DriveLetterMap as single bytes. Every access is one volatile load or
// store: the other processes change the block at any time, so no value may be kept in a register.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/drive_letter_map.h"

namespace zt::drivemap {

class DriveMapView {
 public:
  DriveMapView() = default;
  // bytes: the whole mapped block (kSize bytes), or null for "not mapped".
  explicit DriveMapView(void* bytes) : m_p(static_cast<volatile std::uint8_t*>(bytes)) {}

  explicit operator bool() const { return m_p != nullptr; }
  std::uint8_t Get(std::size_t offset) const { return m_p[offset]; }
  void Set(std::size_t offset, std::uint8_t value) const { m_p[offset] = value; }
  bool Holds(std::size_t offset, std::uint8_t value) const { return Get(offset) == value; }
  void ZeroAll() const {
    for (std::size_t i = 0; i < kSize; ++i) m_p[i] = kClear;
  }

 private:
  volatile std::uint8_t* m_p = nullptr;
};

}  // namespace zt::drivemap
