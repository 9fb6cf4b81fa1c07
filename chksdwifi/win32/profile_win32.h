// sdwifi.ini through the platform's private-profile reader.
#pragma once

#include <string>

#include "chksdwifi/card_config.h"

namespace zt::sdwifi {

class WinProfileReader : public ProfileReader {
 public:
  std::int32_t ReadInt(const std::string& file, const char* section, const char* key,
                       std::int32_t def) const override;
  std::string ReadString(const std::string& file, const char* section, const char* key,
                         const char* def) const override;
};

// The running program's full path (at most 255 characters), "" when it cannot be had.
std::string ExecutablePath();

}  // namespace zt::sdwifi
