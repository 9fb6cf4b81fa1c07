// A packed DIB handed out by the scan load: header, palette and rows in one block that only the
// loader knows how to release. Move-only; the block is released when the holder goes away.
#pragma once

#include <utility>

namespace zt {

class PackedDib {
 public:
  using Release = void (*)(void*);

  PackedDib() = default;
  PackedDib(void* block, Release release) : m_block(block), m_release(release) {}
  ~PackedDib() { Reset(); }

  PackedDib(PackedDib&& other) noexcept
      : m_block(std::exchange(other.m_block, nullptr)), m_release(other.m_release) {}
  PackedDib& operator=(PackedDib&& other) noexcept {
    if (this != &other) {
      Reset();
      m_block = std::exchange(other.m_block, nullptr);
      m_release = other.m_release;
    }
    return *this;
  }
  PackedDib(const PackedDib&) = delete;
  PackedDib& operator=(const PackedDib&) = delete;

  const void* Get() const { return m_block; }
  explicit operator bool() const { return m_block != nullptr; }

  void Reset() {
    if (m_block && m_release) m_release(m_block);
    m_block = nullptr;
  }

 private:
  void* m_block = nullptr;
  Release m_release = nullptr;
};

}  // namespace zt
