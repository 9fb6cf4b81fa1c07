#include "overlay/engine/outputs/output_names.h"

#include <cstdio>

namespace zt {

namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool FitsPath(const std::string& path) { return path.size() < kMaxPath; }

}  // namespace

bool FormatFromExtension(OutputFormat& out, const std::string& path, LeadByteTest isLead) {
  const std::size_t sep = FindLastPathSeparator(path, isLead);
  const std::size_t start = sep == std::string::npos ? 0 : sep + 1;
  // A dot is never the trail byte of a double-byte character, so a plain search finds it.
  const std::size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot >= start;
  out.name = path.substr(start, (hasExtension ? dot : path.size()) - start);
  const std::string extension = hasExtension ? path.substr(dot) : std::string();
  const std::string upper = Upper(extension);
  out.extension = extension;
  if (upper == ".JPG" || upper == ".JPEG") {
    out.format = kFormatJpeg;
  } else if (upper == ".PDF") {
    out.format = kFormatPdf;
  } else if (upper == ".TIF" || upper == ".TIFF") {
    out.format = kFormatTiff;
  } else {
    out.format = kFormatJpeg;
    out.extension = ".jpg";
  }
  return true;
}

bool ChooseOutputNames(FileSystem& fs, const std::string& saveFolder, const std::string& name,
                       const std::string& extension, OutputPaths& out, LeadByteTest isLead) {
  const std::string folder = WithBackslash(saveFolder, isLead);
  const std::string originals = folder + "Original";
  if (!FitsPath(originals)) return false;
  if (!fs.IsDirectory(originals) && !fs.MakeDirectory(originals)) return false;
  for (int number = 0; number < 1000; ++number) {
    char suffix[8] = "";
    if (number > 0) std::snprintf(suffix, sizeof suffix, "_%03d", number);
    OutputPaths candidate;
    candidate.screenshot = originals + "\\" + name + "_Screenshot" + suffix + extension;
    candidate.original = originals + "\\" + name + suffix + extension;
    candidate.overlaid = folder + name + "_Overlaid" + suffix + extension;
    // The screenshot name is the longest of the three.
    if (!FitsPath(candidate.screenshot)) return false;
    if (fs.Exists(candidate.screenshot) || fs.Exists(candidate.original) || fs.Exists(candidate.overlaid))
      continue;
    out = std::move(candidate);
    return true;
  }
  return false;
}

}  // namespace zt
