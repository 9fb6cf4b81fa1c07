// Planning and writing the three outputs of a save: screenshot, byte copy of the scan, overlay.
#pragma once

#include <cstdint>
#include <string>

#include "common/mbcs_path.h"
#include "overlay/engine/compose.h"
#include "overlay/engine/dib_block.h"
#include "overlay/engine/file_system.h"
#include "overlay/engine/output_names.h"
#include "overlay/engine/region.h"
#include "overlay/engine/settings_values.h"
#include "overlay/imgfile/image_files.h"

namespace zt {

struct OutputPlan {
  std::int32_t format = kFormatJpeg;
  std::int32_t saveImageSize = 0;
  OutputPaths paths;
  Region screenRegion;
  Region scanRegion;
};

// Regions from the settings and the image sizes, format and names from the scan's path. False
// when the save folder is not a folder, the placement has no valid values or no names are free.
bool PlanOutputs(FileSystem& fs, const SettingsValues& settings, const std::string& lastScanPath,
                 const DibBlock& screen, const DibBlock& scan, OutputPlan& plan,
                 LeadByteTest isLead = SystemLeadByte);

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

// Writes the screenshot, copies the working copy as the original and writes the overlay (or its
// substitute). Nothing existing is replaced; a file that this call began and could not finish is
// removed, files finished before a failure stay.
bool WriteOutputs(ImageFiles& images, FileSystem& fs, const OutputPlan& plan, const OutputSources& sources);

}  // namespace zt
