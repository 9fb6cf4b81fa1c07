#include "common/ansi_text.h"

namespace zt {

std::string AnsiToUtf8(const std::string& ansi) { return ansi; }

}  // namespace zt
