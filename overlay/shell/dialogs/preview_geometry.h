// Geometry of the settings dialog's preview: where the screenshot is fitted, where the scan lies
// on it for the current zoom and offset, which part of the scan is visible, what the mouse is
// over and what a drag does. Everything is in the dialog's client pixels except the offsets X
// and Y (screenshot pixels) and the zooms (percent). No window is involved, so every rule here
// is tested natively.
#pragma once

#include "overlay/engine/settings/settings_values.h"

namespace zt::shell {

struct PixelPoint {
  int x = 0;
  int y = 0;
};

// Right and bottom are exclusive, as in a Windows RECT.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(PixelPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

bool operator==(const PixelRect& a, const PixelRect& b);
inline bool operator!=(const PixelRect& a, const PixelRect& b) { return !(a == b); }
inline bool operator==(PixelPoint a, PixelPoint b) { return a.x == b.x && a.y == b.y; }

// The zoom range of the two up-down controls (kMinZoom..kMaxZoom of the settings), and the
// largest zoom as a factor: the offsets may push the scan off the screenshot by as much as the
// largest scan could cover.
inline constexpr int kMaxZoomFactor = kMaxZoom / 100;
// What the X and Y edits accept at all, before the screenshot's own limits.
inline constexpr int kExchangeMinOffset = kMinOffset;
inline constexpr int kExchangeMaxOffset = kMaxOffset;
// How close to an edge of the scan the mouse must be to pull that edge.
inline constexpr int kEdgeTolerance = 4;

struct IntRange {
  int low = 0;
  int high = 0;
  int Clamp(int value) const { return value < low ? low : (value > high ? high : value); }
};

// The full screenshot and the full scan, each in its own pixels.
struct FullSizes {
  int screenWidth = 0;
  int screenHeight = 0;
  int scanWidth = 0;
  int scanHeight = 0;
};

// X may go left until the widest scan (500 % of the screen's height, in the scan's aspect) has
// left the screenshot, and right to the screenshot's width; Y likewise with the height. Both are
// also held inside what the edits accept.
IntRange XOffsetRange(const FullSizes& sizes);
IntRange YOffsetRange(const FullSizes& sizes);
int ClampZoom(int zoom);

// image (width x height) fitted into box, centred, keeping its aspect ratio.
PixelRect FitCentred(const PixelRect& box, int imageWidth, int imageHeight);
// The scan at 100 %: from the fitted screenshot's top-left corner, as high as the screenshot,
// as wide as the scan's aspect makes it.
PixelRect HundredPercentRect(const PixelRect& fitted, const FullSizes& sizes);
// The inside of the preview's frame control.
PixelRect ClipArea(const PixelRect& frameControl);

struct PreviewLayout {
  PixelRect fitted;   // the screenshot in the preview
  PixelRect hundred;  // the scan at 100 % zoom and offset 0
  PixelRect clip;     // nothing of the scan is drawn outside this
};

PreviewLayout MakeLayout(const PixelRect& box, const PixelRect& frameControl, int screenImageWidth,
                         int screenImageHeight, const FullSizes& sizes);

// Screenshot offsets to preview pixels; the offsets are clamped first.
PixelPoint PreviewOffset(const PreviewLayout& layout, const FullSizes& sizes, int x, int y);

// Preview pixels back to screenshot offsets, clamped; when a clamp bit, previewOffset is the one
// that belongs to the clamped values.
struct ScreenOffsets {
  int x = 0;
  int y = 0;
  PixelPoint previewOffset;
};
ScreenOffsets ScreenOffsetsFromPreview(const PreviewLayout& layout, const FullSizes& sizes,
                                       PixelPoint previewOffset);

// Where the scan is drawn (target, in client pixels, kept inside the clip area) and which part of
// the half-size scan image (its width x height) that is.
struct ScanPlacement {
  PixelRect target;
  PixelRect source;
  bool Visible() const { return source.Width() != 0 && source.Height() != 0; }
};
ScanPlacement PlaceScan(const PreviewLayout& layout, PixelPoint previewOffset, int widthZoom, int heightZoom,
                        int imageWidth, int imageHeight);

// What a button press at a point would drag: edges combine (top-left = 5, bottom-right = 10).
enum DragMode : int {
  kDragNone = 0,
  kDragTop = 1,
  kDragBottom = 2,
  kDragLeft = 4,
  kDragRight = 8,
  kDragMove = 16,
};

// Outside the clip area: none. Within the tolerance of an edge of the visible scan: that edge
// (corners combine). Anywhere else in the clip area: move.
int HitTest(const PreviewLayout& layout, const ScanPlacement& scan, PixelPoint mouse);

enum class PreviewCursor { Arrow, SizeNS, SizeWE, SizeNWSE, SizeNESW };
PreviewCursor CursorFor(int mode);

// What a drag remembers from the button press.
struct DragStart {
  int mode = kDragNone;
  PixelPoint mouse;
  PixelPoint anchor;  // mouse minus the preview offset
  int scaledWidth = 0;
  int scaledHeight = 0;
  int scaledRight = 0;  // the scan's unclipped right and bottom edges
  int scaledBottom = 0;
};
DragStart BeginDrag(const PreviewLayout& layout, int mode, PixelPoint mouse, PixelPoint previewOffset,
                    int widthZoom, int heightZoom);

// Where the mouse has taken the drag: the new preview offset (not yet clamped) and zooms.
struct DragOutcome {
  PixelPoint previewOffset;
  int widthZoom = 100;
  int heightZoom = 100;
};
DragOutcome DragTo(const PreviewLayout& layout, const DragStart& start, PixelPoint mouse,
                   PixelPoint previewOffset, int widthZoom, int heightZoom);

// One arrow-button or Alt+arrow step in screenshot pixels.
enum class StepDirection { Up, Down, Left, Right };
PixelPoint StepOffsets(StepDirection direction, int x, int y, const FullSizes& sizes);

}  // namespace zt::shell
