// What each display keeps of its own: the size choice and the four calibration values. The
// geometry values of the settings key always hold the chosen display's; the other displays'
// wait in the key's "Displays" subkey, one text value each, named by the display's identity.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "overlay/engine/settings/settings_values.h"

namespace zt::shell {

// The room's calibration, in HKEY_LOCAL_MACHINE: the settings key and its subkey of the other
// displays' records. The package lets every user write values in both.
inline constexpr char kCalibrationKey[] = "Software\\Corvane\\Zentab Lumbrel";
inline constexpr char kDisplaysKey[] = "Software\\Corvane\\Zentab Lumbrel\\Displays";

struct DisplayCalibration {
  std::int32_t saveImageSize = kDefaultSaveImageSize;
  std::int32_t widthZoom = kDefaultWidthZoom;
  std::int32_t heightZoom = kDefaultHeightZoom;
  std::int32_t x = kDefaultXCoordinate;
  std::int32_t y = kDefaultYCoordinate;

  bool operator==(const DisplayCalibration& o) const {
    return saveImageSize == o.saveImageSize && widthZoom == o.widthZoom && heightZoom == o.heightZoom &&
           x == o.x && y == o.y;
  }
};

DisplayCalibration CalibrationOf(const SettingsValues& values);
void PutCalibration(const DisplayCalibration& calibration, SettingsValues& values);

// The stored text: the five numbers in the order of the settings key ("0 100 100 -12 40").
std::string FormatDisplayCalibration(const DisplayCalibration& calibration);
// Nothing for a text that is not exactly five whole numbers within what the dialog accepts
// (size choice 0 or 1, zooms 1..500, offsets -50000..5000).
std::optional<DisplayCalibration> ParseDisplayCalibration(const std::string& text);

// The value name of a display's record; the primary screen's choice has one of its own.
std::string DisplayRecordName(const std::string& identity);

// The records a save writes, by identity: none while no display but the primary screen has ever
// been chosen (a store that never had a choice stays as it was); from then on the chosen
// display's, from the geometry, and those of every other display visited in the dialog.
// storeHasChoice: the store already holds a display choice.
std::map<std::string, DisplayCalibration> RecordsToWrite(
    const SettingsValues& values, const std::map<std::string, DisplayCalibration>& otherDisplays,
    bool storeHasChoice);

// The geometry for the primary display captured in place of a chosen display that is not
// attached: the primary display's own record, else the record of the primary screen choice,
// else the default zooms and offsets. The size choice of the stored values stays without a record:
// it is the user's, not a display's.
DisplayCalibration StandInCalibration(const SettingsValues& stored,
                                      const std::optional<DisplayCalibration>& primaryOwn,
                                      const std::optional<DisplayCalibration>& primaryChoice);

}  // namespace zt::shell
