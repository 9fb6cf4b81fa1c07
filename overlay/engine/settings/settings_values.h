// The seven settings of the program, in the order in which they always travel: the save folder
// and auto-save live in Settings.ini, the geometry in the registry. The defaults are what the
// store gives for a value it does not have. Beside them, in the registry too, the display that
// screenshots are taken of; the geometry always belongs to that display.
#pragma once

#include <cstdint>
#include <string>

namespace zt {

inline constexpr std::int32_t kDefaultAutoSave = 1;
inline constexpr std::int32_t kDefaultSaveImageSize = 0;  // 0 = screen size, 1 = board scan size
inline constexpr std::int32_t kDefaultWidthZoom = 100;    // percent
inline constexpr std::int32_t kDefaultHeightZoom = 100;
inline constexpr std::int32_t kDefaultXCoordinate = 0;
inline constexpr std::int32_t kDefaultYCoordinate = 0;

// The lesson: whether each saved overlay also becomes a page of the lesson's PDF, whether a word
// beside the tray icon follows each save, and the pause after which the next save begins a new
// lesson. Off by default: without them the program writes and shows what it always did.
inline constexpr std::int32_t kDefaultLessonHandout = 0;
inline constexpr std::int32_t kDefaultSaveBalloon = 0;
inline constexpr std::int32_t kDefaultLessonGapMinutes = 60;
inline constexpr std::int32_t kMinLessonGapMinutes = 1, kMaxLessonGapMinutes = 24 * 60;

// What the settings dialog accepts for the zooms (percent) and the offsets (screenshot pixels),
// and so what any stored geometry of ours holds.
inline constexpr std::int32_t kMinZoom = 1, kMaxZoom = 500;
inline constexpr std::int32_t kMinOffset = -50000, kMaxOffset = 5000;

struct SettingsValues {
  std::string saveFolder;  // the default is the user's My Pictures, known only at run time
  std::int32_t autoSave = kDefaultAutoSave;
  std::int32_t saveImageSize = kDefaultSaveImageSize;  // SaveImageSize
  std::int32_t widthZoom = kDefaultWidthZoom;
  std::int32_t heightZoom = kDefaultHeightZoom;
  std::int32_t x = kDefaultXCoordinate;  // scan's top-left corner on the screenshot, in screenshot pixels
  std::int32_t y = kDefaultYCoordinate;
  // The display's identity (see displays.h); empty = the primary screen, as without a choice.
  std::string captureDisplay;
  std::string captureDisplayName;  // its name when chosen, shown while it is not attached
  // The lesson, in Settings.ini too; the gap is set there by hand only, never by the program.
  std::int32_t lessonHandout = kDefaultLessonHandout;
  std::int32_t saveBalloon = kDefaultSaveBalloon;
  std::int32_t lessonGapMinutes = kDefaultLessonGapMinutes;
};

// The values Settings.ini keeps, and those the registry keeps, taken from one set into another.
inline void TakeIniValues(SettingsValues& to, const SettingsValues& from) {
  to.saveFolder = from.saveFolder;
  to.autoSave = from.autoSave;
  to.lessonHandout = from.lessonHandout;
  to.saveBalloon = from.saveBalloon;
  to.lessonGapMinutes = from.lessonGapMinutes;
}
inline void TakeRegistryValues(SettingsValues& to, const SettingsValues& from) {
  to.saveImageSize = from.saveImageSize;
  to.widthZoom = from.widthZoom;
  to.heightZoom = from.heightZoom;
  to.x = from.x;
  to.y = from.y;
  to.captureDisplay = from.captureDisplay;
  to.captureDisplayName = from.captureDisplayName;
}

}  // namespace zt
