// Calibration from a scan of marks drawn on the pattern's targets: scans drawn where known
// settings put the targets must give those settings back, and the wrong scans their refusal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "overlay/engine/calibration/calibration_fit.h"
#include "overlay/engine/calibration/calibration_targets.h"
#include "overlay/engine/pixels/scan_image.h"
#include "tests/support/test_images.h"

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
  bool stray = false;    // a dot beside the first target not marked, off its centre by 3 % of
                         // the screen height across and down
};

// Where the settings put each target on the scan: the placement inverted.
std::vector<TargetPoint> MarkCentres(const Board& b) {
  std::vector<TargetPoint> centres;
  for (const TargetPoint& t : CalibrationTargets(b.screenW, b.screenH))
    centres.push_back({(t.x - b.truth.x) * b.scanH * 100.0 / (b.truth.wz * b.screenH),
                       (t.y - b.truth.y) * b.scanH * 100.0 / (b.truth.hz * b.screenH)});
  return centres;
}

// The mark centres turned by b.degrees about the centre target's mark.
std::vector<TargetPoint> TurnedCentres(const Board& b) {
  std::vector<TargetPoint> centres = MarkCentres(b);
  const double a = b.degrees * kPi / 180;
  const TargetPoint middle = centres[2];
  for (TargetPoint& c : centres) {
    const double dx = c.x - middle.x, dy = c.y - middle.y;
    c = {middle.x + dx * std::cos(a) - dy * std::sin(a), middle.y + dx * std::sin(a) + dy * std::cos(a)};
  }
  return centres;
}

// The point the given share of the screen height away from target t's mark, at angle radians.
TargetPoint Beside(const Board& b, int t, double share, double angle) {
  const TargetPoint c = MarkCentres(b)[t];
  const double d = share * b.scanH * 100.0;
  return {c.x + d * std::cos(angle) / b.truth.wz, c.y + d * std::sin(angle) / b.truth.hz};
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
  const std::vector<TargetPoint> centres = TurnedCentres(b);
  const double margin = b.scanH / 20.0;
  for (int t = 0; t < b.keep; ++t) {
    const TargetPoint at = centres[t];
    if (at.x > margin && at.y > margin && at.x < b.scanW - margin && at.y < b.scanH - margin)
      DrawMark(*scan, b, at);
  }
  if (b.stray) {
    const TargetPoint at = Beside(b, b.keep, 0.03 * std::sqrt(2.0), kPi / 4);
    Paint(*scan, at.x, at.y, 10, [](double dx, double dy) { return dx * dx + dy * dy < 60; });
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
      // Only targets 1, 2 and 3 lie on the board, and nothing else does (turning them would move
      // the two outer ones alike, which the placement, having no turn, cannot follow).
      {2400, 1700, 1920, 1080, {110, 105, 120, -200}},
      {1210, 850, 1280, 1024, {100, 90, -100, 40}, true, 0.0, true},
      // Four marks, and a stray dot beside the fifth target that is left out.
      {2400, 1700, 1920, 1080, {120, 128, 0, -80}, true, 0.0, false, 4, true},
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
  for (int keep : {0, 1, 2, 3}) {
    Board few = b;
    few.keep = keep;
    few.clutter = true;
    // Three marks on targets are taken only with nothing else on the scan.
    EXPECT_EQ(refusal(*DrawBoard(few)),
              keep < 3 ? CalibrationRefusal::TooFewMarks : CalibrationRefusal::MarksOffPattern)
        << keep;
  }
  // Four dots that no placement puts three of on targets, and four that one puts three of on
  // targets with zooms of 142 and 96 and the fourth beside them.
  const Board wide{2400, 1700, 1920, 1080, {100, 100, 0, 0}};
  for (const auto& [board, dots] :
       {std::pair{b, std::vector<TargetPoint>{{100, 500}, {400, 100}, {700, 700}, {1000, 300}}},
        {wide, {{2210, 1490}, {2220, 170}, {620, 160}, {900, 710}}}}) {
    DibPtr scan = test::Filled(board.scanW, board.scanH, test::kWhite);
    for (const TargetPoint at : dots)
      Paint(*scan, at.x, at.y, 8, [](double dx, double dy) { return dx * dx + dy * dy < 50; });
    EXPECT_EQ(Calibrate(*scan, board).refusal, CalibrationRefusal::MarksOffPattern);
  }
}

ScanMarks MarksAt(const std::vector<TargetPoint>& centres, int strokes = 0) {
  ScanMarks found;
  for (const TargetPoint& c : centres) found.marks.push_back(ScanMark{c.x, c.y, 100, 0, 0, 0, 0});
  found.strokes = strokes;
  return found;
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
  const Board strip{1200, 100, 1920, 1080, {480, 480, -60000, 0}};
  const CalibrationResult far = FitCalibration(MarksAt(MarkCentres(strip)), 100, 1920, 1080);
  EXPECT_EQ(far.refusal, CalibrationRefusal::OutOfRange);
  EXPECT_EQ(far.widthZoom, 480);

  // Marks exactly where a width zoom of 50 and a height zoom of 150 put the targets: no
  // projection stretches the display three times wider than tall.
  const Board stretched{1200, 600, 1920, 1080, {50, 150, 200, -200}};
  EXPECT_EQ(FitCalibration(MarksAt(MarkCentres(stretched)), 600, 1920, 1080).refusal,
            CalibrationRefusal::MarksOffPattern);
}

// The tables' random values, the same on every platform (mt19937's output is fixed by the
// standard, the standard distributions' is not).
struct Dice {
  std::mt19937 engine;
  double Between(double low, double high) { return low + (high - low) * (engine() / 4294967296.0); }
  int Below(int n) { return static_cast<int>(engine() % static_cast<unsigned>(n)); }
};

constexpr int kScanW = 2400, kScanH = 1700, kScreenW = 1920, kScreenH = 1080;

// Lines of writing: words of two to eight letters 55 pixels apart, half of them printed (each
// letter a mark), half joined up (a stroke, or a mark when too short to be one).
ScanMarks Writing(Dice& dice, int lines) {
  std::vector<TargetPoint> marks;
  int strokes = 0;
  const double top = dice.Between(100, kScanH - 100 - 130 * lines);
  for (int line = 0; line < lines; ++line) {
    const double y = top + 130 * line, end = dice.Between(kScanW - 660, kScanW - 60);
    for (double x = dice.Between(60, 660); x < end;) {
      const int letters = 2 + dice.Below(7);
      if (dice.Below(2) == 0)
        for (int k = 0; k < letters; ++k) marks.push_back({x + 55 * k + 25, y + dice.Between(-10, 10)});
      else if (55 * letters > kScanH / kMarkMaxDivisor)
        ++strokes;
      else
        marks.push_back({x + 55 * letters / 2.0, y});
      x += 55 * letters + 60;
    }
  }
  return MarksAt(marks, strokes);
}

// Scans of something else: marks scattered at random beside up to two strokes, and one to five
// lines of writing. Some placing puts a few of such marks on targets; at most 2 in a hundred of
// these scans may pass for a calibration.
TEST(FitCalibration, RarelyTakesOtherInkForThePattern) {
  Dice dice{std::mt19937(20240611)};
  int scans = 0, taken = 0;
  auto fit = [&](const ScanMarks& found) {
    ++scans;
    taken += FitCalibration(found, kScanH, kScreenW, kScreenH).refusal == CalibrationRefusal::None;
  };
  for (int marks = 3; marks <= 12; ++marks)
    for (int strokes = 0; strokes <= 2; ++strokes)
      for (int i = 0; i < 10; ++i) {
        std::vector<TargetPoint> at(marks);
        for (TargetPoint& p : at) p = {dice.Between(40, kScanW - 40), dice.Between(40, kScanH - 40)};
        fit(MarksAt(at, strokes));
      }
  for (int lines = 1; lines <= 5; ++lines)
    for (int i = 0; i < 30; ++i) fit(Writing(dice, lines));
  EXPECT_LE(taken, 0.02 * scans) << taken << " of " << scans;
}

// Settings drawn at random that put every target's mark, turned by degrees, on the scan.
Board RandomBoard(Dice& dice, double degrees) {
  for (;;) {
    Board b{kScanW, kScanH, kScreenW, kScreenH, {}, false, degrees};
    b.truth.wz = 60 + dice.Below(180);
    b.truth.hz = static_cast<int>(b.truth.wz * dice.Between(0.85, 1.2));
    const double unit = kScreenH / (kScanH * 100.0);
    b.truth.x = static_cast<int>(kScreenW / 2 - b.truth.wz * unit * dice.Between(0.3, 0.7) * kScanW);
    b.truth.y = static_cast<int>(kScreenH / 2 - b.truth.hz * unit * dice.Between(0.3, 0.7) * kScanH);
    bool inside = true;
    for (const TargetPoint& c : TurnedCentres(b))
      inside = inside && c.x > 80 && c.y > 80 && c.x < kScanW - 80 && c.y < kScanH - 80;
    if (inside) return b;
  }
}

// How far the settings fitted place the targets' marks, unturned, from the targets.
double WorstPlacing(const Board& b, const CalibrationResult& r) {
  const std::vector<TargetPoint> targets = CalibrationTargets(kScreenW, kScreenH), marks = MarkCentres(b);
  double worst = 0;
  for (std::size_t t = 0; t < targets.size(); ++t)
    worst = std::max(
        worst, std::hypot(r.x + r.widthZoom * kScreenH * marks[t].x / (kScanH * 100.0) - targets[t].x,
                          r.y + r.heightZoom * kScreenH * marks[t].y / (kScanH * 100.0) - targets[t].y));
  return worst;
}

// The marks on keep targets of b, taken in random order, and two marks or strokes elsewhere
// for each target beyond three; with stray, one of those is a mark beside the first target
// left unmarked, off its centre by 2.5 to 5 % of the screen height.
ScanMarks MarksOnTargets(Dice& dice, const Board& b, int keep, bool stray) {
  int order[] = {0, 1, 2, 3, 4};
  for (int k = 4; k > 0; --k) std::swap(order[k], order[dice.Below(k + 1)]);
  const std::vector<TargetPoint> centres = TurnedCentres(b);
  std::vector<TargetPoint> marks;
  for (int k = 0; k < keep; ++k) marks.push_back(centres[order[k]]);
  if (stray) marks.push_back(Beside(b, order[keep], dice.Between(0.025, 0.05), dice.Between(0, 2 * kPi)));
  int strokes = 0;
  for (int others = 2 * (keep - 3) - stray; others > 0;) {
    const TargetPoint p{dice.Between(80, kScanW - 80), dice.Between(80, kScanH - 80)};
    bool apart = true;
    for (const TargetPoint& c : centres)
      apart = apart && std::hypot(p.x - c.x, p.y - c.y) > 0.15 * kScanH * 100 / b.truth.hz;
    if (!apart) continue;
    --others;
    if (dice.Below(2) == 0)
      ++strokes;
    else
      marks.push_back(p);
  }
  return MarksAt(marks, strokes);
}

// Marks on three, four or five targets beside the other ink they allow. Unturned, the settings
// come back; turned, which the placement cannot follow, it still puts every target's mark
// within the residual limit of its target.
TEST(FitCalibration, TakesMarksOnTargetsBesideALittleOtherInk) {
  struct Row {
    int keep;
    double degrees;
    bool stray;
  };
  const Row rows[] = {{3, 0, false}, {4, 0, false},  {5, 0, false}, {4, 0, true},
                      {3, 1, false}, {4, -1, false}, {5, 1, false}, {4, 1, true}};
  Dice dice{std::mt19937(7)};
  for (const Row& row : rows)
    for (int i = 0; i < 20; ++i) {
      const Board b = RandomBoard(dice, row.degrees);
      const CalibrationResult r =
          FitCalibration(MarksOnTargets(dice, b, row.keep, row.stray), kScanH, kScreenW, kScreenH);
      SCOPED_TRACE(testing::Message() << "keep " << row.keep << " turned " << row.degrees << " stray "
                                      << row.stray << " zooms " << b.truth.wz << "/" << b.truth.hz);
      EXPECT_EQ(r.refusal, CalibrationRefusal::None);
      if (row.degrees != 0) {
        EXPECT_LE(WorstPlacing(b, r), kResidualLimit * kScreenH);
        continue;
      }
      EXPECT_LE(std::abs(r.widthZoom - b.truth.wz), 0.01 * b.truth.wz);
      EXPECT_LE(std::abs(r.heightZoom - b.truth.hz), 0.01 * b.truth.hz);
      EXPECT_LE(std::abs(r.x - b.truth.x), 2);
      EXPECT_LE(std::abs(r.y - b.truth.y), 2);
    }
}

}  // namespace
}  // namespace zt
