// The preview's geometry on one layout worked out by hand: a 400 x 300 box holding a 16:9
// screenshot (fitted to 400 x 225 at 10,57), a 4:3 scan (100 % = 300 x 225) whose half-size
// image is 800 x 600, and a clip area of 10,20 - 410,320.
#include <gtest/gtest.h>

#include "overlay/shell/dialogs/preview_geometry.h"

namespace zt::shell {
namespace {

const FullSizes kSizes{1920, 1080, 1600, 1200};
const PixelRect kBox{10, 20, 410, 320};
const PixelRect kFrame{9, 19, 411, 321};
constexpr int kImageWidth = 800, kImageHeight = 600;

PreviewLayout Layout(const FullSizes& sizes = kSizes) { return MakeLayout(kBox, kFrame, 960, 540, sizes); }

void ExpectRect(const PixelRect& r, int left, int top, int right, int bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

TEST(PreviewLayout, FitsTheScreenshotCentredAndTheScanAtItsHeight) {
  const PreviewLayout layout = Layout();
  ExpectRect(layout.fitted, 10, 57, 410, 282);   // wide image: full width, 400 * 540 / 960 high
  ExpectRect(layout.hundred, 10, 57, 310, 282);  // 225 high, 225 * 4 / 3 wide
  ExpectRect(layout.clip, 10, 20, 410, 320);
  // A tall image takes the full height and is centred across.
  ExpectRect(FitCentred(kBox, 300, 600), 135, 20, 285, 320);
  // Exactly the box's aspect: the box itself.
  ExpectRect(FitCentred(kBox, 800, 600), 10, 20, 410, 320);
  // No image: nothing to show, and no division by zero.
  EXPECT_EQ(FitCentred(kBox, 0, 600).Width(), 0);
}

TEST(PreviewOffsets, ClampToTheWidestScanAndToWhatTheEditsAccept) {
  // X: 5 * 1080 * 1600 / 1200 = 7200 to the left, the screenshot's width to the right.
  EXPECT_EQ(XOffsetRange(kSizes).low, -7200);
  EXPECT_EQ(XOffsetRange(kSizes).high, 1920);
  EXPECT_EQ(YOffsetRange(kSizes).low, -5400);
  EXPECT_EQ(YOffsetRange(kSizes).high, 1080);
  // A very tall screenshot: the edits' own bounds, -50000 and 5000, take over.
  const FullSizes tall{1920, 12000, 1600, 1200};
  EXPECT_EQ(XOffsetRange(tall).low, -50000);
  EXPECT_EQ(YOffsetRange(tall).low, -50000);
  EXPECT_EQ(YOffsetRange(tall).high, 5000);
  const FullSizes wide{7680, 1080, 1600, 1200};
  EXPECT_EQ(XOffsetRange(wide).high, 5000);
  EXPECT_EQ(ClampZoom(0), 1);
  EXPECT_EQ(ClampZoom(501), 500);
  EXPECT_EQ(ClampZoom(250), 250);
}

TEST(PreviewOffsets, ConvertBetweenScreenAndPreviewPixels) {
  const PreviewLayout layout = Layout();
  EXPECT_EQ(PreviewOffset(layout, kSizes, 192, 108), (PixelPoint{40, 22}));  // 22.5 truncated
  EXPECT_EQ(PreviewOffset(layout, kSizes, -100, -100), (PixelPoint{-20, -20}));
  EXPECT_EQ(PreviewOffset(layout, kSizes, 9999, -9999), (PixelPoint{400, -1125}));  // clamped first
  ScreenOffsets back = ScreenOffsetsFromPreview(layout, kSizes, {40, 22});
  EXPECT_EQ(back.x, 192);
  EXPECT_EQ(back.y, 105);  // 22 * 1080 / 225 = 105.6
  EXPECT_EQ(back.previewOffset, (PixelPoint{40, 22}));
  // Dragged past the right: X stops at the screenshot's width and the preview follows it.
  back = ScreenOffsetsFromPreview(layout, kSizes, {500, 0});
  EXPECT_EQ(back.x, 1920);
  EXPECT_EQ(back.previewOffset, (PixelPoint{400, 0}));
}

TEST(ScanPlacement, ShowsTheWholeScanInsideTheClipArea) {
  const ScanPlacement scan = PlaceScan(Layout(), {40, 22}, 100, 100, kImageWidth, kImageHeight);
  ExpectRect(scan.target, 50, 79, 350, 304);
  ExpectRect(scan.source, 0, 0, 800, 600);
  EXPECT_TRUE(scan.Visible());
  // 200 % wide, 50 % high: cut at the clip's right, the left two thirds of the image shown.
  const ScanPlacement zoomed = PlaceScan(Layout(), {0, 0}, 200, 50, kImageWidth, kImageHeight);
  ExpectRect(zoomed.target, 10, 57, 410, 169);
  ExpectRect(zoomed.source, 0, 0, 533, 600);
}

TEST(ScanPlacement, CutsTheSourceWhereTheScanHangsOffEachSide) {
  const PreviewLayout layout = Layout();
  ScanPlacement s = PlaceScan(layout, {-100, 0}, 100, 100, kImageWidth, kImageHeight);  // off the left
  ExpectRect(s.target, 10, 57, 210, 282);
  ExpectRect(s.source, 266, 0, 799, 600);  // 100 * 800 / 300, then 200 * 800 / 300 more
  s = PlaceScan(layout, {200, 0}, 100, 100, kImageWidth, kImageHeight);  // off the right
  ExpectRect(s.target, 210, 57, 410, 282);
  ExpectRect(s.source, 0, 0, 533, 600);
  s = PlaceScan(layout, {0, -50}, 100, 100, kImageWidth, kImageHeight);  // off the top
  ExpectRect(s.target, 10, 20, 310, 232);
  ExpectRect(s.source, 0, 34, 800, 599);
  s = PlaceScan(layout, {0, 100}, 100, 100, kImageWidth, kImageHeight);  // off the bottom
  ExpectRect(s.target, 10, 157, 310, 320);
  ExpectRect(s.source, 0, 0, 800, 434);
}

TEST(ScanPlacement, IsInvisibleOnceItLeftTheClipArea) {
  const PreviewLayout layout = Layout();
  EXPECT_FALSE(PlaceScan(layout, {500, 0}, 100, 100, kImageWidth, kImageHeight).Visible());
  EXPECT_FALSE(PlaceScan(layout, {-400, 0}, 100, 100, kImageWidth, kImageHeight).Visible());
  EXPECT_FALSE(PlaceScan(layout, {0, 300}, 100, 100, kImageWidth, kImageHeight).Visible());
  EXPECT_FALSE(PlaceScan(layout, {0, -300}, 100, 100, kImageWidth, kImageHeight).Visible());
  // The smallest zoom still shows the whole image in 3 x 225 pixels.
  const ScanPlacement thin = PlaceScan(layout, {0, 0}, 1, 100, kImageWidth, kImageHeight);
  ExpectRect(thin.target, 10, 57, 13, 282);
  ExpectRect(thin.source, 0, 0, 800, 600);
}

TEST(PreviewHitTest, FindsEdgesAndCornersWithinFourPixels) {
  const PreviewLayout layout = Layout();
  const ScanPlacement scan =
      PlaceScan(layout, {40, 22}, 100, 100, kImageWidth, kImageHeight);  // 50,79-350,304
  EXPECT_EQ(HitTest(layout, scan, {5, 100}), kDragNone);                 // outside the clip area
  EXPECT_EQ(HitTest(layout, scan, {52, 150}), kDragLeft);
  EXPECT_EQ(HitTest(layout, scan, {46, 150}), kDragLeft);  // 4 pixels out: still the edge
  EXPECT_EQ(HitTest(layout, scan, {45, 150}), kDragMove);  // 5 pixels out: not any more
  EXPECT_EQ(HitTest(layout, scan, {348, 150}), kDragRight);
  EXPECT_EQ(HitTest(layout, scan, {200, 81}), kDragTop);
  EXPECT_EQ(HitTest(layout, scan, {200, 302}), kDragBottom);
  EXPECT_EQ(HitTest(layout, scan, {51, 80}), 5);
  EXPECT_EQ(HitTest(layout, scan, {51, 303}), 6);
  EXPECT_EQ(HitTest(layout, scan, {349, 80}), 9);
  EXPECT_EQ(HitTest(layout, scan, {349, 303}), 10);
  EXPECT_EQ(HitTest(layout, scan, {200, 200}), kDragMove);
  EXPECT_EQ(HitTest(layout, scan, {380, 200}), kDragMove);  // in the clip area beside the scan
  EXPECT_EQ(HitTest(layout, scan, {50, 30}), kDragMove);    // in line with the left edge, far above it
}

TEST(PreviewHitTest, ChoosesTheCursorOfEachMode) {
  EXPECT_EQ(CursorFor(kDragTop), PreviewCursor::SizeNS);
  EXPECT_EQ(CursorFor(kDragBottom), PreviewCursor::SizeNS);
  EXPECT_EQ(CursorFor(kDragLeft), PreviewCursor::SizeWE);
  EXPECT_EQ(CursorFor(kDragRight), PreviewCursor::SizeWE);
  EXPECT_EQ(CursorFor(5), PreviewCursor::SizeNWSE);
  EXPECT_EQ(CursorFor(10), PreviewCursor::SizeNWSE);
  EXPECT_EQ(CursorFor(6), PreviewCursor::SizeNESW);
  EXPECT_EQ(CursorFor(9), PreviewCursor::SizeNESW);
  EXPECT_EQ(CursorFor(kDragMove), PreviewCursor::Arrow);
  EXPECT_EQ(CursorFor(kDragNone), PreviewCursor::Arrow);
}

TEST(PreviewDrag, MovesTheScanWithTheMouse) {
  const PreviewLayout layout = Layout();
  const DragStart start = BeginDrag(layout, kDragMove, {200, 200}, {40, 22}, 100, 100);
  EXPECT_EQ(start.anchor, (PixelPoint{160, 178}));
  const DragOutcome out = DragTo(layout, start, {230, 190}, {40, 22}, 100, 100);
  EXPECT_EQ(out.previewOffset, (PixelPoint{70, 12}));
  EXPECT_EQ(out.widthZoom, 100);
  const ScreenOffsets xy = ScreenOffsetsFromPreview(layout, kSizes, out.previewOffset);
  EXPECT_EQ(xy.x, 336);
  EXPECT_EQ(xy.y, 57);
}

TEST(PreviewDrag, RightAndBottomEdgesZoomAndKeepTheOffset) {
  const PreviewLayout layout = Layout();
  DragStart start = BeginDrag(layout, kDragRight | kDragBottom, {350, 304}, {40, 22}, 100, 100);
  DragOutcome out = DragTo(layout, start, {410, 349}, {40, 22}, 100, 100);
  EXPECT_EQ(out.widthZoom, 120);   // (300 + 60) * 100 / 300
  EXPECT_EQ(out.heightZoom, 120);  // (225 + 45) * 100 / 225
  EXPECT_EQ(out.previewOffset, (PixelPoint{40, 22}));
  out = DragTo(layout, start, {0, 304}, {40, 22}, 100, 100);  // past the left edge: the smallest zoom
  EXPECT_EQ(out.widthZoom, 1);
  EXPECT_EQ(out.heightZoom, 100);
}

TEST(PreviewDrag, LeftAndTopEdgesZoomAndKeepTheOppositeEdge) {
  const PreviewLayout layout = Layout();
  DragStart start = BeginDrag(layout, kDragLeft, {50, 150}, {40, 22}, 100, 100);
  DragOutcome out = DragTo(layout, start, {20, 150}, {40, 22}, 100, 100);
  EXPECT_EQ(out.widthZoom, 110);       // (300 + 30) * 100 / 300
  EXPECT_EQ(out.previewOffset.x, 10);  // right edge stays at 10 + 10 + 330 = 350
  EXPECT_EQ(out.previewOffset.y, 22);
  start = BeginDrag(layout, kDragTop, {200, 79}, {40, 22}, 100, 100);
  out = DragTo(layout, start, {200, 49}, {40, 22}, 100, 100);
  EXPECT_EQ(out.heightZoom, 113);      // (225 + 30) * 100 / 225
  EXPECT_EQ(out.previewOffset.y, -7);  // bottom stays at 304: 304 - 57 - 254
  EXPECT_EQ(out.previewOffset.x, 40);
}

TEST(PreviewDrag, LeftEdgeStopsAtFiveTimesTheFittedRight) {
  // A 4:1 scan is 900 preview pixels wide at 100 %, so the mouse limit (-5 * 410) bites before
  // the zoom limit.
  const FullSizes sizes{1920, 1080, 4800, 1200};
  const PreviewLayout layout = Layout(sizes);
  ASSERT_EQ(layout.hundred.Width(), 900);
  const DragStart start = BeginDrag(layout, kDragLeft, {10, 150}, {0, 0}, 100, 100);
  const DragOutcome atLimit = DragTo(layout, start, {-2050, 150}, {0, 0}, 100, 100);
  const DragOutcome beyond = DragTo(layout, start, {-3000, 150}, {0, 0}, 100, 100);
  const DragOutcome before = DragTo(layout, start, {-2000, 150}, {0, 0}, 100, 100);
  EXPECT_EQ(atLimit.widthZoom, 328);  // (900 + 2060) * 100 / 900
  EXPECT_EQ(beyond.widthZoom, 328);
  EXPECT_EQ(before.widthZoom, 323);
  EXPECT_EQ(beyond.previewOffset.x, -2052);  // 910 - 10 - 2952
  EXPECT_EQ(ScreenOffsetsFromPreview(layout, sizes, beyond.previewOffset).x, -9849);
}

TEST(PreviewSteps, MoveOnePixelAndStopAtTheLimits) {
  EXPECT_EQ(StepOffsets(StepDirection::Up, 5, 5, kSizes), (PixelPoint{5, 4}));
  EXPECT_EQ(StepOffsets(StepDirection::Down, 5, 5, kSizes), (PixelPoint{5, 6}));
  EXPECT_EQ(StepOffsets(StepDirection::Left, 5, 5, kSizes), (PixelPoint{4, 5}));
  EXPECT_EQ(StepOffsets(StepDirection::Right, 5, 5, kSizes), (PixelPoint{6, 5}));
  EXPECT_EQ(StepOffsets(StepDirection::Right, 1920, 0, kSizes), (PixelPoint{1920, 0}));
  EXPECT_EQ(StepOffsets(StepDirection::Left, -7200, 0, kSizes), (PixelPoint{-7200, 0}));
  EXPECT_EQ(StepOffsets(StepDirection::Down, 0, 1080, kSizes), (PixelPoint{0, 1080}));
}

}  // namespace
}  // namespace zt::shell
