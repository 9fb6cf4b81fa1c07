// The working copy: a byte copy of the current scan file in the settings folder, from which the
// original output is copied. The scan file itself is only read.
#pragma once

#include <string>

#include "common/mbcs_path.h"
#include "overlay/engine/file_system.h"

namespace zt {

// The settings folder: local application data + "\Corvane\Zentab Lumbrel", created when needed.
bool EnsureSettingsFolder(FileSystem& fs, std::string& folder);

// Copies scanPath into the settings folder under its own name and sets workingCopy to the copy.
// The previous working copy is parked as "_old.tmp" meanwhile; when the copy fails it is put
// back, workingCopy keeps its value and the result is false.
bool MakeWorkingCopy(FileSystem& fs, const std::string& scanPath, std::string& workingCopy,
                     LeadByteTest isLead = SystemLeadByte);

}  // namespace zt
