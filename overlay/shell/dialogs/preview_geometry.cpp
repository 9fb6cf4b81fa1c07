#include "overlay/shell/dialogs/preview_geometry.h"

#include <cstdint>

namespace zt::shell {

namespace {

using Wide = std::int64_t;

int Narrow(Wide value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int>(value);
}

// a * b / c in 64 bits, truncated towards zero as the int arithmetic it stands for; 0 for c = 0.
int MulDivTrunc(Wide a, Wide b, Wide c) { return c == 0 ? 0 : Narrow(a * b / c); }

IntRange Intersect(IntRange range, int low, int high) {
  if (range.low < low) range.low = low;
  if (range.high > high) range.high = high;
  return range;
}

// One axis of the scan: where it starts and how long it is unclipped, clipped to [clipLow,
// clipHigh]; gives the drawn interval and the matching interval of the image.
struct AxisPlacement {
  int low = 0, high = 0, sourceLow = 0, sourceHigh = 0;
};

AxisPlacement PlaceAxis(int start, int scaled, int clipLow, int clipHigh, int imageLength) {
  AxisPlacement axis;
  if (scaled <= 0) {
    axis.low = axis.high = IntRange{clipLow, clipHigh}.Clamp(start);
    return axis;
  }
  axis.high = IntRange{clipLow, clipHigh}.Clamp(Narrow(Wide{start} + scaled));
  if (start < clipLow) {
    axis.low = clipLow;
    axis.sourceLow = MulDivTrunc(clipLow - start, imageLength, scaled);
  } else if (start > clipHigh) {
    axis.low = clipHigh;
    axis.sourceLow = imageLength;
  } else {
    axis.low = start;
  }
  axis.sourceHigh = MulDivTrunc(axis.high - axis.low, imageLength, scaled) + axis.sourceLow;
  return axis;
}

// The zoom that makes the scan size long, from its 100 % length.
int ZoomFor(Wide size, int hundredLength, int fallback) {
  if (hundredLength <= 0) return fallback;
  return ClampZoom(Narrow(size * 100 / hundredLength));
}

}  // namespace

bool operator==(const PixelRect& a, const PixelRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

IntRange XOffsetRange(const FullSizes& s) {
  const int widest = MulDivTrunc(Wide{kMaxZoomFactor} * s.screenHeight, s.scanWidth, s.scanHeight);
  return Intersect({-widest, s.screenWidth}, kExchangeMinOffset, kExchangeMaxOffset);
}

IntRange YOffsetRange(const FullSizes& s) {
  return Intersect({Narrow(-Wide{kMaxZoomFactor} * s.screenHeight), s.screenHeight}, kExchangeMinOffset,
                   kExchangeMaxOffset);
}

int ClampZoom(int zoom) { return IntRange{kMinZoom, kMaxZoom}.Clamp(zoom); }

PixelRect FitCentred(const PixelRect& box, int imageWidth, int imageHeight) {
  const int boxWidth = box.Width(), boxHeight = box.Height();
  if (imageWidth <= 0 || imageHeight <= 0 || boxWidth <= 0 || boxHeight <= 0)
    return {box.left, box.top, box.left, box.top};
  int width = boxWidth, height = boxHeight;
  const double imageRatio = static_cast<double>(imageWidth) / imageHeight;
  const double boxRatio = static_cast<double>(boxWidth) / boxHeight;
  if (imageRatio > boxRatio)
    height = MulDivTrunc(boxWidth, imageHeight, imageWidth);
  else
    width = MulDivTrunc(boxHeight, imageWidth, imageHeight);
  const int left = box.left + (boxWidth - width) / 2;
  const int top = box.top + (boxHeight - height) / 2;
  return {left, top, left + width, top + height};
}

PixelRect HundredPercentRect(const PixelRect& fitted, const FullSizes& s) {
  const int width = MulDivTrunc(fitted.Height(), s.scanWidth, s.scanHeight);
  return {fitted.left, fitted.top, fitted.left + width, fitted.bottom};
}

PixelRect ClipArea(const PixelRect& frame) {
  return {frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1};
}

PreviewLayout MakeLayout(const PixelRect& box, const PixelRect& frameControl, int screenImageWidth,
                         int screenImageHeight, const FullSizes& sizes) {
  PreviewLayout layout;
  layout.fitted = FitCentred(box, screenImageWidth, screenImageHeight);
  layout.hundred = HundredPercentRect(layout.fitted, sizes);
  layout.clip = ClipArea(frameControl);
  return layout;
}

PixelPoint PreviewOffset(const PreviewLayout& layout, const FullSizes& s, int x, int y) {
  x = XOffsetRange(s).Clamp(x);
  y = YOffsetRange(s).Clamp(y);
  return {MulDivTrunc(layout.fitted.Width(), x, s.screenWidth),
          MulDivTrunc(layout.fitted.Height(), y, s.screenHeight)};
}

ScreenOffsets ScreenOffsetsFromPreview(const PreviewLayout& layout, const FullSizes& s, PixelPoint offset) {
  const int x = MulDivTrunc(offset.x, s.screenWidth, layout.fitted.Width());
  const int y = MulDivTrunc(offset.y, s.screenHeight, layout.fitted.Height());
  ScreenOffsets out{XOffsetRange(s).Clamp(x), YOffsetRange(s).Clamp(y), offset};
  if (out.x != x || out.y != y) out.previewOffset = PreviewOffset(layout, s, out.x, out.y);
  return out;
}

ScanPlacement PlaceScan(const PreviewLayout& layout, PixelPoint offset, int widthZoom, int heightZoom,
                        int imageWidth, int imageHeight) {
  const int scaledWidth = MulDivTrunc(layout.hundred.Width(), widthZoom, 100);
  const int scaledHeight = MulDivTrunc(layout.hundred.Height(), heightZoom, 100);
  const AxisPlacement h = PlaceAxis(Narrow(Wide{layout.hundred.left} + offset.x), scaledWidth,
                                    layout.clip.left, layout.clip.right, imageWidth);
  const AxisPlacement v = PlaceAxis(Narrow(Wide{layout.hundred.top} + offset.y), scaledHeight,
                                    layout.clip.top, layout.clip.bottom, imageHeight);
  ScanPlacement scan;
  scan.target = {h.low, v.low, h.high, v.high};
  scan.source = {h.sourceLow, v.sourceLow, h.sourceHigh, v.sourceHigh};
  return scan;
}

int HitTest(const PreviewLayout& layout, const ScanPlacement& scan, PixelPoint p) {
  if (!layout.clip.Contains(p)) return kDragNone;
  if (!scan.Visible()) return kDragMove;
  const PixelRect& r = scan.target;
  const auto closeTo = [](int value, int edge) {
    return value >= edge - kEdgeTolerance && value <= edge + kEdgeTolerance;
  };
  const bool withinX = p.x >= r.left - kEdgeTolerance && p.x <= r.right + kEdgeTolerance;
  const bool withinY = p.y >= r.top - kEdgeTolerance && p.y <= r.bottom + kEdgeTolerance;
  int mode = kDragNone;
  if (withinY) {
    if (closeTo(p.x, r.left))
      mode |= kDragLeft;
    else if (closeTo(p.x, r.right))
      mode |= kDragRight;
  }
  if (withinX) {
    if (closeTo(p.y, r.top))
      mode |= kDragTop;
    else if (closeTo(p.y, r.bottom))
      mode |= kDragBottom;
  }
  return mode == kDragNone ? kDragMove : mode;
}

PreviewCursor CursorFor(int mode) {
  switch (mode) {
    case kDragTop:
    case kDragBottom:
      return PreviewCursor::SizeNS;
    case kDragLeft:
    case kDragRight:
      return PreviewCursor::SizeWE;
    case kDragTop | kDragLeft:
    case kDragBottom | kDragRight:
      return PreviewCursor::SizeNWSE;
    case kDragTop | kDragRight:
    case kDragBottom | kDragLeft:
      return PreviewCursor::SizeNESW;
    default:
      return PreviewCursor::Arrow;
  }
}

DragStart BeginDrag(const PreviewLayout& layout, int mode, PixelPoint mouse, PixelPoint offset, int widthZoom,
                    int heightZoom) {
  DragStart start;
  start.mode = mode;
  start.mouse = mouse;
  start.anchor = {mouse.x - offset.x, mouse.y - offset.y};
  start.scaledWidth = MulDivTrunc(layout.hundred.Width(), widthZoom, 100);
  start.scaledHeight = MulDivTrunc(layout.hundred.Height(), heightZoom, 100);
  start.scaledRight = layout.hundred.left + offset.x + start.scaledWidth;
  start.scaledBottom = layout.hundred.top + offset.y + start.scaledHeight;
  return start;
}

DragOutcome DragTo(const PreviewLayout& layout, const DragStart& start, PixelPoint mouse, PixelPoint offset,
                   int widthZoom, int heightZoom) {
  DragOutcome out{offset, widthZoom, heightZoom};
  if (start.mode == kDragMove) {
    out.previewOffset = {mouse.x - start.anchor.x, mouse.y - start.anchor.y};
    return out;
  }
  const int hundredWidth = layout.hundred.Width(), hundredHeight = layout.hundred.Height();
  if (start.mode & kDragRight) {
    out.widthZoom = ZoomFor(Wide{start.scaledWidth} + (mouse.x - start.mouse.x), hundredWidth, widthZoom);
  } else if (start.mode & kDragLeft) {
    // The left edge may be pulled far out, but not without limit: 500 % of the widest preview.
    const int x = IntRange{-kMaxZoomFactor * layout.fitted.right, layout.fitted.right}.Clamp(mouse.x);
    out.widthZoom = ZoomFor(Wide{start.scaledWidth} - (x - start.mouse.x), hundredWidth, widthZoom);
    // The right edge stays where it was.
    out.previewOffset.x =
        start.scaledRight - layout.hundred.left - MulDivTrunc(hundredWidth, out.widthZoom, 100);
  }
  if (start.mode & kDragBottom) {
    out.heightZoom = ZoomFor(Wide{start.scaledHeight} + (mouse.y - start.mouse.y), hundredHeight, heightZoom);
  } else if (start.mode & kDragTop) {
    const int y = IntRange{-kMaxZoomFactor * layout.fitted.bottom, layout.fitted.bottom}.Clamp(mouse.y);
    out.heightZoom = ZoomFor(Wide{start.scaledHeight} - (y - start.mouse.y), hundredHeight, heightZoom);
    out.previewOffset.y =
        start.scaledBottom - layout.hundred.top - MulDivTrunc(hundredHeight, out.heightZoom, 100);
  }
  return out;
}

PixelPoint StepOffsets(StepDirection direction, int x, int y, const FullSizes& sizes) {
  switch (direction) {
    case StepDirection::Up:
      --y;
      break;
    case StepDirection::Down:
      ++y;
      break;
    case StepDirection::Left:
      --x;
      break;
    case StepDirection::Right:
      ++x;
      break;
  }
  return {XOffsetRange(sizes).Clamp(x), YOffsetRange(sizes).Clamp(y)};
}

}  // namespace zt::shell
