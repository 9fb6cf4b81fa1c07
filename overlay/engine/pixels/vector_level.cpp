#include "overlay/engine/pixels/vector_level.h"

#include <atomic>

namespace zt {

namespace {

VectorLevel Probe() {
#if defined(__i386__) || defined(__x86_64__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("ssse3")) return VectorLevel::kSsse3;
#endif
  return VectorLevel::kPlain;
}

std::atomic<int> g_active{-1};  // -1: not chosen yet

}  // namespace

VectorLevel ProcessorLevel() {
  static const VectorLevel level = Probe();
  return level;
}

VectorLevel ActiveLevel() {
  const int active = g_active.load(std::memory_order_relaxed);
  return active < 0 ? ProcessorLevel() : static_cast<VectorLevel>(active);
}

void SetVectorLevel(VectorLevel level) {
  const VectorLevel highest = ProcessorLevel();
  g_active = static_cast<int>(level > highest ? highest : level);
}

const char* VectorLevelName(VectorLevel level) {
  switch (level) {
    case VectorLevel::kSsse3:
      return "SSSE3";
    case VectorLevel::kPlain:
      break;
  }
  return "plain";
}

}  // namespace zt
