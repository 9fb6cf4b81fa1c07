// The settings store against the real profile API, registry and shell folders of a Wine prefix.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include <sddl.h>

#include "common/win32/handles.h"
#include "overlay/shell/settings/win32/app_settings.h"
#include "tests/support/registry_look.h"
#include "tests/support/shell_wine_fixture.h"

namespace zt::shell {
namespace {

using winetest::ProgramFolder;
using winetest::Recorder;

const char kCaptions[] =
    "[Language_Info]\nlangID_1=1033\nprimary_langID=9\n"
    "[Message]\nID_CAP_APPNAME=Test App\nID_CAP_MES_VERSION_NUM=Test Version 2.5\n"
    "ID_CAP_MES_FAILEDTOACCESS_SETTING=Settings not accessible\n";

std::string IniValue(const char* key) {
  char text[512] = {};
  GetPrivateProfileStringA("Settings", key, "(missing)", text, sizeof text,
                           (winetest::SettingsFolder() + "\\Settings.ini").c_str());
  return text;
}

// Type and bytes of a value of the settings key.
std::pair<DWORD, std::string> RegistryValue(const char* name) {
  app::UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, winetest::kKeyPath, 0, KEY_QUERY_VALUE, key.Receive()) !=
      ERROR_SUCCESS)
    return {0, ""};
  char data[512] = {};
  DWORD type = 0, size = sizeof data;
  const LONG r = RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  return r == ERROR_SUCCESS ? std::make_pair(type, std::string(data, size))
                            : std::make_pair(DWORD{0}, std::string());
}

void SetRegistryValue(const char* name, DWORD type, const std::string& bytes) {
  app::UniqueKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, winetest::kKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            key.Receive(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key.Get(), name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                 static_cast<DWORD>(bytes.size()));
}

// Settings unlike the defaults in every value: folder, auto-save, image size, zooms, x and y (no
// display chosen).
SettingsValues BoardSettings() { return {"C:\\Scans\\Board", 0, 1, 150, 75, -20, 35, "", ""}; }

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    winetest::ResetStore();
    folder.LangFile("English.ini", kCaptions);
  }
  void TearDown() override { winetest::ResetStore(); }

  // Every value starts out as none the store could give, so that one left unread shows.
  SettingsValues Load(const CAppSettings& settings, bool* ok = nullptr) {
    SettingsValues v{"(unread)", -1, -1, -1, -1, -1, -1, "(unread)", "(unread)", -1, -1, -1};
    const bool result = settings.LoadAllSettings(v);
    if (ok) *ok = result;
    return v;
  }

  ProgramFolder folder;
  Recorder recorder;
};

TEST_F(SettingsStore, FoldersAreSetUpInTheUsersLocalApplicationData) {
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  ASSERT_FALSE(winetest::LocalAppData().empty());
  EXPECT_EQ(settings.SettingsFilePath(), winetest::SettingsFolder() + "\\Settings.ini");
  EXPECT_EQ(settings.SdDownloadFolder(), winetest::SettingsFolder() + "\\ZTLB_SDWiFi\\");
  EXPECT_TRUE(GetFileAttributesA(settings.SdDownloadFolder()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_NE(GetFileAttributesA(settings.SdDownloadFolder()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(settings.DefaultSaveFolder(), winetest::MyPictures());
  EXPECT_FALSE(std::string(settings.DefaultSaveFolder()).empty());
  EXPECT_TRUE(recorder.messages.empty());
}

// A new profile whose Pictures folder is not there yet: it is made, without a message. The
// profile's folder is pointed at a new name for the test, so that nothing of the prefix changes.
// Wine makes such a folder as a link to the Unix home folder: it is never emptied, only unlinked.
TEST_F(SettingsStore, APicturesFolderNotMadeYetIsMadeWithoutAMessage) {
  const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  app::UniqueKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, shellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.Receive()),
            ERROR_SUCCESS);
  char before[MAX_PATH] = {};
  DWORD type = REG_EXPAND_SZ, size = sizeof before;
  const bool had = RegQueryValueExA(key.Get(), "My Pictures", nullptr, &type, reinterpret_cast<BYTE*>(before),
                                    &size) == ERROR_SUCCESS;
  const std::string unexpanded = "%USERPROFILE%\\New pictures " + std::to_string(GetTickCount64());
  char expanded[MAX_PATH] = {};
  ExpandEnvironmentStringsA(unexpanded.c_str(), expanded, sizeof expanded);
  const std::string fresh = expanded;
  ASSERT_EQ(GetFileAttributesA(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
  RegSetValueExA(key.Get(), "My Pictures", 0, REG_EXPAND_SZ,
                 reinterpret_cast<const BYTE*>(unexpanded.c_str()),
                 static_cast<DWORD>(unexpanded.size() + 1));

  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  EXPECT_EQ(settings.DefaultSaveFolder(), fresh);
  const DWORD made = GetFileAttributesA(fresh.c_str());
  EXPECT_TRUE(made != INVALID_FILE_ATTRIBUTES && (made & FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_TRUE(recorder.messages.empty());

  if (had)
    RegSetValueExA(key.Get(), "My Pictures", 0, type, reinterpret_cast<const BYTE*>(before), size);
  else
    RegDeleteValueA(key.Get(), "My Pictures");
  key.Reset();
  RemoveDirectoryA(fresh.c_str());  // never recursive: it may be a link to a folder of the user's
}

TEST_F(SettingsStore, NothingStoredYetGivesTheDefaultsAndCreatesTheKey) {
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  bool ok = false;
  const SettingsValues v = Load(settings, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(v.saveFolder, winetest::MyPictures());
  EXPECT_EQ(v.autoSave, 1);
  EXPECT_EQ(v.saveImageSize, 0);
  EXPECT_EQ(v.widthZoom, 100);
  EXPECT_EQ(v.heightZoom, 100);
  EXPECT_EQ(v.x, 0);
  EXPECT_EQ(v.y, 0);
  ASSERT_TRUE(winetest::KeyExists(HKEY_LOCAL_MACHINE, winetest::kKeyPath));
  EXPECT_TRUE(recorder.messages.empty());
  const SettingsValues defaults = winetest::SavingInto(winetest::MyPictures());
  EXPECT_FALSE(settings.FolderSettingsChanged(defaults));
  EXPECT_FALSE(settings.ImageSettingsChanged(defaults));
}

TEST_F(SettingsStore, SavedValuesComeBackWithTheirNamesAndTypes) {
  {
    const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
    EXPECT_TRUE(settings.SaveAllSettings(BoardSettings()));
  }
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(IniValue("SaveFolderPath"), "C:\\Scans\\Board");
  EXPECT_EQ(IniValue("AutoSave"), "0");
  EXPECT_EQ(IniValue("SoftVersion"), "Test Version 2.5");
  const std::pair<DWORD, std::string> x = RegistryValue("XCoordinate");
  EXPECT_EQ(x.first, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(x.second, std::string("\xEC\xFF\xFF\xFF", 4));
  for (const char* name : {"SaveImageSize", "WidthZoom", "HeightZoom", "YCoordinate"}) {
    EXPECT_EQ(RegistryValue(name).first, static_cast<DWORD>(REG_DWORD)) << name;
  }
  EXPECT_EQ(RegistryValue("SoftwareVersion"),
            std::make_pair(DWORD{REG_SZ}, std::string("Test Version 2.5", 17)));

  const CAppSettings again(recorder.Sink(), folder.Path().c_str());
  const SettingsValues v = Load(again);
  EXPECT_EQ(v.saveFolder, "C:\\Scans\\Board");
  EXPECT_EQ(v.autoSave, 0);
  EXPECT_EQ(v.saveImageSize, 1);
  EXPECT_EQ(v.widthZoom, 150);
  EXPECT_EQ(v.heightZoom, 75);
  EXPECT_EQ(v.x, -20);
  EXPECT_EQ(v.y, 35);

  SettingsValues changed = BoardSettings();
  EXPECT_FALSE(again.FolderSettingsChanged(changed));
  EXPECT_FALSE(again.ImageSettingsChanged(changed));
  changed.saveFolder = "C:\\scans\\board";
  EXPECT_TRUE(again.FolderSettingsChanged(changed));
  changed = BoardSettings();
  changed.autoSave = 1;
  EXPECT_TRUE(again.FolderSettingsChanged(changed));
  changed = BoardSettings();
  changed.y = 36;
  EXPECT_TRUE(again.ImageSettingsChanged(changed));
  changed = BoardSettings();
  changed.saveImageSize = 0;
  EXPECT_TRUE(again.ImageSettingsChanged(changed));
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(SettingsStore, TheLessonsSettingsGoIntoTheFileOnlyOnceTheyMatter) {
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  const std::string ini = settings.SettingsFilePath();
  SettingsValues v = Load(settings);
  EXPECT_EQ(v.lessonHandout, 0);
  EXPECT_EQ(v.saveBalloon, 0);
  EXPECT_EQ(v.lessonGapMinutes, 60);
  // At their defaults a file is written as it always was.
  ASSERT_TRUE(settings.SaveAllSettings(BoardSettings()));
  for (const char* key : {"LessonHandout", "SaveBalloon", "LessonGapMinutes"})
    EXPECT_EQ(IniValue(key), "(missing)") << key;
  // Switched on they are written; the gap never is, so an administrator's stays.
  WritePrivateProfileStringA("Settings", "LessonGapMinutes", "90", ini.c_str());
  SettingsValues lesson = BoardSettings();
  lesson.lessonHandout = lesson.saveBalloon = 1;
  lesson.lessonGapMinutes = 5;
  EXPECT_TRUE(settings.FolderSettingsChanged(lesson));
  ASSERT_TRUE(settings.SaveAllSettings(lesson));
  EXPECT_EQ(IniValue("LessonHandout"), "1");
  EXPECT_EQ(IniValue("SaveBalloon"), "1");
  EXPECT_EQ(IniValue("LessonGapMinutes"), "90");
  EXPECT_EQ(Load(settings).lessonGapMinutes, 90);
  EXPECT_FALSE(settings.FolderSettingsChanged(lesson));
  // Once in the file they are kept up to date, back to their defaults too.
  ASSERT_TRUE(settings.SaveAllSettings(BoardSettings()));
  EXPECT_EQ(IniValue("LessonHandout"), "0");
  EXPECT_EQ(IniValue("SaveBalloon"), "0");
  // Out of range: the defaults.
  WritePrivateProfileStringA("Settings", "LessonHandout", "2", ini.c_str());
  WritePrivateProfileStringA("Settings", "SaveBalloon", "3", ini.c_str());
  WritePrivateProfileStringA("Settings", "LessonGapMinutes", "1441", ini.c_str());
  v = Load(settings);
  EXPECT_EQ(v.lessonHandout, 0);
  EXPECT_EQ(v.saveBalloon, 0);
  EXPECT_EQ(v.lessonGapMinutes, 60);
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(SettingsStore, TheChosenDisplayIsStoredBesideItsGeometryOnceOneIsChosen) {
  const std::string displays = std::string(winetest::kKeyPath) + "\\Displays";
  const std::string projector = "\\\\?\\DISPLAY#Default_Monitor#0001&0000#{e6f07b5f}";
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  // Never chosen: the key holds what it always held.
  ASSERT_TRUE(settings.SaveAllSettings(BoardSettings()));
  EXPECT_FALSE(winetest::ValueExists(HKEY_LOCAL_MACHINE, winetest::kKeyPath, "CaptureDisplay"));
  EXPECT_FALSE(winetest::KeyExists(HKEY_LOCAL_MACHINE, displays));
  EXPECT_EQ(Load(settings).captureDisplay, "");
  // Looking for a display's values makes no key either.
  EXPECT_FALSE(settings.ReadDisplayCalibration(projector));
  EXPECT_FALSE(winetest::KeyExists(HKEY_LOCAL_MACHINE, displays));

  SettingsValues chosen = BoardSettings();
  chosen.captureDisplay = projector;
  chosen.captureDisplayName = "Projector";
  EXPECT_TRUE(settings.ImageSettingsChanged(chosen));
  ASSERT_TRUE(settings.SaveAllSettings(chosen));
  EXPECT_EQ(winetest::StringOr(HKEY_LOCAL_MACHINE, winetest::kKeyPath, "CaptureDisplay"), projector);
  EXPECT_EQ(winetest::StringOr(HKEY_LOCAL_MACHINE, winetest::kKeyPath, "CaptureDisplayName"), "Projector");
  EXPECT_EQ(winetest::StringOr(HKEY_LOCAL_MACHINE, displays, projector.c_str()), "1 150 75 -20 35");
  EXPECT_EQ(RegistryValue("WidthZoom").second, std::string("\x96\0\0\0", 4));  // the five as before
  const SettingsValues loaded = Load(settings);
  EXPECT_EQ(loaded.captureDisplay, projector);
  EXPECT_EQ(loaded.captureDisplayName, "Projector");
  EXPECT_FALSE(settings.ImageSettingsChanged(chosen));

  // Back to the primary screen: the choice is written empty, the primary screen gets its record
  // and the projector keeps its own.
  SettingsValues primary = winetest::SavingInto("C:\\Scans");
  primary.widthZoom = 90;
  const std::string sideScreen = "\\\\?\\DISPLAY#Default_Monitor#0002&0000#{e6f07b5f}";
  ASSERT_TRUE(settings.SaveAllSettings(primary, {{sideScreen, {0, 60, 61, 2, 3}}}));
  EXPECT_EQ(settings.ReadDisplayCalibration(sideScreen), (DisplayCalibration{0, 60, 61, 2, 3}));
  EXPECT_EQ(winetest::StringOr(HKEY_LOCAL_MACHINE, winetest::kKeyPath, "CaptureDisplay"), "");
  EXPECT_EQ(winetest::StringOr(HKEY_LOCAL_MACHINE, displays, "Primary screen"), "0 90 100 0 0");
  EXPECT_EQ(settings.ReadDisplayCalibration(projector), (DisplayCalibration{1, 150, 75, -20, 35}));
  EXPECT_EQ(settings.ReadDisplayCalibration(""), (DisplayCalibration{0, 90, 100, 0, 0}));
  EXPECT_FALSE(settings.ReadDisplayCalibration("\\\\?\\DISPLAY#never#chosen"));

  // A record that is not five numbers is no record.
  EXPECT_TRUE(settings.WriteDisplayCalibration(projector, {0, 100, 100, 0, 0}));
  app::UniqueKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, displays.c_str(), 0, KEY_SET_VALUE, key.Receive()),
            ERROR_SUCCESS);
  RegSetValueExA(key.Get(), projector.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("100 100"), 8);
  key.Reset();
  EXPECT_FALSE(settings.ReadDisplayCalibration(projector));
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(SettingsStore, ValuesOfOtherTypesReadByTheirFirstFourBytes) {
  SetRegistryValue("WidthZoom", REG_SZ, std::string("75", 3));                         // '7' '5' NUL
  SetRegistryValue("HeightZoom", REG_BINARY, std::string("\x2C\x01\0\0\xAA\xBB", 6));  // longer than 4
  SetRegistryValue("XCoordinate", REG_BINARY, std::string("\x10", 1));                 // shorter than 4
  SetRegistryValue("YCoordinate", REG_QWORD, std::string("\xFB\xFF\xFF\xFF\x01\0\0\0", 8));
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  const SettingsValues v = Load(settings);
  EXPECT_EQ(v.saveImageSize, 0);  // missing: its default only
  EXPECT_EQ(v.widthZoom, 0x3537);
  EXPECT_EQ(v.heightZoom, 300);
  EXPECT_EQ(v.x, 16);
  EXPECT_EQ(v.y, -5);
}

TEST_F(SettingsStore, AnOverLongSaveFolderIsCutAt259Characters) {
  const std::string longFolder = "C:\\" + std::string(300, 'a');
  CreateDirectoryA(winetest::SettingsFolder().c_str(), nullptr);
  WritePrivateProfileStringA("Settings", "SaveFolderPath", longFolder.c_str(),
                             (winetest::SettingsFolder() + "\\Settings.ini").c_str());
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  const SettingsValues v = Load(settings);
  EXPECT_EQ(v.saveFolder, longFolder.substr(0, 259));
}

TEST_F(SettingsStore, AFailedIniWriteIsReportedWhileTheRegistryIsStillWritten) {
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  // A folder where Settings.ini should be: every profile write fails.
  ASSERT_TRUE(CreateDirectoryA(settings.SettingsFilePath(), nullptr));
  SettingsValues values = winetest::SavingInto("C:\\Scans");
  values.saveImageSize = 1;
  values.widthZoom = 120;
  values.heightZoom = 130;
  values.x = 5;
  values.y = 6;
  EXPECT_FALSE(settings.SaveAllSettings(values));
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].text, "Settings not accessible");
  EXPECT_EQ(recorder.messages[0].style, static_cast<UINT>(MB_OK));
  EXPECT_EQ(RegistryValue("WidthZoom").second, std::string("\x78\0\0\0", 4));
  RemoveDirectoryA(settings.SettingsFilePath());
}

TEST_F(SettingsStore, SettingsFolderThatCannotBeMadeIsReportedAndDefaultsServe) {
  const std::string corvane = winetest::LocalAppData() + "\\Corvane";
  const std::string parked = corvane + ".parked";
  winetest::RemoveTree(parked);
  ASSERT_TRUE(MoveFileA(corvane.c_str(), parked.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND);
  winetest::WriteFileBytes(corvane, "not a folder");
  {
    const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
    // Once for the settings folder, once for the SD download folder inside it.
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[0].text, "Settings not accessible");
    EXPECT_EQ(recorder.messages[1].style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(settings.SdDownloadFolder(), winetest::SettingsFolder() + "\\ZTLB_SDWiFi\\");
    const SettingsValues v = Load(settings);
    EXPECT_EQ(v.saveFolder, winetest::MyPictures());
    EXPECT_EQ(v.autoSave, 1);
    EXPECT_FALSE(settings.SaveAllSettings(winetest::SavingInto("C:\\Scans")));
    EXPECT_EQ(recorder.messages.size(), 3u);
  }
  DeleteFileA(corvane.c_str());
  MoveFileA(parked.c_str(), corvane.c_str());
}

TEST_F(SettingsStore, AKeyThatCannotBeOpenedFailsTheLoadWithATopmostMessage) {
  // A key whose security allows nobody anything (its owner may still change that).
  app::UniqueKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, winetest::kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.Receive(), nullptr),
            ERROR_SUCCESS);
  SECURITY_DESCRIPTOR denyAll;
  InitializeSecurityDescriptor(&denyAll, SECURITY_DESCRIPTOR_REVISION);
  ACL emptyAcl;
  InitializeAcl(&emptyAcl, sizeof emptyAcl, ACL_REVISION);
  SetSecurityDescriptorDacl(&denyAll, TRUE, &emptyAcl, FALSE);
  ASSERT_EQ(RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &denyAll), ERROR_SUCCESS);
  key.Reset();

  app::UniqueKey probe;
  const LONG denied =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, winetest::kKeyPath, 0, KEY_QUERY_VALUE, probe.Receive());
  probe.Reset();
  if (denied == ERROR_ACCESS_DENIED) {
    const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
    bool ok = true;
    const SettingsValues v = Load(settings, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(v.widthZoom, 100);
    EXPECT_EQ(v.autoSave, 1);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].style,
              static_cast<UINT>(MB_OK | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST));
    EXPECT_FALSE(settings.SaveAllSettings(winetest::SavingInto("C:\\Scans")));
    EXPECT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(IniValue("SaveFolderPath"), "C:\\Scans");  // what could be written stays written
  }
  // Give the key back an open DACL so that it can be deleted.
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, winetest::kKeyPath, 0, WRITE_DAC, key.Receive()),
            ERROR_SUCCESS);
  SECURITY_DESCRIPTOR open;
  InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);
  RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &open);
  key.Reset();
  ASSERT_EQ(denied, ERROR_ACCESS_DENIED) << "this platform does not enforce registry key security";
}

// Which layer gives a value: the machine's policy over the user's policy over the user's stored
// value over the installation's default over the program's own. Auto-save lives in Settings.ini,
// the width zoom in the registry; bad policy values are passed over.
TEST_F(SettingsStore, PoliciesStoredValuesAndInstalledDefaultsStackInTheirOrder) {
  using winetest::WriteDword;
  struct Layer {
    HKEY root;
    const char* key;
  };
  const Layer installed{HKEY_LOCAL_MACHINE, kInstalledDefaultsKey}, userPolicy{HKEY_CURRENT_USER, kPolicyKey},
      machinePolicy{HKEY_LOCAL_MACHINE, kPolicyKey};
  struct Row {
    int installedValue, storedValue, userPolicyValue, machinePolicyValue;  // -1: none
    int autoSave, widthZoom;
    bool locked;
  };
  const Row rows[] = {
      {-1, -1, -1, -1, 1, 100, false}, {0, -1, -1, -1, 0, 120, false}, {0, 1, -1, -1, 1, 90, false},
      {0, 1, 0, -1, 0, 110, true},     {0, 1, 0, 1, 1, 130, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&row - rows));
    winetest::ResetStore();
    const auto put = [](const Layer& layer, int value, int zoom) {
      if (value < 0) return;
      ASSERT_TRUE(WriteDword(layer.root, layer.key, "AutoSave", value));
      ASSERT_TRUE(WriteDword(layer.root, layer.key, "WidthZoom", zoom));
    };
    put(installed, row.installedValue, 120);
    put(userPolicy, row.userPolicyValue, 110);
    put(machinePolicy, row.machinePolicyValue, 130);
    // Of the wrong type or out of range: as if not there.
    ASSERT_TRUE(winetest::WriteText(HKEY_LOCAL_MACHINE, kPolicyKey, "SaveImageSize", "1"));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kPolicyKey, "HeightZoom", 900));
    if (row.storedValue >= 0) {
      const CAppSettings writer(recorder.Sink(), folder.Path().c_str());
      SettingsValues mine = winetest::SavingInto("C:\\Mine", row.storedValue);
      mine.widthZoom = 90;
      ASSERT_TRUE(writer.SaveAllSettings(mine));
    }
    const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
    const SettingsValues v = Load(settings);
    EXPECT_EQ(v.autoSave, row.autoSave);
    EXPECT_EQ(v.widthZoom, row.widthZoom);
    EXPECT_EQ(v.saveImageSize, kDefaultSaveImageSize);
    EXPECT_EQ(v.heightZoom, kDefaultHeightZoom);
    EXPECT_EQ(settings.Policy().Has(AdminSetting::AutoSave), row.locked);
    EXPECT_FALSE(settings.ImageSettingsChanged(v));
    EXPECT_FALSE(settings.FolderSettingsChanged(v));
  }
  EXPECT_TRUE(recorder.messages.empty());
}

// A policy's folder names the user's own share; saving under a policy keeps the user's values.
TEST_F(SettingsStore, APolicyFolderIsExpandedAndASaveKeepsTheUsersOwnValues) {
  char user[128] = {};
  ASSERT_GT(GetEnvironmentVariableA("USERNAME", user, sizeof user), 0u);
  ASSERT_TRUE(winetest::WriteText(HKEY_LOCAL_MACHINE, kPolicyKey, "SaveFolderPath",
                                  "\\\\server\\boards\\%USERNAME%", REG_EXPAND_SZ));
  ASSERT_TRUE(winetest::WriteDword(HKEY_CURRENT_USER, kPolicyKey, "AutoSave", 0));
  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  EXPECT_TRUE(settings.AdminGaveSaveFolder());
  SettingsValues v = Load(settings);
  EXPECT_EQ(v.saveFolder, std::string("\\\\server\\boards\\") + user);
  EXPECT_EQ(v.autoSave, 0);
  v.widthZoom = 140;
  ASSERT_TRUE(settings.SaveAllSettings(v));
  EXPECT_EQ(IniValue("SaveFolderPath"), winetest::MyPictures());
  EXPECT_EQ(IniValue("AutoSave"), "1");
  EXPECT_EQ(RegistryValue("WidthZoom").second, std::string("\x8c\0\0\0", 4));
}

// The administrator's language wins over the user's when its file is there; a name that leads out
// of the language folder is no language at all.
TEST_F(SettingsStore, TheAdministratorsLanguageFileIsTakenWhenItIsThere) {
  folder.LangFile("German.ini", "[Language_Info]\nlangID_1=1031\n[Message]\nID_CAP_APPNAME=Deutsch\n");
  const std::pair<const char*, const char*> cases[] = {{"German", "German.ini"},
                                                       {"german.INI", "German.ini"},
                                                       {"French", "English.ini"},
                                                       {"..\\Lang\\German.ini", "English.ini"}};
  for (const auto& [given, file] : cases) {
    SCOPED_TRACE(given);
    ASSERT_TRUE(winetest::WriteText(HKEY_LOCAL_MACHINE, kInstalledDefaultsKey, "Language", given));
    const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
    EXPECT_EQ(settings.CaptionFilePath(), folder.Path() + "Lang\\" + file);
  }
}

// The room's calibration stays readable to a user who may not change it, and a save tells why it
// could not store it.
TEST_F(SettingsStore, AKeyTheUserMayOnlyReadGivesItsValuesAndASaveSaysWhyItFailed) {
  const char kLockedCaptions[] =
      "[Language_Info]\nlangID_1=1033\n[Message]\nID_CAP_MES_FAILEDTOACCESS_SETTING=Settings not accessible\n"
      "ID_CAP_MES_CALIBRATION_LOCKED=Ask your administrator\n";
  folder.LangFile("English.ini", kLockedCaptions);
  ASSERT_TRUE(winetest::WriteDword(HKEY_LOCAL_MACHINE, winetest::kKeyPath, "WidthZoom", 125));
  app::UniqueKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, winetest::kKeyPath, 0, WRITE_DAC, key.Receive()),
            ERROR_SUCCESS);
  PSECURITY_DESCRIPTOR readOnly = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                                   &readOnly, nullptr));
  ASSERT_EQ(RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
  LocalFree(readOnly);

  const CAppSettings settings(recorder.Sink(), folder.Path().c_str());
  bool ok = false;
  const SettingsValues v = Load(settings, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(v.widthZoom, 125);
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_FALSE(settings.SaveAllSettings(winetest::SavingInto("C:\\Scans")));
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].text, "Ask your administrator");
  EXPECT_EQ(IniValue("SaveFolderPath"), "C:\\Scans");

  SECURITY_DESCRIPTOR open;
  InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);
  RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &open);
}

}  // namespace
}  // namespace zt::shell
