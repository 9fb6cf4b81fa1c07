// The working copy: a byte copy of the current scan file in the settings folder, from which the
// original output is copied. The scan file itself is only read.
#pragma once

#include <string>

#include "common/mbcs_path.h"
#include "overlay/engine/outputs/file_system.h"

namespace zt {

// The settings folder: local application data + "\Corvane\Zentab Lumbrel", created when needed.
bool EnsureSettingsFolder(FileSystem& fs, std::string& folder);

// Copies scanPath into the settings folder under its own name and sets workingCopy to the copy.
// The previous working copy is parked as "_old.tmp" meanwhile; when the copy fails it is put
// back, workingCopy keeps its value and the result is false.
bool MakeWorkingCopy(FileSystem& fs, const std::string& scanPath, std::string& workingCopy,
                     LeadByteTest isLead = SystemLeadByte);

// The same in two halves, for a copy made beside the scan's load: Begin makes the new copy with
// the previous one parked, Keep then ends as MakeWorkingCopy ends, and Drop (or the destructor,
// without Keep) takes the new copy away again and puts the previous one back.
class PendingWorkingCopy {
 public:
  explicit PendingWorkingCopy(FileSystem& fs, LeadByteTest isLead = SystemLeadByte)
      : m_fs(fs), m_isLead(isLead) {}
  ~PendingWorkingCopy() { Drop(); }
  PendingWorkingCopy(const PendingWorkingCopy&) = delete;
  PendingWorkingCopy& operator=(const PendingWorkingCopy&) = delete;

  // False when no copy could be made; the previous one is then back in its place.
  bool Begin(const std::string& scanPath, const std::string& workingCopy);
  // The new copy, once Begin has made it.
  const std::string& Path() const { return m_target; }
  // The parked copy goes; workingCopy names the new one.
  void Keep(std::string& workingCopy);
  void Drop();

 private:
  FileSystem& m_fs;
  LeadByteTest m_isLead;
  bool m_made = false, m_hadOld = false;
  std::string m_previous, m_target, m_parked;
};

}  // namespace zt
