#include "overlay/engine/outputs/working_copy.h"

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

bool PendingWorkingCopy::Begin(const std::string& scanPath, const std::string& workingCopy) {
  Drop();
  std::string folder;
  if (!EnsureSettingsFolder(m_fs, folder)) return false;
  const std::string fileName = FileNameOf(scanPath, m_isLead);
  const std::string target = folder + "\\" + fileName;
  const std::string parked = folder + "\\_old.tmp";
  if (fileName.empty() || target.size() >= kMaxPath) return false;
  // A scan that already lies in the settings folder would be truncated by copying onto itself.
  if (SamePath(scanPath, target)) return false;

  // The old copy is parked first; if it cannot be, the copy below could replace it for good.
  const bool hadOld = !workingCopy.empty() && m_fs.Exists(workingCopy);
  if (hadOld && !m_fs.MoveReplacing(workingCopy, parked)) return false;

  if (!m_fs.CopyReplacing(scanPath, target)) {
    if (hadOld) m_fs.MoveReplacing(parked, workingCopy);
    return false;
  }
  m_made = true;
  m_hadOld = hadOld;
  m_previous = workingCopy;
  m_target = target;
  m_parked = parked;
  return true;
}

void PendingWorkingCopy::Keep(std::string& workingCopy) {
  if (!m_made) return;
  m_made = false;
  if (m_fs.Exists(m_parked)) m_fs.RemoveFile(m_parked);
  workingCopy = m_target;
}

void PendingWorkingCopy::Drop() {
  if (!m_made) return;
  m_made = false;
  // With the same name as the previous copy, the new one is in its place: it goes first.
  m_fs.RemoveFile(m_target);
  if (m_hadOld) m_fs.MoveReplacing(m_parked, m_previous);
}

bool MakeWorkingCopy(FileSystem& fs, const std::string& scanPath, std::string& workingCopy,
                     LeadByteTest isLead) {
  PendingWorkingCopy copy(fs, isLead);
  if (!copy.Begin(scanPath, workingCopy)) return false;
  copy.Keep(workingCopy);
  return true;
}

}  // namespace zt
