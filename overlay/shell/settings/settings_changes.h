// The seven user settings, their defaults and the comparisons that tell whether the user
// changed something against what is stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zt::shell {

// Defaults when the store gives nothing (the save folder's default is the user's My Pictures).
inline constexpr int kDefaultAutoSave = 1;
inline constexpr int kDefaultSaveImageSize = 0;  // 0 = screen size, 1 = board scan size
inline constexpr int kDefaultWidthZoom = 100;
inline constexpr int kDefaultHeightZoom = 100;
inline constexpr int kDefaultXCoordinate = 0;
inline constexpr int kDefaultYCoordinate = 0;

// The geometry kept in the registry, in the order it travels through the program.
struct ImageSettings {
  int saveImageSize = kDefaultSaveImageSize;
  int widthZoom = kDefaultWidthZoom;
  int heightZoom = kDefaultHeightZoom;
  int xCoordinate = kDefaultXCoordinate;
  int yCoordinate = kDefaultYCoordinate;
};

bool ImageSettingsDiffer(const ImageSettings& a, const ImageSettings& b);

// The folder compares byte for byte (case matters); a null folder counts as empty.
bool FolderSettingsDiffer(const char* folder, int autoSave, const char* storedFolder, int storedAutoSave);

// A registry value of any type or size read as a DWORD: its first four bytes, little-endian,
// missing bytes taken as 0.
std::uint32_t FirstFourBytes(const unsigned char* data, std::size_t size);

}  // namespace zt::shell
