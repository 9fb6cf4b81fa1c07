// The comparisons that tell whether the user changed something against what is stored, and how
// a stored registry value of any shape is read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "overlay/engine/settings/settings_values.h"

namespace zt::shell {

// The geometry (size choice, zooms, position) or the display it belongs to differs.
bool ImageSettingsDiffer(const SettingsValues& a, const SettingsValues& b);

// A value the program keeps in Settings.ini differs: the folder (byte for byte, case matters),
// auto-save, the handout or the save balloon. The lesson gap is never the user's change: only an
// administrator sets it, by hand in the file.
bool FolderSettingsDiffer(const SettingsValues& a, const SettingsValues& b);

// A registry value of any type or size read as a DWORD: its first four bytes, little-endian,
// missing bytes taken as 0.
std::uint32_t FirstFourBytes(const unsigned char* data, std::size_t size);

}  // namespace zt::shell
