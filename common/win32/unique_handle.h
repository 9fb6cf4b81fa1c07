// The one owner of Win32 handles, so that no failure path leaks one. Each kind of handle is an
// alias that names its type and the call that closes it: handles.h, gdi_handles.h, shell_folder.h,
// and apart, for the one program that links each library, internet_handle.h (WinInet) and
// device_info_set.h (SetupAPI).
// The traits:
//   using Type = ...;              the handle's type; an empty owner holds Type{} (null)
//   static bool Valid(Type h);     false for every value that means "none"
//   static void Close(Type h);     gives a valid handle back to the system
#pragma once

#include <windows.h>

#include <utility>

namespace zt::app {

// Whether null only, or INVALID_HANDLE_VALUE as well, means "no handle" for a kind of handle.
enum class NoHandle { Null, NullOrInvalid };

// The traits of a handle of type T given back by close(h).
template <typename T, auto close, NoHandle none = NoHandle::Null>
struct ClosedBy {
  using Type = T;
  static bool Valid(T h) {
    if constexpr (none == NoHandle::NullOrInvalid) return h != nullptr && h != INVALID_HANDLE_VALUE;
    return h != nullptr;
  }
  static void Close(T h) { close(h); }
};

template <typename Traits>
class UniqueOwner {
 public:
  using Type = typename Traits::Type;

  UniqueOwner() = default;
  explicit UniqueOwner(Type h) : m_h(h) {}
  ~UniqueOwner() { Reset(); }
  UniqueOwner(UniqueOwner&& o) noexcept : m_h(o.Release()) {}
  UniqueOwner& operator=(UniqueOwner&& o) noexcept {
    if (this != &o) Reset(o.Release());
    return *this;
  }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;

  Type Get() const { return m_h; }
  explicit operator bool() const { return Traits::Valid(m_h); }
  // Gives the handle up without closing it.
  Type Release() { return std::exchange(m_h, Type{}); }
  // Closes what is held, then holds h.
  void Reset(Type h = Type{}) {
    if (*this) Traits::Close(m_h);
    m_h = h;
  }
  // For calls that hand a handle back through a pointer (RegOpenKeyExA's HKEY*): what was held
  // is closed first.
  Type* Receive() {
    Reset();
    return &m_h;
  }

 private:
  Type m_h{};
};

}  // namespace zt::app
