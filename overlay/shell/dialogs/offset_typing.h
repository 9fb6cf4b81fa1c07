// What the X and Y edits of the settings dialog do with each change of their text: a minus sign
// may stand alone while the user goes on typing, anything else becomes a number in range.
#pragma once

#include <string>

#include "overlay/shell/dialogs/preview_geometry.h"

namespace zt::shell {

struct OffsetTyping {
  enum class Action {
    Leave,      // empty or a lone "-": wait for more typing, take nothing over
    MinusOnly,  // "-0" and the like: show "-" with the caret after it, take nothing over
    Replace,    // show text (the number) selected, then take the values over
    Accept,     // the text is the number already: take the values over
  };
  Action action = Action::Leave;
  int value = 0;
  std::string text;
};

// Keeps a leading "-" and the digits, drops every other character, converts and clamps.
OffsetTyping FilterOffsetTyping(const std::string& typed, IntRange range);

// The number the edit stands for when its values are taken over: empty and "-" count as 0.
int OffsetFromText(const std::string& text, IntRange range);

}  // namespace zt::shell
