#include "overlay/engine/outputs.h"

namespace zt {

namespace {

// Screen-resolution points: pixels * 72 / 96.
bool ScreenPoints(std::int32_t pixels, std::int32_t& points) {
  const std::int64_t value = static_cast<std::int64_t>(pixels) * 72 / 96;
  points = static_cast<std::int32_t>(value);
  return value >= 0 && value <= 0x7FFFFFFF;
}

// Each output goes to a path that did not exist when it was written; a write or copy that fails
// after that may have left a partial file of ours, which is removed. A path that exists already
// belongs to someone else and is left alone.
bool WriteImage(ImageFiles& images, FileSystem& fs, const DibBlock& dib, std::uint16_t resX,
                std::uint16_t resY, std::int32_t pageWidth, std::int32_t pageHeight, std::int32_t offsetX,
                std::int32_t offsetY, std::int32_t format, const std::string& path) {
  if (fs.Exists(path)) return false;
  const int result =
      images.WriteImage(dib.Packed(), resX, resY, pageWidth, pageHeight, offsetX, offsetY, format, path);
  if (result >= 0) return true;
  if (result != kWriteTargetExists) fs.RemoveFile(path);
  return false;
}

bool CopyNew(FileSystem& fs, const std::string& from, const std::string& to) {
  if (fs.Exists(to)) return false;
  const CopyResult result = fs.CopyToNew(from, to);
  if (result == CopyResult::kCopied) return true;
  if (result == CopyResult::kFailed) fs.RemoveFile(to);
  return false;
}

}  // namespace

bool PlanOutputs(FileSystem& fs, const SettingsValues& settings, const std::string& lastScanPath,
                 const DibBlock& screen, const DibBlock& scan, OutputPlan& plan, LeadByteTest isLead) {
  if (settings.saveFolder.empty() || !fs.IsDirectory(settings.saveFolder)) return false;
  Placement placement;
  placement.screenWidth = screen.Width();
  placement.screenHeight = screen.Height();
  placement.scanWidth = scan.Width();
  placement.scanHeight = scan.Height();
  placement.widthZoom = settings.widthZoom;
  placement.heightZoom = settings.heightZoom;
  placement.x = settings.x;
  placement.y = settings.y;
  OutputPlan result;
  if (!ComputeRegions(placement, result.screenRegion, result.scanRegion)) return false;
  OutputFormat format;
  FormatFromExtension(format, lastScanPath, isLead);
  result.format = format.format;
  result.saveImageSize = settings.saveImageSize;
  if (!ChooseOutputNames(fs, settings.saveFolder, format.name, format.extension, result.paths, isLead))
    return false;
  plan = std::move(result);
  return true;
}

bool BoardPage(std::int32_t scanWidth, std::uint16_t resX, std::int32_t pageOffsetX, std::int32_t& pageWidth,
               std::int32_t& pageHeight) {
  if (resX == 0) return false;
  const std::int64_t p = static_cast<std::int64_t>(scanWidth) * 72 / resX;
  const std::int64_t width = p + 2 * static_cast<std::int64_t>(pageOffsetX);
  if (width >= 817) {
    pageWidth = 842;
    pageHeight = 595;
  } else {
    pageWidth = 792;
    pageHeight = 612;
  }
  return true;
}

OutputWriter::OutputWriter(ImageFiles& images, FileSystem& fs, const OutputPlan& plan,
                           const OutputSources& sources)
    : m_images(images), m_fs(fs), m_plan(plan), m_sources(sources) {}

bool OutputWriter::Start() {
  if (!m_sources.screen || !m_sources.scan) return false;
  if (!ScreenPoints(m_sources.screen->Width(), m_pageWidth) ||
      !ScreenPoints(m_sources.screen->Height(), m_pageHeight))
    return false;
  // Board size needs a page from the scan's resolution; find out before anything is written.
  if (m_plan.saveImageSize == kSaveImageBoardSize &&
      !BoardPage(m_sources.scan->Width(), m_sources.resX, m_sources.pageOffsetX, m_boardWidth, m_boardHeight))
    return false;
  m_state = State::kStarted;
  m_screenshot = EngineWorkers().Start([this] {
    m_screenshotWritten = WriteImage(m_images, m_fs, *m_sources.screen, 96, 96, m_pageWidth, m_pageHeight, 0, 0,
                                     m_plan.format, m_plan.paths.screenshot);
  });
  return true;
}

bool OutputWriter::Finish(const DibBlock* overlay) {
  if (m_state != State::kStarted) return false;
  m_state = State::kFinished;
  const OutputSources& s = m_sources;
  const OutputPaths& paths = m_plan.paths;
  // An overlay image is written now, beside the screenshot; the scan file standing in for a
  // board-size overlay is copied after the original, as it is the same bytes.
  const bool boardSize = m_plan.saveImageSize == kSaveImageBoardSize;
  const DibBlock* image = boardSize ? overlay : (overlay ? overlay : s.screen);
  bool overlayWritten = false;
  if (image && boardSize)
    overlayWritten = WriteImage(m_images, m_fs, *image, s.resX, s.resY, m_boardWidth, m_boardHeight, s.pageOffsetX,
                                s.pageOffsetY, m_plan.format, paths.overlaid);
  else if (image)
    overlayWritten = WriteImage(m_images, m_fs, *image, 96, 96, m_pageWidth, m_pageHeight, 0, 0, m_plan.format,
                                paths.overlaid);
  m_screenshot.Wait();
  const bool earlierSteps = m_screenshotWritten && CopyNew(m_fs, s.workingCopy, paths.original);
  if (!earlierSteps) {
    if (overlayWritten) m_fs.RemoveFile(paths.overlaid);
    return false;
  }
  return image ? overlayWritten : CopyNew(m_fs, s.workingCopy, paths.overlaid);
}

void OutputWriter::Abandon() {
  if (m_state != State::kStarted) return;
  m_state = State::kFinished;
  m_screenshot.Wait();
  if (m_screenshotWritten) m_fs.RemoveFile(m_plan.paths.screenshot);
}

bool WriteOutputs(ImageFiles& images, FileSystem& fs, const OutputPlan& plan, const OutputSources& sources) {
  OutputWriter writer(images, fs, plan, sources);
  if (!writer.Start()) return false;
  return writer.Finish(sources.overlay);
}

}  // namespace zt
