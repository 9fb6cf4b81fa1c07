#include "overlay/engine/pixels/block_reserve.h"

#include <mutex>
#include <new>
#include <vector>

namespace zt::block_reserve {

namespace {

struct Kept {
  void* block;
  std::size_t bytes;
};

// Blocks come and go on the engine's workers too (the screenshot's half is made on one). The
// list is never destroyed: an image freed while the program ends still finds it.
std::mutex& g_mutex = *new std::mutex;
std::vector<Kept>& g_kept = *new std::vector<Kept>;  // oldest first
std::size_t g_bytes = 0;

}  // namespace

void* Take(std::size_t bytes) {
  if (bytes >= kSmallest) {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (auto it = g_kept.end(); it != g_kept.begin();) {
      --it;
      if (it->bytes != bytes) continue;
      void* block = it->block;
      g_bytes -= bytes;
      g_kept.erase(it);
      return block;
    }
  }
  return ::operator new(bytes, std::nothrow);
}

void Give(void* block, std::size_t bytes) {
  if (!block) return;
  if (bytes < kSmallest || bytes > kMostBytes) {
    ::operator delete(block);
    return;
  }
  std::vector<void*> freed;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_kept.push_back({block, bytes});
    g_bytes += bytes;
    while (g_kept.size() > kMostBlocks || g_bytes > kMostBytes) {
      freed.push_back(g_kept.front().block);
      g_bytes -= g_kept.front().bytes;
      g_kept.erase(g_kept.begin());
    }
  }
  for (void* old : freed) ::operator delete(old);
}

void Clear() {
  std::vector<Kept> kept;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    kept.swap(g_kept);
    g_bytes = 0;
  }
  for (const Kept& k : kept) ::operator delete(k.block);
}

std::size_t KeptBlocks() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_kept.size();
}

std::size_t KeptBytes() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_bytes;
}

}  // namespace zt::block_reserve
