#include "common/win32/shell_folder.h"

namespace zt::app {

ShellFolders::ShellFolders() : m_module(LoadLibraryA("shfolder.dll")) {
  if (m_module)
    m_get = reinterpret_cast<GetFolderPathFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(m_module, "SHGetFolderPathA")));
}

ShellFolders::~ShellFolders() {
  if (m_module) FreeLibrary(m_module);
}

bool ShellFolders::Get(int csidl, std::string& path) const {
  char buffer[MAX_PATH] = {};
  constexpr DWORD kCurrentPath = 0;  // SHGFP_TYPE_CURRENT
  if (!m_get || m_get(nullptr, csidl, nullptr, kCurrentPath, buffer) != S_OK || buffer[0] == '\0')
    return false;
  path = buffer;
  return true;
}

}  // namespace zt::app
