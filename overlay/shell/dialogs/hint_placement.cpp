#include "overlay/shell/dialogs/hint_placement.h"

#include <algorithm>

namespace zt::shell {

namespace {

// Keeps [start, start + size) inside [low, high) where it fits; at low where it does not.
int KeepInside(int start, int size, int low, int high) { return std::max(low, std::min(start, high - size)); }

}  // namespace

PixelPoint PlaceHintBeside(const PixelRect& dialog, int hintWidth, int hintHeight,
                           const PixelRect& workArea) {
  const int roomRight = workArea.right - dialog.right;
  const int roomLeft = dialog.left - workArea.left;
  int x = 0;
  if (roomRight >= hintWidth)
    x = dialog.right;
  else if (roomLeft >= hintWidth)
    x = dialog.left - hintWidth;
  else
    x = roomRight >= roomLeft ? dialog.right : dialog.left - hintWidth;
  return {KeepInside(x, hintWidth, workArea.left, workArea.right),
          KeepInside(dialog.top, hintHeight, workArea.top, workArea.bottom)};
}

}  // namespace zt::shell
