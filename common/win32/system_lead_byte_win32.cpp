#include <windows.h>

#include "common/mbcs_path.h"

namespace zt {

bool SystemLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }

}  // namespace zt
