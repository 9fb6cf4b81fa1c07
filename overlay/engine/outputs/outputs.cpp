#include "overlay/engine/outputs/outputs.h"

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

bool PlanRegions(const SettingsValues& settings, const DibBlock& screen, const DibBlock& scan,
                 OutputPlan& plan) {
  Placement placement;
  placement.screenWidth = screen.Width();
  placement.screenHeight = screen.Height();
  placement.scanWidth = scan.Width();
  placement.scanHeight = scan.Height();
  placement.widthZoom = settings.widthZoom;
  placement.heightZoom = settings.heightZoom;
  placement.x = settings.x;
  placement.y = settings.y;
  return ComputeRegions(placement, plan.screenRegion, plan.scanRegion);
}

bool PlanOutputNames(FileSystem& fs, const SettingsValues& settings, const std::string& scanPath,
                     OutputPlan& plan, LeadByteTest isLead) {
  if (settings.saveFolder.empty() || !fs.IsDirectory(settings.saveFolder)) return false;
  OutputFormat format;
  FormatFromExtension(format, scanPath, isLead);
  OutputPaths paths;
  if (!ChooseOutputNames(fs, settings.saveFolder, format.name, format.extension, paths, isLead)) return false;
  plan.format = format.format;
  plan.saveImageSize = settings.saveImageSize;
  plan.scanName = std::move(format.name);
  plan.paths = std::move(paths);
  return true;
}

bool PlanOutputs(FileSystem& fs, const SettingsValues& settings, const std::string& lastScanPath,
                 const DibBlock& screen, const DibBlock& scan, OutputPlan& plan, LeadByteTest isLead) {
  OutputPlan result;
  if (!PlanRegions(settings, screen, scan, result) ||
      !PlanOutputNames(fs, settings, lastScanPath, result, isLead))
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

OutputWriter::OutputWriter(ImageFiles& images, FileSystem& fs, const OutputPlan& plan, const DibBlock& screen)
    : m_images(images), m_fs(fs), m_plan(plan), m_screen(screen) {}

bool OutputWriter::Start() {
  if (!ScreenPoints(m_screen.Width(), m_pageWidth) || !ScreenPoints(m_screen.Height(), m_pageHeight))
    return false;
  m_state = State::kStarted;
  m_screenshot = EngineWorkers().Start([this] {
    m_screenshotWritten = WriteImage(m_images, m_fs, m_screen, 96, 96, m_pageWidth, m_pageHeight, 0, 0,
                                     m_plan.format, m_plan.paths.screenshot);
  });
  return true;
}

bool OutputWriter::Finish(const OutputSources& s) {
  if (m_state != State::kStarted) return false;
  const OutputPaths& paths = m_plan.paths;
  // A board-size overlay needs a page from the scan's resolution.
  const bool boardSize = m_plan.saveImageSize == kSaveImageBoardSize;
  std::int32_t boardWidth = 0, boardHeight = 0;
  if (boardSize && (!s.scan || !BoardPage(s.scan->Width(), s.resX, s.pageOffsetX, boardWidth, boardHeight))) {
    Abandon();
    return false;
  }
  m_state = State::kFinished;
  // The original is copied on a worker once the screenshot is written, while an overlay image is
  // written here; the scan file standing in for a board-size overlay is copied after the
  // original, as it is the same bytes.
  bool earlierSteps = false;
  WorkerPool::Task earlier = EngineWorkers().Start([&] {
    m_screenshot.Wait();
    earlierSteps = m_screenshotWritten && CopyNew(m_fs, s.workingCopy, paths.original);
  });
  const DibBlock* image = boardSize ? s.overlay : (s.overlay ? s.overlay : &m_screen);
  bool overlayWritten = false;
  if (image && boardSize)
    overlayWritten = WriteImage(m_images, m_fs, *image, s.resX, s.resY, boardWidth, boardHeight,
                                s.pageOffsetX, s.pageOffsetY, m_plan.format, paths.overlaid);
  else if (image)
    overlayWritten = WriteImage(m_images, m_fs, *image, 96, 96, m_pageWidth, m_pageHeight, 0, 0,
                                m_plan.format, paths.overlaid);
  earlier.Wait();
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
  if (!sources.screen || !sources.scan) return false;
  // Everything that can fail without a file is found out before the first one is begun.
  std::int32_t width = 0, height = 0;
  if (plan.saveImageSize == kSaveImageBoardSize &&
      !BoardPage(sources.scan->Width(), sources.resX, sources.pageOffsetX, width, height))
    return false;
  OutputWriter writer(images, fs, plan, *sources.screen);
  return writer.Start() && writer.Finish(sources);
}

}  // namespace zt
