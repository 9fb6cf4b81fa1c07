// Planning and writing the three outputs of a save: screenshot, byte copy of the scan, overlay.
#pragma once

#include <cstdint>
#include <string>

#include "common/mbcs_path.h"
#include "overlay/engine/outputs/file_system.h"
#include "overlay/engine/outputs/output_names.h"
#include "overlay/engine/pixels/compose.h"
#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/pixels/region.h"
#include "overlay/engine/pixels/worker_pool.h"
#include "overlay/engine/settings/settings_values.h"
#include "overlay/imgfile/image_files.h"

namespace zt {

struct OutputPlan {
  std::int32_t format = kFormatJpeg;
  std::int32_t saveImageSize = 0;
  std::string scanName;  // the scan's file name without its extension
  OutputPaths paths;
  Region screenRegion;
  Region scanRegion;
};

// Regions from the settings and the image sizes, format and names from the scan's path. False
// when the save folder is not a folder, the placement has no valid values or no names are free.
bool PlanOutputs(FileSystem& fs, const SettingsValues& settings, const std::string& lastScanPath,
                 const DibBlock& screen, const DibBlock& scan, OutputPlan& plan,
                 LeadByteTest isLead = SystemLeadByte);
// The two halves of it: what needs only the settings and the scan's path (format, size, names),
// and the regions, which need the images.
bool PlanOutputNames(FileSystem& fs, const SettingsValues& settings, const std::string& scanPath,
                     OutputPlan& plan, LeadByteTest isLead = SystemLeadByte);
bool PlanRegions(const SettingsValues& settings, const DibBlock& screen, const DibBlock& scan,
                 OutputPlan& plan);

// Page of a board-size overlay: A4 landscape (842 x 595 points) when the scan with its side
// offsets is 817 points wide or more, US Letter landscape (792 x 612) otherwise. Worked out in 64
// bits; false for a resolution of 0.
bool BoardPage(std::int32_t scanWidth, std::uint16_t resX, std::int32_t pageOffsetX, std::int32_t& pageWidth,
               std::int32_t& pageHeight);

struct OutputSources {
  const DibBlock* screen = nullptr;   // full screenshot
  const DibBlock* scan = nullptr;     // full scan
  const DibBlock* overlay = nullptr;  // null when the placed scan does not reach the screen
  std::string workingCopy;
  std::uint16_t resX = 0;
  std::uint16_t resY = 0;
  std::int32_t pageOffsetX = 0;
  std::int32_t pageOffsetY = 0;
};

// The three outputs of a save, written so that the screenshot's encoding runs on the engine's
// workers beside the caller's work: Start begins it, and the caller composes the overlay
// meanwhile and hands it to Finish, which writes it beside the screenshot and the original's
// copy (images and the file system must take calls from two threads at once). The files that
// remain are those of the screenshot, the original and the overlay written in that order and
// stopped at the first failure: nothing existing is replaced, a file begun and not finished is
// removed, files finished before the failing step stay, and one finished beside a failing step
// it would have followed is removed.
class OutputWriter {
 public:
  OutputWriter(ImageFiles& images, FileSystem& fs, const OutputPlan& plan, const DibBlock& screen);
  ~OutputWriter() { Abandon(); }
  OutputWriter(const OutputWriter&) = delete;
  OutputWriter& operator=(const OutputWriter&) = delete;

  // Starts the screenshot; false when its page cannot be worked out, and nothing is written.
  bool Start();
  // The rest, from sources (whose screen is the one given above): the overlay (null: the placed
  // scan does not reach the screen) and the original; true when all three are written. A
  // board-size page that cannot be worked out fails it as a first step.
  bool Finish(const OutputSources& sources);
  // No overlay comes (after Start, before Finish): waits for the screenshot and removes it.
  void Abandon();

 private:
  ImageFiles& m_images;
  FileSystem& m_fs;
  const OutputPlan& m_plan;
  const DibBlock& m_screen;
  std::int32_t m_pageWidth = 0, m_pageHeight = 0;
  enum class State { kNew, kStarted, kFinished } m_state = State::kNew;
  bool m_screenshotWritten = false;
  WorkerPool::Task m_screenshot;  // last: waited for before the rest goes
};

// Start and Finish at once: the screenshot, the original and the overlay (or its substitute).
bool WriteOutputs(ImageFiles& images, FileSystem& fs, const OutputPlan& plan, const OutputSources& sources);

}  // namespace zt
