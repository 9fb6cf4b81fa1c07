#include "overlay/engine/calibration/calibration_fit.h"

#include <algorithm>
#include <cmath>

#include "overlay/engine/calibration/calibration_targets.h"

namespace zt {

namespace {

// display = offset + scale * scan, on one axis.
struct Axis {
  double offset = 0, scale = 0;
  double At(double scan) const { return offset + scale * scan; }
};
struct Placing {
  Axis x, y;
};

struct FitInput {
  const std::vector<ScanMark>& marks;
  std::vector<TargetPoint> targets;
  double zoomPerScale = 0;                  // scan height * 100 / screen height
  double displayHeight = 0, tolerance = 0;  // display pixels
};

// For each target, the mark placed nearest to it within the tolerance, or -1.
struct Matching {
  std::vector<std::int32_t> markOf;
  std::int32_t count = 0;
  double cost = 0;  // the squared distances of the matched marks from their targets, added up

  bool BetterThan(const Matching& o) const { return count > o.count || (count == o.count && cost < o.cost); }
};

double Distance2(const Placing& p, const ScanMark& mark, const TargetPoint& target) {
  const double dx = p.x.At(mark.x) - target.x, dy = p.y.At(mark.y) - target.y;
  return dx * dx + dy * dy;
}

// Targets lie 3/8 of the display's width or height apart, far more than twice the tolerance on
// any display that is not very tall and narrow, so no mark is taken by two targets.
Matching Match(const FitInput& in, const Placing& p) {
  Matching m;
  m.markOf.assign(in.targets.size(), -1);
  const double limit = in.tolerance * in.tolerance;
  for (std::size_t t = 0; t < in.targets.size(); ++t) {
    double nearest = limit;
    for (std::size_t k = 0; k < in.marks.size(); ++k) {
      const double d = Distance2(p, in.marks[k], in.targets[t]);
      if (d < nearest || (d == nearest && m.markOf[t] < 0)) {
        nearest = d;
        m.markOf[t] = static_cast<std::int32_t>(k);
      }
    }
    if (m.markOf[t] >= 0) {
      ++m.count;
      m.cost += nearest;
    }
  }
  return m;
}

// A scale whose zoom rounds into the accepted range; this also turns away targets in one column
// or row, and placements that mirror the scan.
bool ZoomAllowed(const FitInput& in, double scale) {
  const double zoom = scale * in.zoomPerScale;
  return zoom >= kMinZoom - 0.5 && zoom < kMaxZoom + 0.5;
}

// Whether the two zooms lie within kMaxZoomRatio of each other.
bool NearSquare(const Placing& p) {
  return p.x.scale > 0 && p.y.scale > 0 && p.x.scale <= kMaxZoomRatio * p.y.scale &&
         p.y.scale <= kMaxZoomRatio * p.x.scale;
}

// The placing that puts mark a on target i and mark b on target j, if it is an allowed one.
bool PairPlacing(const FitInput& in, const ScanMark& a, const ScanMark& b, const TargetPoint& i,
                 const TargetPoint& j, Placing& p) {
  if (a.x == b.x || a.y == b.y) return false;
  p.x.scale = (j.x - i.x) / (b.x - a.x);
  p.y.scale = (j.y - i.y) / (b.y - a.y);
  if (!ZoomAllowed(in, p.x.scale) || !ZoomAllowed(in, p.y.scale) || !NearSquare(p)) return false;
  p.x.offset = i.x - p.x.scale * a.x;
  p.y.offset = i.y - p.y.scale * a.y;
  return true;
}

// Without knowing the placing, every pair of marks is tried on every pair of targets; the
// placing that matches most targets, the closest of those, wins. False when no pair gives an
// allowed placing.
bool BestMatching(const FitInput& in, Matching& best) {
  bool found = false;
  const std::size_t n = in.marks.size(), targets = in.targets.size();
  for (std::size_t a = 0; a < n; ++a)
    for (std::size_t b = a + 1; b < n; ++b)
      for (std::size_t i = 0; i < targets; ++i)
        for (std::size_t j = 0; j < targets; ++j) {
          Placing p;
          if (i == j || !PairPlacing(in, in.marks[a], in.marks[b], in.targets[i], in.targets[j], p)) continue;
          Matching m = Match(in, p);
          if (!found || m.BetterThan(best)) best = std::move(m);
          found = true;
        }
  return found;
}

// Whether the matched targets lie in two columns and two rows: then each axis has two distinct
// scan positions and its least squares have one answer.
bool SpansColumnsAndRows(const FitInput& in, const Matching& m) {
  bool columns = false, rows = false;
  const TargetPoint* first = nullptr;
  for (std::size_t t = 0; t < in.targets.size(); ++t) {
    if (m.markOf[t] < 0) continue;
    if (!first) first = &in.targets[t];
    columns = columns || in.targets[t].x != first->x;
    rows = rows || in.targets[t].y != first->y;
  }
  return columns && rows;
}

// The matched marks' scan positions beside their targets' display positions, on one axis.
struct AxisPairs {
  std::vector<double> scan, display;
};
struct MatchedPairs {
  AxisPairs x, y;
};

MatchedPairs PairsOf(const FitInput& in, const Matching& m) {
  MatchedPairs pairs;
  for (std::size_t t = 0; t < in.targets.size(); ++t) {
    if (m.markOf[t] < 0) continue;
    pairs.x.scan.push_back(in.marks[m.markOf[t]].x);
    pairs.y.scan.push_back(in.marks[m.markOf[t]].y);
    pairs.x.display.push_back(in.targets[t].x);
    pairs.y.display.push_back(in.targets[t].y);
  }
  return pairs;
}

// Least squares of display = offset + scale * scan.
Axis FitAxis(const AxisPairs& pairs) {
  const std::size_t n = pairs.scan.size();
  double meanScan = 0, meanDisplay = 0;
  for (std::size_t k = 0; k < n; ++k) {
    meanScan += pairs.scan[k] / n;
    meanDisplay += pairs.display[k] / n;
  }
  double across = 0, square = 0;
  for (std::size_t k = 0; k < n; ++k) {
    across += (pairs.scan[k] - meanScan) * (pairs.display[k] - meanDisplay);
    square += (pairs.scan[k] - meanScan) * (pairs.scan[k] - meanScan);
  }
  Axis axis;
  axis.scale = across / square;
  axis.offset = meanDisplay - axis.scale * meanScan;
  return axis;
}

Placing FitPairs(const MatchedPairs& pairs) { return Placing{FitAxis(pairs.x), FitAxis(pairs.y)}; }

// The least-squares placing of the matched marks. A placing made from two marks only can miss
// targets whose marks are a little off; while the fit puts more marks on targets than the
// matching it came from, it is made again from those.
Placing Refine(const FitInput& in, Matching& m) {
  Placing fit = FitPairs(PairsOf(in, m));
  for (;;) {
    Matching again = Match(in, fit);
    if (again.count <= m.count || !SpansColumnsAndRows(in, again)) return fit;
    m = std::move(again);
    fit = FitPairs(PairsOf(in, m));
  }
}

// Root mean square distance of the placed marks from their targets.
double Residual(const MatchedPairs& pairs, const Placing& fit) {
  double sum = 0;
  for (std::size_t k = 0; k < pairs.x.scan.size(); ++k) {
    const double dx = fit.x.At(pairs.x.scan[k]) - pairs.x.display[k];
    const double dy = fit.y.At(pairs.y.scan[k]) - pairs.y.display[k];
    sum += dx * dx + dy * dy;
  }
  return std::sqrt(sum / pairs.x.scan.size());
}

// The setting of one axis: the zoom rounded to a whole percent, then the offset that suits the
// rounded zoom best, rounded. Values far out of range are held where rounding stays defined.
void SettingsOfAxis(const FitInput& in, const AxisPairs& pairs, const Axis& fit, std::int32_t& zoom,
                    std::int32_t& offset) {
  auto whole = [](double v) { return static_cast<std::int32_t>(std::lround(std::clamp(v, -1e9, 1e9))); };
  zoom = whole(fit.scale * in.zoomPerScale);
  const double scale = zoom / in.zoomPerScale;
  double sum = 0;
  for (std::size_t k = 0; k < pairs.scan.size(); ++k) sum += pairs.display[k] - scale * pairs.scan[k];
  offset = whole(sum / pairs.scan.size());
}

// Other ink beside count matched marks: the marks on no target and the strokes.
std::int64_t OtherInk(const ScanMarks& found, std::int32_t count) {
  return static_cast<std::int64_t>(found.marks.size()) + found.strokes - count;
}

std::int64_t OtherInkAllowed(std::int32_t count) { return kOtherInkPerExtraTarget * std::max(0, count - 3); }

// The target of the k-th matched mark, in target order (the order of PairsOf).
std::size_t MatchedTarget(const Matching& m, std::size_t k) {
  std::size_t t = 0;
  for (; t < m.markOf.size(); ++t)
    if (m.markOf[t] >= 0 && k-- == 0) break;
  return t;
}

// The matching without target t's mark.
Matching Without(Matching m, std::size_t t) {
  m.markOf[t] = -1;
  --m.count;
  return m;
}

// The placing of marks on a board turned by a small angle: the scan positions are turned by
// turn (radians) about their centre (centreX, centreY), then placed.
struct TurnedPlacing {
  Placing placing;
  double turn = 0, centreX = 0, centreY = 0;

  void At(double x, double y, double& displayX, double& displayY) const {
    const double u = x - centreX, v = y - centreY;
    displayX = placing.x.At(u * std::cos(turn) - v * std::sin(turn));
    displayY = placing.y.At(u * std::sin(turn) + v * std::cos(turn));
  }
};

// The least-squares turned placing of the matched marks but mark skip: the placing is fitted to
// the turned positions, the turn then moved by the step that best takes up what is left, a few
// times over (the turns are small, and each step leaves a small fraction of the last).
TurnedPlacing FitTurned(const MatchedPairs& p, std::size_t skip) {
  const std::size_t n = p.x.scan.size();
  TurnedPlacing f;
  for (std::size_t j = 0; j < n; ++j)
    if (j != skip) f.centreX += p.x.scan[j] / (n - 1), f.centreY += p.y.scan[j] / (n - 1);
  for (int step = 0; step < 4; ++step) {
    MatchedPairs turned;
    for (std::size_t j = 0; j < n; ++j) {
      if (j == skip) continue;
      const double u = p.x.scan[j] - f.centreX, v = p.y.scan[j] - f.centreY;
      turned.x.scan.push_back(u * std::cos(f.turn) - v * std::sin(f.turn));
      turned.y.scan.push_back(u * std::sin(f.turn) + v * std::cos(f.turn));
      turned.x.display.push_back(p.x.display[j]);
      turned.y.display.push_back(p.y.display[j]);
    }
    f.placing = FitPairs(turned);
    double along = 0, square = 0;
    for (std::size_t j = 0; j < turned.x.scan.size(); ++j) {
      const double u = turned.x.scan[j], v = turned.y.scan[j];
      const double dx = -f.placing.x.scale * v, dy = f.placing.y.scale * u;
      along +=
          dx * (turned.x.display[j] - f.placing.x.At(u)) + dy * (turned.y.display[j] - f.placing.y.At(v));
      square += dx * dx + dy * dy;
    }
    f.turn += along / square;
  }
  return f;
}

double Miss2(const MatchedPairs& p, const TurnedPlacing& f, std::size_t k) {
  double x = 0, y = 0;
  f.At(p.x.scan[k], p.y.scan[k], x, y);
  return (x - p.x.display[k]) * (x - p.x.display[k]) + (y - p.y.display[k]) * (y - p.y.display[k]);
}

// Whether the targets of the matched marks but mark skip lie near one line (as targets 1, 3
// and 5 do): a turned placing through them leaves the turn undecided.
bool OthersOnLine(const MatchedPairs& p, std::size_t skip) {
  const std::size_t n = p.x.display.size();
  double mx = 0, my = 0;
  for (std::size_t j = 0; j < n; ++j)
    if (j != skip) mx += p.x.display[j] / (n - 1), my += p.y.display[j] / (n - 1);
  double xx = 0, xy = 0, yy = 0;
  for (std::size_t j = 0; j < n; ++j) {
    if (j == skip) continue;
    const double x = p.x.display[j] - mx, y = p.y.display[j] - my;
    xx += x * x, xy += x * y, yy += y * y;
  }
  return xx * yy - xy * xy <= 0.1 * xx * yy;
}

// A stray mark near a target but off its centre (a number written beside it, a slip of the
// pen) is matched like a mark on it and would pull the fit. While more than three targets are
// matched and the turned placing of the others puts some mark further than kResidualLimit of
// the display height from its target, the mark without which the others agree best is left
// out. The turn lets a board turned a little pass; the search for the best agreement lets the
// others be judged without the stray among them.
void LeaveOutStrays(const FitInput& in, Matching& m) {
  const double limit = kResidualLimit * in.displayHeight;
  while (m.count > 3) {
    const MatchedPairs pairs = PairsOf(in, m);
    const std::size_t n = pairs.x.scan.size();
    double worstMiss2 = 0, leastDisagreement = 0;
    std::size_t stray = n;
    for (std::size_t k = 0; k < n; ++k) {
      if (OthersOnLine(pairs, k)) continue;
      const TurnedPlacing others = FitTurned(pairs, k);
      worstMiss2 = std::max(worstMiss2, Miss2(pairs, others, k));
      double disagreement = 0;
      for (std::size_t j = 0; j < n; ++j) disagreement += j == k ? 0 : Miss2(pairs, others, j);
      if (stray == n || disagreement < leastDisagreement) leastDisagreement = disagreement, stray = k;
    }
    if (worstMiss2 <= limit * limit) return;
    m = Without(m, MatchedTarget(m, stray));
  }
}

bool InRange(std::int32_t value, std::int32_t low, std::int32_t high) {
  return value >= low && value <= high;
}

// The values of the fit of the matched marks, and the refusal they earn. Loose marks (strays
// that could not be left out) are refused whatever their residual.
void Judge(const FitInput& in, const Matching& m, const Placing& fit, bool loose, CalibrationResult& result) {
  const MatchedPairs pairs = PairsOf(in, m);
  result.matched = m.count;
  result.residual = Residual(pairs, fit);
  SettingsOfAxis(in, pairs.x, fit.x, result.widthZoom, result.x);
  SettingsOfAxis(in, pairs.y, fit.y, result.heightZoom, result.y);
  if (!NearSquare(fit))
    result.refusal = CalibrationRefusal::MarksOffPattern;
  else if (loose || result.residual > kResidualLimit * in.displayHeight)
    result.refusal = CalibrationRefusal::ResidualTooLarge;
  else if (!InRange(result.widthZoom, kMinZoom, kMaxZoom) ||
           !InRange(result.heightZoom, kMinZoom, kMaxZoom) || !InRange(result.x, kMinOffset, kMaxOffset) ||
           !InRange(result.y, kMinOffset, kMaxOffset))
    result.refusal = CalibrationRefusal::OutOfRange;
  else
    result.refusal = CalibrationRefusal::None;
}

}  // namespace

CalibrationResult FitCalibration(const ScanMarks& found, std::int32_t scanHeight, std::int32_t screenWidth,
                                 std::int32_t screenHeight) {
  CalibrationResult result;
  if (screenWidth <= 0 || screenHeight <= 0 || scanHeight <= 0) {
    result.refusal = CalibrationRefusal::OutOfRange;
    return result;
  }
  if (found.marks.size() < 3) {
    result.refusal = CalibrationRefusal::TooFewMarks;
    return result;
  }
  result.refusal = CalibrationRefusal::MarksOffPattern;
  // More ink than five matched targets allow beside them: no matching could be kept.
  if (OtherInk(found, 5) > OtherInkAllowed(5)) return result;
  const FitInput in{found.marks, CalibrationTargets(screenWidth, screenHeight),
                    scanHeight * 100.0 / screenHeight, static_cast<double>(screenHeight),
                    kMatchTolerance * screenHeight};
  Matching matching;
  const bool any = BestMatching(in, matching);
  result.matched = matching.count;
  if (!any || matching.count < 3 || !SpansColumnsAndRows(in, matching)) return result;
  Placing fit = Refine(in, matching);
  result.matched = matching.count;
  if (OtherInk(found, matching.count) > OtherInkAllowed(matching.count)) return result;
  // Strays left out count as other ink. When the marks kept cannot stand beside it, the marks
  // are too loose for a calibration, and the refusal keeps the values of all of them.
  Matching kept = matching;
  LeaveOutStrays(in, kept);
  const bool loose = OtherInk(found, kept.count) > OtherInkAllowed(kept.count);
  if (loose)
    kept = matching;
  else if (kept.count < matching.count)
    fit = FitPairs(PairsOf(in, kept));
  Judge(in, kept, fit, loose, result);
  return result;
}

CalibrationResult CalibrateFromScan(const DibBlock& scan, const InkCells& cells, std::int32_t screenWidth,
                                    std::int32_t screenHeight) {
  const ScanMarks found =
      cells.Fit(scan.Width(), scan.Height()) ? FindScanMarks(scan, cells) : FindScanMarksPlain(scan);
  CalibrationResult result;
  if (found.inkShare >= kAllInkShare)
    result.refusal = CalibrationRefusal::AllInk;
  else if (found.marks.empty() && found.strokes == 0)
    result.refusal = CalibrationRefusal::NoMarks;
  else
    result = FitCalibration(found, scan.Height(), screenWidth, screenHeight);
  return result;
}

}  // namespace zt
