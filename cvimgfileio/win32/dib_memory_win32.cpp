#include <windows.h>

#include "cvimgfileio/dib_output.h"

namespace zt::img {

void* AllocDibBlock(std::size_t bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!h) return nullptr;
  void* p = GlobalLock(h);
  if (!p) GlobalFree(h);
  return p;
}

void FreeDibBlock(void* block) {
  if (!block) return;
  HGLOBAL h = GlobalHandle(block);
  GlobalUnlock(h);
  GlobalFree(h);
}

}  // namespace zt::img
