// The displays a screenshot can be taken of, and which one a stored choice stands for. A display
// is known by an identity that stays the same when it is plugged in again or the displays are
// numbered anew; the empty identity stands for the primary screen, the program's first choice.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zt {

struct DisplayInfo {
  std::string identity;  // never empty for an attached display
  std::string name;      // what the user knows it by (the monitor's own name where it has one)
  std::string output;    // the adapter output showing it now ("\\.\DISPLAY2"); may change
  // The display's rectangle in the virtual screen, in physical pixels (right, bottom exclusive).
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool primary = false;

  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
};

// The attached display with this identity; null for the empty identity or one not attached.
const DisplayInfo* FindDisplay(const std::vector<DisplayInfo>& displays, const std::string& identity);

// The make and model of the monitor an identity names: the second field of a monitor's
// interface path ("\\?\DISPLAY#GSM5B09#5&2c03&0&UID4352#{...}" gives "GSM5B09"). Empty for an
// output name, and for a monitor that did not say what it is (the system's "Default_Monitor"):
// that is no hardware of its own.
std::string DisplayHardware(const std::string& identity);

// The display a stored choice stands for: the one with its identity; else, the same monitor on
// another connector or adapter (whose interface path differs only there): the one attached
// display of the same make and model. Null when neither is attached, for two attached displays of
// that make and model (no telling which), and for the empty identity.
const DisplayInfo* FindChosenDisplay(const std::vector<DisplayInfo>& displays, const std::string& identity);

// The display a capture takes for a stored choice: the chosen one when attached (as
// FindChosenDisplay finds it), otherwise the primary one; null only when the list has no primary
// display.
const DisplayInfo* CaptureDisplayFor(const std::vector<DisplayInfo>& displays, const std::string& identity);

// The attached displays, the primary one first, read in physical pixels whatever the program's
// scaling mode (Windows only).
std::vector<DisplayInfo> ListDisplays();

}  // namespace zt
