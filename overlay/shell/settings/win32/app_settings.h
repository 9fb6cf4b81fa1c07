// CAppSettings: the application's settings and captions. It picks the language file and the
// dialog font, sets up the folders the program works in, reads every caption, and keeps the
// seven user settings: save folder and auto-save in "Settings.ini" of the per-user settings
// folder, the image geometry under HKEY_LOCAL_MACHINE "Software\Corvane\Zentab Lumbrel".
// The frame owns the one instance; dialogs get a pointer to it.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "overlay/engine/settings/settings_values.h"
#include "overlay/shell/settings/admin_settings.h"
#include "overlay/shell/settings/caption_keys.h"
#include "overlay/shell/settings/display_calibration.h"

namespace zt::shell {

// Shows a settings failure to the user: the caption text and the message-box style.
using SettingsMessageSink = std::function<void(const char* text, UINT style)>;

class CAppSettings {
 public:
  // Beside the running program; failures go to message boxes titled "Zentab Lumbrel".
  CAppSettings();
  // programFolder (ending in a separator) stands for the running program's folder when given;
  // failures go to sink.
  CAppSettings(SettingsMessageSink sink, const char* programFolder);
  CAppSettings(const CAppSettings&) = delete;
  CAppSettings& operator=(const CAppSettings&) = delete;

  // Reads key of section from the language file into buffer and undoes its escapes. Returns the
  // number of characters read (from the file or the default text); on 0 the whole buffer is
  // zeroed. Never writes past size bytes.
  DWORD LoadCaption(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer, DWORD size) const;
  // The caption's text, read into a buffer of its size (empty when the file has none).
  std::string CaptionText(const Caption& caption) const;

  // Save folder (at most 259 characters), auto-save and the lesson's three from Settings.ini;
  // defaults when missing, and for the lesson's when out of range. The defaults are the
  // installation's where it gave one; what a policy sets stands over all of it.
  void ReadIniSettings(SettingsValues& values) const;
  // The geometry and the chosen display from the registry (the key is created when missing and
  // rights allow; without the right to write it, it is read as it is); false when the key cannot be
  // opened, the geometry is then the defaults. A value that cannot be read gives its default.
  // Defaults and policies as above.
  bool ReadRegistrySettings(SettingsValues& values) const;

  // The settings an administrator's policy sets, and so locks: the machine's over the user's.
  AdminValues Policy() const;
  // The values a user starts from: the program's own defaults, with the installation's over them.
  SettingsValues Defaults() const;
  // Whether the save folder was given for this PC, by a policy or at installation: then the
  // program has no first question to ask of its user.
  bool AdminGaveSaveFolder() const;

  // What a display (by identity; empty = the primary screen's choice) had when it was last the
  // chosen one; nothing when it never was or its record is unreadable.
  std::optional<DisplayCalibration> ReadDisplayCalibration(const std::string& identity) const;
  bool WriteDisplayCalibration(const std::string& identity, const DisplayCalibration& calibration) const;

  // Both reads; on false (registry key not accessible) the failure message is shown and values
  // holds what could be read and the defaults.
  bool LoadAllSettings(SettingsValues& values) const;
  // Writes all seven values, the handout and the save balloon (once off their defaults or already
  // in the file; never the lesson gap) and both version stamps, and once a display has been
  // chosen the choice, that display's record and the records of otherDisplays (what other
  // displays had in the dialog); true only when every write succeeded, otherwise the failure
  // message is shown (what was written stays written).
  bool SaveAllSettings(const SettingsValues& values,
                       const std::map<std::string, DisplayCalibration>& otherDisplays = {}) const;

  // True when Settings.ini's values (FolderSettingsDiffer), or the geometry, differ from what is
  // stored now.
  bool FolderSettingsChanged(const SettingsValues& values) const;
  bool ImageSettingsChanged(const SettingsValues& values) const;

  const LOGFONTA& DialogFont() const { return m_logFont; }
  const char* AppName() const { return m_szAppName; }
  const char* ProgramFolder() const { return m_szProgramFolder; }  // ends in a separator, or ""
  const char* CaptionFilePath() const { return m_szCaptionFile; }
  const char* SettingsFilePath() const { return m_szSettingsFile; }
  // Ends in a backslash; "" only when the local application data folder is unknown.
  const char* SdDownloadFolder() const { return m_szSdDownloadFolder; }
  const char* DefaultSaveFolder() const { return m_szDefaultSaveFolder; }

 private:
  void Initialise(const char* programFolder);
  void PickCaptionFile();
  void BuildDialogFont();
  void SetUpFolders();
  void ShowFailure(UINT style) const;
  void ShowFailure(const Caption& caption, UINT style) const;
  AdminValues InstalledDefaults() const;
  void ApplyPolicy(SettingsValues& values, const AdminValues& policy) const;
  // The values as stored, before any policy, with defaults for what is missing.
  void ReadStoredIni(SettingsValues& values, const SettingsValues& defaults) const;
  bool ReadStoredRegistry(SettingsValues& values, const SettingsValues& defaults) const;

  SettingsMessageSink m_sink;
  LOGFONTA m_logFont{};
  char m_szAppName[caption::kAppName.bufferSize] = {};
  char m_szProgramFolder[MAX_PATH] = {};
  char m_szCaptionFile[MAX_PATH] = {};
  char m_szSettingsFile[MAX_PATH] = {};
  char m_szSdDownloadFolder[MAX_PATH] = {};
  char m_szDefaultSaveFolder[MAX_PATH] = {};
};

}  // namespace zt::shell
