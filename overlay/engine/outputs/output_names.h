// Output names: the format follows the scan's extension, and each save takes the first counter
// suffix for which none of its three files exists.
#pragma once

#include <cstdint>
#include <string>

#include "common/mbcs_path.h"
#include "overlay/engine/outputs/file_system.h"

namespace zt {

inline constexpr std::int32_t kFormatJpeg = 13;
inline constexpr std::int32_t kFormatTiff = 9;
inline constexpr std::int32_t kFormatPdf = 59;

// Format code, file name and extension (with its dot) of the scan at path. JPEG, PDF and TIFF
// keep the scan's own extension; anything else is written as JPEG with ".jpg".
struct OutputFormat {
  std::int32_t format = kFormatJpeg;
  std::string name;
  std::string extension;
};
bool FormatFromExtension(OutputFormat& out, const std::string& path, LeadByteTest isLead = SystemLeadByte);

struct OutputPaths {
  std::string screenshot;  // folder\Original\name_Screenshot<suffix><ext>
  std::string original;    // folder\Original\name<suffix><ext>
  std::string overlaid;    // folder\name_Overlaid<suffix><ext>
};

// The first free triple for suffixes "", "_001" ... "_999" under saveFolder, creating
// saveFolder\Original when needed. False when the folder cannot be made, a path would be longer
// than the platform allows, or all 1000 triples are taken.
bool ChooseOutputNames(FileSystem& fs, const std::string& saveFolder, const std::string& name,
                       const std::string& extension, OutputPaths& out, LeadByteTest isLead = SystemLeadByte);

}  // namespace zt
