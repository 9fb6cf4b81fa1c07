// What the Wine tests of the settings store share: the real per-user folders of the prefix,
// a clean registry key and settings file, throw-away program folders with their own Lang
// folder, and a recorder for the failure messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "overlay/shell/settings/win32/app_settings.h"

namespace zt::winetest {

inline constexpr char kKeyPath[] = "Software\\Corvane\\Zentab Lumbrel";

std::string KnownFolder(int csidl);  // through shell32's SHGetFolderPathA
std::string LocalAppData();
std::string SettingsFolder();  // LocalAppData\Corvane\Zentab Lumbrel
std::string MyPictures();
std::string ExeFolder();  // ends in a backslash

void WriteFileBytes(const std::string& path, const std::string& bytes);
void RemoveTree(const std::string& path);
// Deletes Settings.ini and the registry key, and undoes what an interrupted test left behind.
void ResetStore();

// The default settings with this save folder and auto-save choice.
inline SettingsValues SavingInto(const std::string& folder, int autoSave = kDefaultAutoSave) {
  SettingsValues values;
  values.saveFolder = folder;
  values.autoSave = autoSave;
  return values;
}

// A program folder under the temp folder, removed again at destruction.
class ProgramFolder {
 public:
  ProgramFolder();
  ~ProgramFolder();
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;
  const std::string& Path() const { return m_path; }  // ends in a backslash
  // Writes Lang\<name> with the given text (CRLF line ends are added).
  void LangFile(const std::string& name, const std::string& text) const;

 private:
  std::string m_path;
};

struct Message {
  std::string text;
  UINT style;
};

class Recorder {
 public:
  shell::SettingsMessageSink Sink() {
    return [this](const char* text, UINT style) { messages.push_back({text, style}); };
  }
  std::vector<Message> messages;
};

}  // namespace zt::winetest
