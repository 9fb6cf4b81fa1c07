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

bool WriteOutputs(ImageFiles& images, FileSystem& fs, const OutputPlan& plan, const OutputSources& sources) {
  if (!sources.screen || !sources.scan) return false;
  std::int32_t pageWidth = 0, pageHeight = 0;
  if (!ScreenPoints(sources.screen->Width(), pageWidth) ||
      !ScreenPoints(sources.screen->Height(), pageHeight))
    return false;
  // Board size needs a page from the scan's resolution; find out before anything is written.
  std::int32_t boardWidth = 0, boardHeight = 0;
  const bool boardSize = plan.saveImageSize == kSaveImageBoardSize;
  if (boardSize &&
      !BoardPage(sources.scan->Width(), sources.resX, sources.pageOffsetX, boardWidth, boardHeight))
    return false;

  if (!WriteImage(images, fs, *sources.screen, 96, 96, pageWidth, pageHeight, 0, 0, plan.format,
                  plan.paths.screenshot))
    return false;
  if (!CopyNew(fs, sources.workingCopy, plan.paths.original)) return false;
  if (!boardSize) {
    const DibBlock& overlay = sources.overlay ? *sources.overlay : *sources.screen;
    return WriteImage(images, fs, overlay, 96, 96, pageWidth, pageHeight, 0, 0, plan.format,
                      plan.paths.overlaid);
  }
  if (sources.overlay)
    return WriteImage(images, fs, *sources.overlay, sources.resX, sources.resY, boardWidth, boardHeight,
                      sources.pageOffsetX, sources.pageOffsetY, plan.format, plan.paths.overlaid);
  return CopyNew(fs, sources.workingCopy, plan.paths.overlaid);
}

}  // namespace zt
