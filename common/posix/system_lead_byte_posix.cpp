#include "common/mbcs_path.h"

namespace zt {

// Natively paths are single-byte: the tests that need a double-byte code page pass one.
bool SystemLeadByte(unsigned char) { return false; }

}  // namespace zt
