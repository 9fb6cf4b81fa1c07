#include "tests/support/shell_wine_fixture.h"

#include <shlobj.h>

#include <stdexcept>

#include "common/mbcs_path.h"
#include "common/win32/directory_walk.h"
#include "overlay/shell/settings/admin_settings.h"
#include "tests/support/wine_process.h"

namespace zt::winetest {

std::string KnownFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return "";
  return path;
}

std::string LocalAppData() { return KnownFolder(CSIDL_LOCAL_APPDATA); }
std::string SettingsFolder() { return LocalAppData() + "\\Corvane\\Zentab Lumbrel"; }
std::string MyPictures() { return KnownFolder(CSIDL_MYPICTURES); }

std::string ExeFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return FolderOf(path);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  if (!WriteFileText(path, bytes)) throw std::runtime_error("cannot write " + path);
}

void RemoveTree(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path.c_str());
    return;
  }
  app::ForEachEntry(path + "\\*", [&](const WIN32_FIND_DATAA& data) {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") RemoveTree(path + "\\" + name);
  });
  RemoveDirectoryA(path.c_str());
}

void ResetStore() {
  const std::string corvane = LocalAppData() + "\\Corvane";
  const DWORD attributes = GetFileAttributesA(corvane.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    DeleteFileA(corvane.c_str());
  RemoveTree(SettingsFolder() + "\\Settings.ini");
  RemoveTree(SettingsFolder() + "\\Outbox");     // saves a test left waiting
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKeyPath);  // with the displays' subkey
  // What an administrator may have left: policies of the machine and the user, installed defaults.
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, shell::kPolicyKey);
  RegDeleteTreeA(HKEY_CURRENT_USER, shell::kPolicyKey);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, shell::kInstalledDefaultsKey);
}

ProgramFolder::ProgramFolder() {
  static int counter = 0;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  char name[64];
  std::snprintf(name, sizeof name, "ztshell_%lu_%d", GetCurrentProcessId(), ++counter);
  m_path = std::string(temp) + name + "\\";
  CreateDirectoryA(m_path.c_str(), nullptr);
  CreateDirectoryA((m_path + "Lang").c_str(), nullptr);
}

ProgramFolder::~ProgramFolder() { RemoveTree(m_path.substr(0, m_path.size() - 1)); }

void ProgramFolder::LangFile(const std::string& name, const std::string& text) const {
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  WriteFileBytes(m_path + "Lang\\" + name, crlf);
}

}  // namespace zt::winetest
