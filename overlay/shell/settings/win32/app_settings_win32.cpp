#include "overlay/shell/settings/win32/app_settings.h"

#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/mbcs_path.h"
#include "common/win32/directory_walk.h"
#include "common/win32/handles.h"
#include "common/win32/shell_folder.h"
#include "overlay/shell/frame/frame_messages.h"
#include "overlay/shell/settings/caption_file_choice.h"
#include "overlay/shell/settings/caption_keys.h"
#include "overlay/shell/settings/caption_unescape.h"
#include "overlay/shell/settings/dialog_font.h"
#include "overlay/shell/settings/display_calibration.h"
#include "overlay/shell/settings/settings_changes.h"
#include "overlay/shell/settings/win32/stored_value_win32.h"

namespace zt::shell {

namespace {

constexpr char kCaptureDisplay[] = "CaptureDisplay";
constexpr char kCaptureDisplayName[] = "CaptureDisplayName";
constexpr char kIniSection[] = "Settings";
constexpr char kEnglishFile[] = "Lang\\English.ini";
constexpr char kLangFolder[] = "Lang";
constexpr DWORD kModulePathChars = 256;

// Opens the settings key (or its subkey) with the rights both reading and saving need, creating
// it when missing. Gives the system's error code.
LONG OpenSettingsKey(app::UniqueKey& key, const char* name = kCalibrationKey) {
  DWORD disposition = 0;
  return RegCreateKeyExA(HKEY_LOCAL_MACHINE, name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, key.Receive(), &disposition);
}

// The calibration belongs to the room: a user who may not change it still works with it.
// Gives the system's error code; a key that is not there and may not be made is ERROR_FILE_NOT_FOUND.
LONG OpenSettingsKeyToRead(app::UniqueKey& key) {
  if (OpenSettingsKey(key) == ERROR_SUCCESS) return ERROR_SUCCESS;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCalibrationKey, 0, KEY_QUERY_VALUE, key.Receive());
}

// What an administrator left in one key; nothing when the key is not there.
AdminValues ReadAdminKey(HKEY root, const char* name) {
  app::UniqueKey key;
  if (RegOpenKeyExA(root, name, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) return {};
  const auto read = [&key](const char* valueName) { return QueryStoredValue(key.Get(), valueName); };
  const auto expand = [](const std::string& text) -> std::optional<std::string> {
    char expanded[MAX_PATH] = {};
    const DWORD n = ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof expanded);
    if (n == 0 || n > sizeof expanded) return std::nullopt;  // n counts the terminating NUL
    return std::string(expanded);
  };
  return AdminValues::Read(read, expand);
}

// A text value; nothing when it is missing, not text or too long to be ours.
std::optional<std::string> QueryText(HKEY key, const char* name) {
  char text[1024] = {};
  DWORD type = 0;
  DWORD size = sizeof text - 1;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  return std::string(text);  // the buffer's last byte stays 0: never read past it
}

bool SetText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

// A value of any type read by its first four bytes; the default when it cannot be read.
int QueryFirstFourBytes(HKEY key, const char* name, int defaultValue) {
  unsigned char small[4] = {};
  DWORD type = 0;
  DWORD size = sizeof small;
  const LONG result = RegQueryValueExA(key, name, nullptr, &type, small, &size);
  if (result == ERROR_SUCCESS) return static_cast<int>(FirstFourBytes(small, size));
  // A longer value: the buffer's content is undefined after ERROR_MORE_DATA, so read it whole.
  constexpr DWORD kLargestValue = 1u << 20;
  if (result != ERROR_MORE_DATA || size == 0 || size > kLargestValue) return defaultValue;
  std::vector<unsigned char> whole(size);
  DWORD wholeSize = size;
  if (RegQueryValueExA(key, name, nullptr, &type, whole.data(), &wholeSize) != ERROR_SUCCESS)
    return defaultValue;
  return static_cast<int>(FirstFourBytes(whole.data(), wholeSize));
}

bool SetDword(HKEY key, const char* name, int value) {
  const DWORD data = static_cast<DWORD>(value);
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
         ERROR_SUCCESS;
}

// Copies text into a MAX_PATH buffer; refuses (leaves it empty) rather than cutting a path.
bool CopyPath(char (&buffer)[MAX_PATH], const std::string& text) {
  if (text.size() >= MAX_PATH) {
    buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

// Creates the folder when it is not one yet; true when it is a folder afterwards.
bool EnsureDirectory(const std::string& path) {
  if (path.size() >= MAX_PATH) return false;
  if (!PathIsDirectoryA(path.c_str())) CreateDirectoryA(path.c_str(), nullptr);
  return PathIsDirectoryA(path.c_str()) != FALSE;
}

// The plain files of a folder, in the order the file system lists them.
std::vector<std::string> ListFiles(const std::string& folder) {
  std::vector<std::string> files;
  const std::string pattern = folder + "\\*.*";
  if (pattern.size() >= MAX_PATH) return files;
  app::ForEachEntry(pattern, [&](const WIN32_FIND_DATAA& data) {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.emplace_back(data.cFileName);
  });
  return files;
}

// A number of the settings section; its default when it is missing or outside [min, max].
int ReadIniNumber(const char* file, const char* key, int defaultValue, int min, int max) {
  const int value = static_cast<int>(GetPrivateProfileIntA(kIniSection, key, defaultValue, file));
  return value < min || value > max ? defaultValue : value;
}

// Whether the settings section has the key at all: no value read from a file holds a line break.
bool IniKeyPresent(const char* file, const char* key) {
  char text[4] = {};
  GetPrivateProfileStringA(kIniSection, key, "\n", text, sizeof text, file);
  return std::strcmp(text, "\n") != 0;
}

// A setting that older files lack is written only once it matters: at its default, a file that
// never had it stays byte for byte what it was; a file that has it is kept up to date.
bool WriteOptionalNumber(const char* file, const char* key, int value, int defaultValue) {
  if (value == defaultValue && !IniKeyPresent(file, key)) return true;
  char number[16];
  std::snprintf(number, sizeof number, "%d", value);
  return WritePrivateProfileStringA(kIniSection, key, number, file) != FALSE;
}

// The application title: the caption of the settings failure boxes.
constexpr char kApplicationTitle[] = "Zentab Lumbrel";

void ShowMessageBox(const char* text, UINT style) { MessageBoxA(nullptr, text, kApplicationTitle, style); }

}  // namespace

CAppSettings::CAppSettings() : m_sink(ShowMessageBox) { Initialise(nullptr); }

CAppSettings::CAppSettings(SettingsMessageSink sink, const char* programFolder) : m_sink(std::move(sink)) {
  Initialise(programFolder);
}

void CAppSettings::Initialise(const char* programFolder) {
  if (programFolder) {
    CopyPath(m_szProgramFolder, programFolder);
  } else {
    char module[kModulePathChars + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, module, kModulePathChars);
    // A path that did not fit would name some other folder; then no language file is used.
    if (n > 0 && n < kModulePathChars) CopyPath(m_szProgramFolder, FolderOf(module));
  }
  PickCaptionFile();
  BuildDialogFont();
  SetUpFolders();
  LoadCaption(caption::kAppName.section, caption::kAppName.key, "", m_szAppName, sizeof m_szAppName);
}

void CAppSettings::PickCaptionFile() {
  if (!*m_szProgramFolder) return;
  const std::string folder = m_szProgramFolder;
  if (!CopyPath(m_szCaptionFile, folder + kEnglishFile)) return;
  // Without English.ini there is no search at all: every caption gives its default.
  if (!PathFileExistsA(m_szCaptionFile) || PathIsDirectoryA(m_szCaptionFile)) return;

  const std::string langFolder = folder + kLangFolder;
  const std::vector<std::string> files = ListFiles(langFolder);
  const auto read = [&](const std::string& file, const char* key) -> long {
    const std::string path = langFolder + "\\" + file;
    if (path.size() >= MAX_PATH) return 0;
    return static_cast<int>(GetPrivateProfileIntA(kSectionLanguageInfo, key, 0, path.c_str()));
  };
  // A language the administrator gave wins when its file is there.
  if (const std::optional<std::string> given =
          AdminValues::Over(Policy(), InstalledDefaults()).LanguageFile()) {
    for (const std::string& file : files) {
      char path[MAX_PATH];
      if (lstrcmpiA(file.c_str(), given->c_str()) == 0 && CopyPath(path, langFolder + "\\" + file)) {
        std::memcpy(m_szCaptionFile, path, sizeof path);
        return;
      }
    }
  }
  const int chosen = ChooseCaptionFile(files, GetUserDefaultLangID(), read);
  if (chosen >= 0) {
    char path[MAX_PATH];
    if (CopyPath(path, langFolder + "\\" + files[chosen])) std::memcpy(m_szCaptionFile, path, sizeof path);
  }
}

void CAppSettings::BuildDialogFont() {
  char face[kMaxFontFaceChars + 1];
  std::strcpy(face, kDefaultFontFace);
  long charSize = kDefaultCharSize;
  long charSet = kDefaultCharSet;
  if (*m_szCaptionFile) {
    GetPrivateProfileStringA(kSectionLanguageInfo, "Font", kDefaultFontFace, face, sizeof face,
                             m_szCaptionFile);
    charSize = static_cast<int>(
        GetPrivateProfileIntA(kSectionLanguageInfo, "CharSize", kDefaultCharSize, m_szCaptionFile));
    charSet = static_cast<int>(
        GetPrivateProfileIntA(kSectionLanguageInfo, "CharSet", kDefaultCharSet, m_szCaptionFile));
  }
  const DialogFontSpec font = MakeDialogFont(face, charSize, charSet);
  m_logFont = LOGFONTA{};
  m_logFont.lfHeight = font.height;
  m_logFont.lfWeight = font.weight;
  m_logFont.lfCharSet = font.charSet;
  m_logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  m_logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  m_logFont.lfQuality = DEFAULT_QUALITY;
  m_logFont.lfPitchAndFamily = font.pitchAndFamily;
  std::memcpy(m_logFont.lfFaceName, font.faceName, sizeof font.faceName);
}

void CAppSettings::SetUpFolders() {
  const app::ShellFolders shell;
  if (!shell.Available()) return;

  std::string folder;
  const bool localAppDataFound = shell.Get(app::kCsidlLocalAppData, folder);
  if (localAppDataFound) {
    folder += "\\Corvane";
    EnsureDirectory(folder);
    folder += "\\Zentab Lumbrel";
    if (!EnsureDirectory(folder)) ShowFailure(MB_OK);
    CopyPath(m_szSettingsFile, folder + "\\Settings.ini");
    const std::string sdFolder = folder + "\\ZTLB_SDWiFi\\";
    // The path is kept even when the folder cannot be made: whoever lists or empties it then
    // finds nothing, where an empty path would stand for the working directory.
    const bool sdFolderNamed = CopyPath(m_szSdDownloadFolder, sdFolder);
    if (!EnsureDirectory(sdFolder) || !sdFolderNamed) ShowFailure(MB_OK);
  }
  std::string pictures;
  // A new profile may not have the folder yet; it is made rather than refused with a message.
  const bool picturesFound = shell.Get(app::kCsidlMyPictures | app::kCsidlFlagCreate, pictures);
  if (picturesFound) CopyPath(m_szDefaultSaveFolder, pictures);
  if (!picturesFound || !localAppDataFound) ShowFailure(MB_OK);
}

void CAppSettings::ShowFailure(UINT style) const { ShowFailure(caption::kMesFailedToAccessSetting, style); }

void CAppSettings::ShowFailure(const Caption& caption, UINT style) const {
  const std::string text = CaptionText(caption);
  if (m_sink) m_sink(text.c_str(), style);
}

AdminValues CAppSettings::Policy() const {
  return AdminValues::Over(ReadAdminKey(HKEY_LOCAL_MACHINE, kPolicyKey),
                           ReadAdminKey(HKEY_CURRENT_USER, kPolicyKey));
}

AdminValues CAppSettings::InstalledDefaults() const {
  return ReadAdminKey(HKEY_LOCAL_MACHINE, kInstalledDefaultsKey);
}

bool CAppSettings::AdminGaveSaveFolder() const {
  return AdminValues::Over(Policy(), InstalledDefaults()).Has(AdminSetting::SaveFolder);
}

SettingsValues CAppSettings::Defaults() const {
  SettingsValues defaults;
  defaults.saveFolder = m_szDefaultSaveFolder;
  InstalledDefaults().ApplyTo(defaults);
  return defaults;
}

std::string CAppSettings::CaptionText(const Caption& caption) const {
  std::string text(caption.bufferSize, '\0');
  LoadCaption(caption.section, caption.key, "", text.data(), caption.bufferSize);
  text.resize(std::strlen(text.c_str()));
  return text;
}

DWORD CAppSettings::LoadCaption(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer,
                                DWORD size) const {
  if (!buffer || size == 0) return 0;
  DWORD n = 0;
  if (!defaultText) defaultText = "";
  if (section && key && *m_szCaptionFile) {
    n = GetPrivateProfileStringA(section, key, defaultText, buffer, size, m_szCaptionFile);
  } else if (section && key) {
    // No caption file at all: the default, cut to the buffer like the profile API does.
    n = static_cast<DWORD>(std::strlen(defaultText));
    if (n >= size) n = size - 1;
    std::memcpy(buffer, defaultText, n);
  }
  if (n == 0) {
    std::memset(buffer, 0, size);
    return 0;
  }
  if (n >= size) n = size - 1;
  UnescapeCaption(buffer, n, buffer, size);
  return n;
}

void CAppSettings::ReadIniSettings(SettingsValues& values) const {
  ReadStoredIni(values, Defaults());
  Policy().ApplyTo(values);
}

bool CAppSettings::ReadRegistrySettings(SettingsValues& values) const {
  const bool read = ReadStoredRegistry(values, Defaults());
  ApplyPolicy(values, Policy());
  return read;
}

void CAppSettings::ApplyPolicy(SettingsValues& values, const AdminValues& policy) const {
  // A display the policy chooses brings its own calibration: the stored geometry is another
  // display's. Its record, or the defaults, stand until a geometry policy says more.
  SettingsValues chosen = values;
  policy.ApplyTo(chosen);
  if (chosen.captureDisplay != values.captureDisplay) {
    const SettingsValues defaults = Defaults();
    const std::optional<DisplayCalibration> record = ReadDisplayCalibration(chosen.captureDisplay);
    values.widthZoom = record ? record->widthZoom : defaults.widthZoom;
    values.heightZoom = record ? record->heightZoom : defaults.heightZoom;
    values.x = record ? record->x : defaults.x;
    values.y = record ? record->y : defaults.y;
  }
  policy.ApplyTo(values);
}

void CAppSettings::ReadStoredIni(SettingsValues& values, const SettingsValues& defaults) const {
  TakeIniValues(values, defaults);
  if (!*m_szSettingsFile) return;
  char folder[MAX_PATH] = {};
  GetPrivateProfileStringA(kIniSection, "SaveFolderPath", defaults.saveFolder.c_str(), folder, sizeof folder,
                           m_szSettingsFile);
  values.saveFolder = folder;
  values.autoSave =
      static_cast<int>(GetPrivateProfileIntA(kIniSection, "AutoSave", defaults.autoSave, m_szSettingsFile));
  values.lessonHandout = ReadIniNumber(m_szSettingsFile, "LessonHandout", defaults.lessonHandout, 0, 1);
  values.saveBalloon = ReadIniNumber(m_szSettingsFile, "SaveBalloon", defaults.saveBalloon, 0, 1);
  values.lessonGapMinutes = ReadIniNumber(m_szSettingsFile, "LessonGapMinutes", defaults.lessonGapMinutes,
                                          kMinLessonGapMinutes, kMaxLessonGapMinutes);
}

bool CAppSettings::ReadStoredRegistry(SettingsValues& values, const SettingsValues& defaults) const {
  TakeRegistryValues(values, defaults);
  app::UniqueKey key;
  const LONG opened = OpenSettingsKeyToRead(key);
  // Nobody has calibrated this PC yet, and this user may not begin the key: the defaults serve.
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  values.saveImageSize = QueryFirstFourBytes(key.Get(), "SaveImageSize", defaults.saveImageSize);
  values.widthZoom = QueryFirstFourBytes(key.Get(), "WidthZoom", defaults.widthZoom);
  values.heightZoom = QueryFirstFourBytes(key.Get(), "HeightZoom", defaults.heightZoom);
  values.x = QueryFirstFourBytes(key.Get(), "XCoordinate", defaults.x);
  values.y = QueryFirstFourBytes(key.Get(), "YCoordinate", defaults.y);
  if (const std::optional<std::string> display = QueryText(key.Get(), kCaptureDisplay)) {
    values.captureDisplay = *display;
    values.captureDisplayName = QueryText(key.Get(), kCaptureDisplayName).value_or("");
  }
  return true;
}

std::optional<DisplayCalibration> CAppSettings::ReadDisplayCalibration(const std::string& identity) const {
  // Opened for reading only: looking at a display in the dialog must leave the registry as it was.
  app::UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDisplaysKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
    return std::nullopt;
  const std::optional<std::string> text = QueryText(key.Get(), DisplayRecordName(identity).c_str());
  return text ? ParseDisplayCalibration(*text) : std::nullopt;
}

bool CAppSettings::WriteDisplayCalibration(const std::string& identity,
                                           const DisplayCalibration& calibration) const {
  app::UniqueKey key;
  return OpenSettingsKey(key, kDisplaysKey) == ERROR_SUCCESS &&
         SetText(key.Get(), DisplayRecordName(identity).c_str(), FormatDisplayCalibration(calibration));
}

bool CAppSettings::LoadAllSettings(SettingsValues& values) const {
  const SettingsValues defaults = Defaults();
  ReadStoredIni(values, defaults);
  const bool ok = ReadStoredRegistry(values, defaults);
  ApplyPolicy(values, Policy());
  if (!ok) ShowFailure(kMessageBoxNotice);  // topmost: the store may fail before any window
  return ok;
}

bool CAppSettings::SaveAllSettings(const SettingsValues& shown,
                                   const std::map<std::string, DisplayCalibration>& otherDisplays) const {
  SettingsValues stored;
  const SettingsValues defaults = Defaults();
  ReadStoredIni(stored, defaults);
  const bool storedRead = ReadStoredRegistry(stored, defaults);
  const SettingsValues values = ValuesToStore(shown, stored, Policy());
  const std::string versionText = CaptionText(caption::kMesVersionNum);
  const char* version = versionText.c_str();

  bool ok = false;
  if (*m_szSettingsFile) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", static_cast<int>(values.autoSave));
    // A null value would delete the key: an empty folder is written as an empty string.
    const bool folderWritten = WritePrivateProfileStringA(kIniSection, "SaveFolderPath",
                                                          values.saveFolder.c_str(), m_szSettingsFile);
    const bool autoSaveWritten =
        WritePrivateProfileStringA(kIniSection, "AutoSave", number, m_szSettingsFile);
    // The lesson gap is the administrator's, set by hand: the program never writes it.
    const bool handoutWritten =
        WriteOptionalNumber(m_szSettingsFile, "LessonHandout", values.lessonHandout, kDefaultLessonHandout);
    const bool balloonWritten =
        WriteOptionalNumber(m_szSettingsFile, "SaveBalloon", values.saveBalloon, kDefaultSaveBalloon);
    const bool versionWritten =
        WritePrivateProfileStringA(kIniSection, "SoftVersion", version, m_szSettingsFile);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_szSettingsFile);
    ok = folderWritten && autoSaveWritten && handoutWritten && balloonWritten && versionWritten;
  }

  app::UniqueKey key;
  const LONG opened = OpenSettingsKey(key);
  if (opened == ERROR_SUCCESS) {
    bool written = SetDword(key.Get(), "SaveImageSize", values.saveImageSize);
    written = SetDword(key.Get(), "WidthZoom", values.widthZoom) && written;
    written = SetDword(key.Get(), "HeightZoom", values.heightZoom) && written;
    written = SetDword(key.Get(), "XCoordinate", values.x) && written;
    written = SetDword(key.Get(), "YCoordinate", values.y) && written;
    RegSetValueExA(key.Get(), "SoftwareVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(std::strlen(version) + 1));
    const std::map<std::string, DisplayCalibration> records =
        RecordsToWrite(values, otherDisplays, QueryText(key.Get(), kCaptureDisplay).has_value());
    if (!records.empty()) {
      written = SetText(key.Get(), kCaptureDisplay, values.captureDisplay) && written;
      written = SetText(key.Get(), kCaptureDisplayName, values.captureDisplayName) && written;
      for (const auto& [identity, calibration] : records)
        written = WriteDisplayCalibration(identity, calibration) && written;
    }
    ok = ok && written;
  } else {
    // A user who may not write the room's calibration but left it as it is has nothing to store
    // there: the other settings are all the save is about.
    ok = ok && opened == ERROR_ACCESS_DENIED && storedRead && !ImageSettingsDiffer(values, stored) &&
         otherDisplays.empty();
  }
  // The room's calibration may be changed only by those the administrator let: say so, rather than
  // that the settings cannot be reached.
  if (!ok)
    ShowFailure(
        opened == ERROR_ACCESS_DENIED ? caption::kMesCalibrationLocked : caption::kMesFailedToAccessSetting,
        MB_OK);
  return ok;
}

bool CAppSettings::FolderSettingsChanged(const SettingsValues& values) const {
  SettingsValues stored;
  ReadIniSettings(stored);
  return FolderSettingsDiffer(values, stored);
}

bool CAppSettings::ImageSettingsChanged(const SettingsValues& values) const {
  SettingsValues stored;
  ReadRegistrySettings(stored);
  return ImageSettingsDiffer(values, stored);
}

}  // namespace zt::shell
