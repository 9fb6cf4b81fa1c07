// Calibration from a scan of marks drawn on the pattern's targets: scans drawn where known
// settings put the targets must give those settings back, and the wrong scans their refusal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "overlay/engine/calibration_fit.h"
#include "overlay/engine/calibration_targets.h"
#include "overlay/engine/scan_image.h"
#include "test_images.h"

namespace zt {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Settings {
  int wz, hz, x, y;
};

// A calibration board: its scan size, the screen, the settings that place it, and the drawing.
struct Board {
  int scanW, scanH, screenW, screenH;
  Settings truth;
  bool dots = false;     // else crosses, one arm broken by a gap
  double degrees = 0;    // the marks turned about the centre target's mark
  bool clutter = false;  // long strokes and noise specks beside the marks
  int keep = 5;          // marks drawn, in target order
};

// Where the settings put each target on the scan: the placement inverted.
std::vector<TargetPoint> MarkCentres(const Board& b) {
  std::vector<TargetPoint> centres;
  for (const TargetPoint& t : CalibrationTargets(b.screenW, b.screenH))
    centres.push_back({(t.x - b.truth.x) * b.scanH * 100.0 / (b.truth.wz * b.screenH),
                       (t.y - b.truth.y) * b.scanH * 100.0 / (b.truth.hz * b.screenH)});
  return centres;
}

// Paints ink where inside(dx, dy) holds, dx and dy taken from (cx, cy), within radius r of it.
void Paint(DibBlock& scan, double cx, double cy, double r,
           const std::function<bool(double, double)>& inside) {
  for (int y = std::max(0, int(cy - r)); y <= std::min(scan.Height() - 1, int(cy + r)); ++y)
    for (int x = std::max(0, int(cx - r)); x <= std::min(scan.Width() - 1, int(cx + r)); ++x)
      if (inside(x - cx, y - cy)) test::SetPixel(scan, x, y, test::kInk);
}

void DrawMark(DibBlock& scan, const Board& b, TargetPoint at) {
  const double arm = b.scanH / 40.0, half = std::max(1.5, b.scanH / 400.0), a = b.degrees * kPi / 180;
  Paint(scan, at.x, at.y, 2 * arm, [&](double dx, double dy) {
    const double p = std::abs(dx * std::cos(a) + dy * std::sin(a)),
                 q = std::abs(dy * std::cos(a) - dx * std::sin(a));
    if (b.dots) return p * p + q * q <= arm * arm / 6;
    return (p <= arm && q <= half && (p < arm / 2 || p > arm / 2 + 2)) || (q <= arm && p <= half);
  });
}

// Near-white paper (every byte 200 or more), the marks and the clutter.
DibPtr DrawBoard(const Board& b) {
  DibPtr scan = test::MakeImage(b.scanW, b.scanH, [](int x, int y) {
    return test::Bgr{static_cast<std::uint8_t>(200 + (x * 7 + y) % 56), 250, 240};
  });
  const std::vector<TargetPoint> centres = MarkCentres(b);
  const double a = b.degrees * kPi / 180, margin = b.scanH / 20.0;
  for (int t = 0; t < b.keep; ++t) {
    const double dx = centres[t].x - centres[2].x, dy = centres[t].y - centres[2].y;
    const TargetPoint at{centres[2].x + dx * std::cos(a) - dy * std::sin(a),
                         centres[2].y + dx * std::sin(a) + dy * std::cos(a)};
    if (at.x > margin && at.y > margin && at.x < b.scanW - margin && at.y < b.scanH - margin)
      DrawMark(*scan, b, at);
  }
  if (!b.clutter) return scan;
  // A wavy stroke halfway between targets 1 and 4, the board's frame along its bottom edge, specks.
  const double wx = (centres[0].x + centres[3].x) / 2, wy = (centres[0].y + centres[3].y) / 2,
               len = b.scanH / 7.0;
  Paint(*scan, wx, wy, len,
        [&](double dx, double dy) { return std::abs(dy - len / 4 * std::sin(dx / 9)) < 2; });
  for (int x = 0; x < b.scanW; ++x) test::SetPixel(*scan, x, b.scanH - 5, test::kInk);
  for (unsigned s = 1; s < 400; ++s)
    test::SetPixel(*scan, s * 7919 % b.scanW, s * 104729 % b.scanH, test::kBlack);
  return scan;
}

// The marks found through the ink cells must be those found reading every pixel.
void ExpectPathsAgree(const DibBlock& scan, const InkCells& cells) {
  const ScanMarks fast = FindScanMarks(scan, cells), plain = FindScanMarksPlain(scan);
  EXPECT_EQ(fast.marks, plain.marks);
  EXPECT_EQ(fast.specks, plain.specks);
  EXPECT_EQ(fast.strokes, plain.strokes);
  EXPECT_EQ(fast.inkShare, plain.inkShare);
}

CalibrationResult Calibrate(const DibBlock& scan, const Board& b) {
  const InkCells cells = FindInkCells(scan);
  ExpectPathsAgree(scan, cells);
  return CalibrateFromScan(scan, cells, b.screenW, b.screenH);
}

// The scan drawn as a two-colour portrait page, read as the load reads one: expanded and turned.
CalibrationResult CalibrateTwoColour(const DibBlock& landscape, const Board& b) {
  const auto page = test::Monochrome(b.scanH, b.scanW, test::kWhite, test::kBlack, [&](int x, int y) {
    return IsInk(landscape.TopDownRow(b.scanH - 1 - x) + 3 * y);
  });
  TurnedScan turned;
  EXPECT_TRUE(TurnScan(ViewOf(*ExpandMonochrome(*ReadLoadedDib(page.data()))), turned));
  ExpectPathsAgree(*turned.scan, turned.ink);
  return CalibrateFromScan(*turned.scan, turned.ink, b.screenW, b.screenH);
}

TEST(CalibrateFromScan, RecoversTheSettingsThatPlacedTheMarks) {
  const Board boards[] = {
      {2400, 1700, 1920, 1080, {130, 118, -150, -60}, false, 1.0, true},
      {2400, 1200, 1920, 1080, {200, 170, -300, -250}, true, -1.0, true},
      // Half width zoom: only targets 1, 3 and 4 lie on the board (and turning them would move
      // the two outer ones alike, which the placement, having no turn, cannot follow).
      {1200, 600, 1920, 1080, {50, 150, 200, -200}, false, 0.0, true},
      {1210, 850, 1280, 1024, {100, 90, -100, 40}, true, 0.0, true},
  };
  for (const Board& b : boards) {
    SCOPED_TRACE(testing::Message() << b.scanW << "x" << b.scanH << " zooms " << b.truth.wz << "/"
                                    << b.truth.hz);
    DibPtr scan = DrawBoard(b);
    for (const CalibrationResult& r : {Calibrate(*scan, b), CalibrateTwoColour(*scan, b)}) {
      EXPECT_EQ(r.refusal, CalibrationRefusal::None);
      EXPECT_LE(std::abs(r.widthZoom - b.truth.wz), 0.01 * b.truth.wz);
      EXPECT_LE(std::abs(r.heightZoom - b.truth.hz), 0.01 * b.truth.hz);
      EXPECT_LE(std::abs(r.x - b.truth.x), 2);
      EXPECT_LE(std::abs(r.y - b.truth.y), 2);
    }
  }
}

TEST(CalibrateFromScan, RefusesScansWithoutAUsablePattern) {
  const Board b{1210, 850, 1920, 1080, {120, 110, -50, 30}};
  auto refusal = [&](const DibBlock& scan) { return Calibrate(scan, b).refusal; };
  EXPECT_EQ(refusal(*test::Filled(b.scanW, b.scanH, test::kWhite)), CalibrationRefusal::NoMarks);
  DibPtr specks = test::MakeImage(
      b.scanW, b.scanH, [](int x, int y) { return x % 97 == 0 && y % 89 == 0 ? test::kInk : test::kWhite; });
  EXPECT_EQ(refusal(*specks), CalibrationRefusal::NoMarks);
  EXPECT_EQ(refusal(*test::Filled(b.scanW, b.scanH, test::Bgr{150, 150, 150})), CalibrationRefusal::AllInk);
  for (int keep : {0, 1, 2}) {
    Board few = b;
    few.keep = keep;
    few.clutter = true;
    EXPECT_EQ(refusal(*DrawBoard(few)), CalibrationRefusal::TooFewMarks) << keep;
  }
  // Four dots that no placement puts three of on targets.
  DibPtr zigzag = test::Filled(b.scanW, b.scanH, test::kWhite);
  for (const TargetPoint at : {TargetPoint{100, 500}, {400, 100}, {700, 700}, {1000, 300}})
    Paint(*zigzag, at.x, at.y, 8, [](double dx, double dy) { return dx * dx + dy * dy < 50; });
  EXPECT_EQ(refusal(*zigzag), CalibrationRefusal::MarksOffPattern);
}

std::vector<ScanMark> MarksAt(const std::vector<TargetPoint>& centres) {
  std::vector<ScanMark> marks;
  for (const TargetPoint& c : centres) marks.push_back(ScanMark{c.x, c.y, 100, 0, 0, 0, 0});
  return marks;
}

TEST(FitCalibration, RefusesLooseMarksAndSettingsOutOfRange) {
  // Targets 4 and 5 marked 3.7 % of the screen height off, in directions no placement follows.
  const Board b{1200, 850, 1920, 1080, {120, 110, -50, 30}};
  std::vector<TargetPoint> centres = MarkCentres(b);
  const double du = 0.037 * 850 * 100 / b.truth.wz, dv = 0.037 * 850 * 100 / b.truth.hz;
  centres[3] = {centres[3].x + du, centres[3].y + dv};
  centres[4] = {centres[4].x - du, centres[4].y - dv};
  const CalibrationResult loose = FitCalibration(MarksAt(centres), 850, 1920, 1080);
  EXPECT_EQ(loose.refusal, CalibrationRefusal::ResidualTooLarge);
  EXPECT_EQ(loose.matched, 5);

  // A wide strip of a board, so far to the right of the screen that its offset is beyond -50000.
  const Board strip{1200, 100, 1920, 1080, {480, 100, -60000, 0}};
  const CalibrationResult far = FitCalibration(MarksAt(MarkCentres(strip)), 100, 1920, 1080);
  EXPECT_EQ(far.refusal, CalibrationRefusal::OutOfRange);
  EXPECT_EQ(far.widthZoom, 480);
}

}  // namespace
}  // namespace zt
