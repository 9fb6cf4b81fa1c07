#include "overlay/engine/working_copy.h"

namespace zt {

namespace {

bool EnsureDirectory(FileSystem& fs, const std::string& path) {
  if (path.size() >= kMaxPath) return false;
  if (!fs.IsDirectory(path)) fs.MakeDirectory(path);
  return fs.IsDirectory(path);
}

// Windows paths compare without regard to ASCII case.
bool SamePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x == '/') x = '\\';
    if (y == '/') y = '\\';
    if (x != y) return false;
  }
  return true;
}

}  // namespace

bool EnsureSettingsFolder(FileSystem& fs, std::string& folder) {
  std::string path;
  if (!fs.LocalAppDataFolder(path)) return false;
  path += "\\Corvane";
  if (!EnsureDirectory(fs, path)) return false;
  path += "\\Zentab Lumbrel";
  if (!EnsureDirectory(fs, path)) return false;
  folder = path;
  return true;
}

bool MakeWorkingCopy(FileSystem& fs, const std::string& scanPath, std::string& workingCopy,
                     LeadByteTest isLead) {
  std::string folder;
  if (!EnsureSettingsFolder(fs, folder)) return false;
  const std::string fileName = FileNameOf(scanPath, isLead);
  const std::string target = folder + "\\" + fileName;
  const std::string parked = folder + "\\_old.tmp";
  if (fileName.empty() || target.size() >= kMaxPath) return false;
  // A scan that already lies in the settings folder would be truncated by copying onto itself.
  if (SamePath(scanPath, target)) return false;

  // The old copy is parked first; if it cannot be, the copy below could replace it for good.
  const bool hadOld = !workingCopy.empty() && fs.Exists(workingCopy);
  if (hadOld && !fs.MoveReplacing(workingCopy, parked)) return false;

  if (!fs.CopyReplacing(scanPath, target)) {
    if (hadOld) fs.MoveReplacing(parked, workingCopy);
    return false;
  }
  if (fs.Exists(parked)) fs.RemoveFile(parked);
  workingCopy = target;
  return true;
}

}  // namespace zt
