// The Windows Installer package in a fresh Wine prefix, as an administrator meets it: a silent
// install, ZTLumbrel started from its log-on entry, a silent upgrade and repair while it runs, and
// a silent removal that leaves the user's files alone; then the properties an administrator gives
// on the command line, kept by a repair and an upgrade until the removal.
#include <windows.h>

#include <aclapi.h>
#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/win32/directory_walk.h"
#include "common/win32/handles.h"
#include "installer/installed_defaults.h"
#include "tests/support/detector_look.h"
#include "tests/support/registry_look.h"

namespace {

namespace winetest = zt::winetest;
using winetest::Exists;
using winetest::KeyExists;
using winetest::WriteFileText;
using zt::app::UniqueHandle;
using zt::app::UniqueServiceHandle;

const std::string kPackage = winetest::DosPath(ZT_MSI);
const std::string kNewerPackage = winetest::DosPath(ZT_MSI_NEWER);
constexpr char kUpgradeCode[] = "{6E0B1A53-2F0C-4C1B-9A57-3E6C2D8B7F41}";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kAppIdKey[] = "AppID\\{4B66C5C6-B116-4B5F-B1F7-33D1EAFA86C5}";
constexpr char kExeKey[] = "AppID\\ZTLBScanDetector.EXE";
constexpr char kGeometryKey[] = "Software\\Corvane\\Zentab Lumbrel";
constexpr char kDisplaysKey[] = "Software\\Corvane\\Zentab Lumbrel\\Displays";
constexpr char kDefaultsKey[] = "Software\\Corvane\\Zentab Lumbrel Defaults";
// What every user may do in the room's calibration keys, and what none may.
constexpr ACCESS_MASK kUsersCalibrationAccess =
    KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | READ_CONTROL;
constexpr ACCESS_MASK kNeverForUsers =
    WRITE_DAC | WRITE_OWNER | DELETE | KEY_CREATE_SUB_KEY | GENERIC_WRITE | GENERIC_ALL;

std::string Lumbrel() { return winetest::Env("PROGRAMFILES") + "\\Corvane\\Zentab Lumbrel"; }
std::string SdWifi() { return winetest::Env("PROGRAMFILES") + "\\Corvane\\Zentab SD WiFi"; }

// Every file below folder, as paths relative to it.
void ListFiles(const std::string& folder, const std::string& prefix, std::set<std::string>& out) {
  zt::app::ForEachEntry(folder + "\\*", [&](const WIN32_FIND_DATAA& entry) {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") return;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListFiles(folder + "\\" + name, prefix + name + "\\", out);
    } else {
      out.insert(prefix + name);
    }
  });
}

std::set<std::string> FilesBelow(const std::string& folder) {
  std::set<std::string> files;
  ListFiles(folder, "", files);
  return files;
}

std::string ReadFileText(const std::string& path) {
  UniqueHandle f(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!f) return "<missing>";
  std::string text(GetFileSize(f.Get(), nullptr), '\0');
  DWORD got = 0;
  if (!text.empty()) ReadFile(f.Get(), &text[0], static_cast<DWORD>(text.size()), &got, nullptr);
  text.resize(got);
  return text;
}

DWORD Msiexec(const std::string& args) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  return winetest::RunToEnd(std::string(system) + "\\msiexec.exe", args, 180000);
}

// The one product installed from our upgrade code, with its version; empty when none or several.
std::string InstalledVersion(std::string* productCode = nullptr) {
  char product[39] = {};
  std::vector<std::string> found;
  for (DWORD i = 0; MsiEnumRelatedProductsA(kUpgradeCode, 0, i, product) == ERROR_SUCCESS; ++i)
    found.push_back(product);
  if (found.size() != 1) return found.empty() ? "" : std::to_string(found.size()) + " products";
  if (productCode) *productCode = found[0];
  char version[64] = {};
  DWORD size = sizeof version;
  MsiGetProductInfoA(found[0].c_str(), INSTALLPROPERTY_VERSIONSTRING, version, &size);
  return version;
}

// The running ZTLumbrel: its frame's process and the file it was started from.
struct Running {
  UniqueHandle process;
  DWORD id = 0;
  std::string image;
};

Running FindLumbrel(DWORD timeoutMs) {
  Running r;
  HWND frame = nullptr;
  winetest::WaitFor([&] { return (frame = FindWindowA("ZTLumbrelMainFrame", nullptr)) != nullptr; },
                    timeoutMs);
  if (!frame) return r;
  GetWindowThreadProcessId(frame, &r.id);
  r.process.Reset(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, r.id));
  char image[MAX_PATH] = {};
  DWORD size = sizeof image;
  if (r.process && QueryFullProcessImageNameA(r.process.Get(), 0, image, &size)) r.image = image;
  return r;
}

// ZTLumbrel started as Windows starts it at log-on, with the entry's command line.
Running StartFromLogOnEntry() {
  std::string command = winetest::StringOr(HKEY_LOCAL_MACHINE, kRunKey, "Zentab Lumbrel");
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return {};
  const UniqueHandle thread(pi.hThread);
  const UniqueHandle process(pi.hProcess);
  return FindLumbrel(20000);
}

std::string FileVersion(const std::string& path) {
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT size = 0;
  if (block.empty() ||
      !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
      !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &size)) {
    return "<none>";
  }
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) +
         "." + std::to_string(HIWORD(info->dwFileVersionLS));
}

// The Start-menu entry. Windows Installer puts it in the programs folder of all users for a
// per-machine package; Wine's puts it in the installing user's.
bool StartMenuEntryExists() {
  for (int folder : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
    char programs[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, folder, nullptr, 0, programs) == S_OK &&
        Exists(std::string(programs) + "\\Zentab Lumbrel.lnk")) {
      return true;
    }
  }
  return false;
}

// The manifest inside a program, as text.
std::string ManifestOf(const std::string& program) {
  HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return "";
  std::string text;
  if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    if (bytes) text.assign(bytes, SizeofResource(module, found));
  }
  FreeLibrary(module);
  return text;
}

// What the local Users group is given in a key's DACL: the key's own entries that apply to it
// (mask and flags), and every right any entry of theirs grants, inherited or not.
struct UsersAccess {
  std::vector<std::pair<ACCESS_MASK, BYTE>> own;
  ACCESS_MASK any = 0;
};

UsersAccess UsersAccessOf(const char* key) {
  UsersAccess access;
  zt::app::UniqueKey opened;
  PACL dacl = nullptr;
  zt::app::LocalMemory descriptor;
  BYTE users[SECURITY_MAX_SID_SIZE] = {};
  DWORD size = sizeof users;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, READ_CONTROL, opened.Receive()) != ERROR_SUCCESS ||
      GetSecurityInfo(opened.Get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                      nullptr, descriptor.Receive()) != ERROR_SUCCESS ||
      !dacl || !CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &size)) {
    return access;
  }
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
        !EqualSid(&ace->SidStart, users)) {
      continue;
    }
    access.any |= ace->Mask;
    if (!(ace->Header.AceFlags & (INHERITED_ACE | INHERIT_ONLY_ACE)))
      access.own.emplace_back(ace->Mask, ace->Header.AceFlags);
  }
  return access;
}

// Both calibration keys give every user exactly the right to write values (and their subkeys
// inherit it), or nothing of their own; never a right over the keys themselves.
void ExpectUsersMayCalibrate(bool may) {
  std::vector<std::pair<ACCESS_MASK, BYTE>> expected;
  if (may) expected.emplace_back(kUsersCalibrationAccess, CONTAINER_INHERIT_ACE);
  for (const char* key : {kGeometryKey, kDisplaysKey}) {
    const UsersAccess access = UsersAccessOf(key);
    EXPECT_EQ(access.own, expected) << key;
    EXPECT_EQ(access.any & kNeverForUsers, 0u) << key;
  }
}

bool ServiceExists() {
  const UniqueServiceHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  const UniqueServiceHandle service(scm ? OpenServiceA(scm.Get(), "ZTLBScanDetector", SERVICE_QUERY_STATUS)
                                        : nullptr);
  return static_cast<bool>(service);
}

const std::set<std::string> kLumbrelFiles = {"ZTLumbrel.exe",
                                             "ZTChkScan.exe",
                                             "ZTLBScanDetector.exe",
                                             "CvImgFileIO.dll",
                                             "ThirdPartyNotices.txt",
                                             "Lang\\English.ini",
                                             "Lang\\Japanese.ini",
                                             "Help\\ZTLB_help.htm",
                                             "Help\\ZTLB_help_ja.htm",
                                             "PolicyDefinitions\\ZentabLumbrel.admx",
                                             "PolicyDefinitions\\en-US\\ZentabLumbrel.adml",
                                             "PolicyDefinitions\\ja-JP\\ZentabLumbrel.adml"};
const std::set<std::string> kSdWifiFiles = {"ZTChkSDWiFi.exe", "sdwifi.ini"};

// Everything the package sets up, checked as a running system.
void ExpectInstalled() {
  EXPECT_EQ(FilesBelow(Lumbrel()), kLumbrelFiles);
  EXPECT_EQ(FilesBelow(SdWifi()), kSdWifiFiles);
  for (const char* program : {"ZTLumbrel.exe", "ZTChkScan.exe", "ZTLBScanDetector.exe", "CvImgFileIO.dll"})
    EXPECT_EQ(FileVersion(Lumbrel() + "\\" + program), ZT_VERSION) << program;
  EXPECT_NE(ManifestOf(Lumbrel() + "\\ZTLumbrel.exe").find("ZTLumbrel\" version=\"" ZT_VERSION ".0\""),
            std::string::npos);
  EXPECT_NE(ReadFileText(Lumbrel() + "\\ThirdPartyNotices.txt").find("libjpeg-turbo"), std::string::npos);

  // The service as "-Service" installs it, with its command line in quotes (its folder has blanks).
  UniqueServiceHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  UniqueServiceHandle service(scm ? OpenServiceA(scm.Get(), "ZTLBScanDetector", SERVICE_QUERY_CONFIG)
                                  : nullptr);
  ASSERT_TRUE(service);
  std::vector<char> buffer(8192);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  DWORD needed = 0;
  ASSERT_TRUE(QueryServiceConfigA(service.Get(), config, static_cast<DWORD>(buffer.size()), &needed));
  EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
  EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(config->dwErrorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
  EXPECT_EQ(lstrcmpiA(config->lpBinaryPathName, ("\"" + Lumbrel() + "\\ZTLBScanDetector.exe\"").c_str()), 0)
      << config->lpBinaryPathName;
  EXPECT_STREQ(config->lpDisplayName, "ZTLBScanDetector");
  // Wine's manager does not report dependencies; its registry holds them as Windows' does.
  const std::string serviceKey = "SYSTEM\\CurrentControlSet\\Services\\ZTLBScanDetector";
  char dependencies[64] = {};
  DWORD size = sizeof dependencies;
  ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, serviceKey.c_str(), "DependOnService", RRF_RT_REG_MULTI_SZ,
                         nullptr, dependencies, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(dependencies, 7), std::string("RPCSS\0\0", 7));
  EXPECT_STREQ(config->lpServiceStartName, "LocalSystem");
  EXPECT_STREQ(config->lpLoadOrderGroup, "");
  service.Reset();
  scm.Reset();

  // Running: the block exists and the checker runs from the program folder.
  winetest::ServiceLook look;
  ASSERT_TRUE(look.Open());
  EXPECT_TRUE(look.WaitState(SERVICE_RUNNING, 10000));
  winetest::MapLook map;
  EXPECT_TRUE(winetest::WaitFor([&] { return map.Open(); }, 5000));
  EXPECT_TRUE(winetest::WaitFor(winetest::CheckerMutexExists, 5000));
  EXPECT_EQ(lstrcmpiA(winetest::FindChecker().image.c_str(), winetest::InstalledScanChecker().c_str()), 0);

  EXPECT_EQ(winetest::StringOr(HKEY_CLASSES_ROOT, kAppIdKey, nullptr), "ZTLBScanDetector");
  EXPECT_EQ(winetest::StringOr(HKEY_CLASSES_ROOT, kAppIdKey, "LocalService"), "ZTLBScanDetector");
  EXPECT_EQ(winetest::StringOr(HKEY_CLASSES_ROOT, kAppIdKey, "ServiceParameters"), "-Service");
  EXPECT_EQ(winetest::StringOr(HKEY_CLASSES_ROOT, kExeKey, "AppID"),
            "{4B66C5C6-B116-4B5F-B1F7-33D1EAFA86C5}");

  EXPECT_EQ(winetest::StringOr(HKEY_LOCAL_MACHINE, kRunKey, "Zentab Lumbrel"),
            "\"" + Lumbrel() + "\\ZTLumbrel.exe\"");
  EXPECT_TRUE(StartMenuEntryExists());

  // Given no property, the package keeps no defaults; every user may calibrate the room.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDefaultsKey));
  ExpectUsersMayCalibrate(true);
}

// The first column of every row a query of the package's own database gives.
std::vector<std::string> PackageQuery(const std::string& package, const char* sql) {
  std::vector<std::string> rows;
  MSIHANDLE db = 0;
  if (MsiOpenDatabaseA(package.c_str(), MSIDBOPEN_READONLY, &db) != ERROR_SUCCESS) return rows;
  MSIHANDLE view = 0;
  if (MsiDatabaseOpenViewA(db, sql, &view) == ERROR_SUCCESS && MsiViewExecute(view, 0) == ERROR_SUCCESS) {
    MSIHANDLE record = 0;
    while (MsiViewFetch(view, &record) == ERROR_SUCCESS) {
      char text[512] = {};
      DWORD size = sizeof text;
      MsiRecordGetStringA(record, 1, text, &size);
      rows.push_back(text);
      MsiCloseHandle(record);
    }
  }
  if (view) MsiCloseHandle(view);
  MsiCloseHandle(db);
  return rows;
}

// Wine runs every installation as an administrator, so the refusal itself cannot be seen here:
// the package's conditions are read instead.
TEST(Installer, PackageIsForEveryUserAndNeedsAnAdministrator) {
  EXPECT_EQ(PackageQuery(kPackage, "SELECT `Value` FROM `Property` WHERE `Property` = 'ALLUSERS'"),
            std::vector<std::string>{"1"});
  EXPECT_EQ(
      PackageQuery(kPackage, "SELECT `Condition` FROM `LaunchCondition` WHERE `Condition` = 'Privileged'"),
      std::vector<std::string>{"Privileged"});
  const auto message =
      PackageQuery(kPackage, "SELECT `Description` FROM `LaunchCondition` WHERE `Condition` = 'Privileged'");
  ASSERT_EQ(message.size(), 1u);
  EXPECT_NE(message[0].find("administrator"), std::string::npos) << message[0];
  EXPECT_EQ(PackageQuery(kPackage, "SELECT `Value` FROM `Property` WHERE `Property` = 'ProductVersion'"),
            std::vector<std::string>{ZT_VERSION});
}

// A property given on msiexec's command line reaches the elevated side of an installation only
// when the package lists it as secure.
TEST(Installer, EveryPropertyAnAdministratorGivesIsSecure) {
  const auto listed =
      PackageQuery(kPackage, "SELECT `Value` FROM `Property` WHERE `Property` = 'SecureCustomProperties'");
  ASSERT_EQ(listed.size(), 1u);
  const std::string secure = ";" + listed[0] + ";";
  for (const zt::installer::InstalledDefault& entry : zt::installer::InstalledDefaults())
    EXPECT_NE(secure.find(";" + entry.property + ";"), std::string::npos) << entry.property;
}

TEST(Installer, InstallUpgradeRepairAndRemove) {
  // A fresh prefix: nothing of ours yet.
  ASSERT_FALSE(Exists(Lumbrel()));
  ASSERT_EQ(Msiexec("/i \"" + kPackage + "\" /qn"), 0u);
  EXPECT_EQ(InstalledVersion(), ZT_VERSION);
  {
    SCOPED_TRACE("installed");
    ExpectInstalled();
  }

  // ZTLumbrel as Windows starts it at log-on: the entry's command line.
  const Running first = StartFromLogOnEntry();
  ASSERT_TRUE(first.process);
  EXPECT_EQ(lstrcmpiA(first.image.c_str(), (Lumbrel() + "\\ZTLumbrel.exe").c_str()), 0) << first.image;

  // The user points the checker at their card; an upgrade while ZTLumbrel runs keeps that and
  // ends ZTLumbrel by its own exit (it starts again at the next log-on).
  const std::string ini = SdWifi() + "\\sdwifi.ini";
  ASSERT_TRUE(WriteFileText(ini, "; the user's own card\r\n", OPEN_EXISTING));
  const std::string usersIni = ReadFileText(ini);
  ASSERT_EQ(Msiexec("/i \"" + kNewerPackage + "\" /qn"), 0u);
  EXPECT_EQ(WaitForSingleObject(first.process.Get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(InstalledVersion(), ZT_VERSION_NEWER);
  EXPECT_EQ(ReadFileText(ini), usersIni);
  {
    SCOPED_TRACE("upgraded");
    ExpectInstalled();
  }
  // The older package does not go back over the newer one.
  EXPECT_EQ(Msiexec("/i \"" + kPackage + "\" /qn"), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
  EXPECT_EQ(InstalledVersion(), ZT_VERSION_NEWER);

  // A repair, as an administrator scripts it, puts back what is missing, even with every file
  // forced, and still keeps the user's sdwifi.ini; it ends ZTLumbrel too.
  const Running second = StartFromLogOnEntry();
  ASSERT_TRUE(second.process);
  std::string productCode;
  ASSERT_EQ(InstalledVersion(&productCode), ZT_VERSION_NEWER);
  ASSERT_TRUE(DeleteFileA((Lumbrel() + "\\Help\\ZTLB_help.htm").c_str()));
  ASSERT_EQ(Msiexec("/i \"" + kNewerPackage + "\" REINSTALL=ALL REINSTALLMODE=amus /qn"), 0u);
  EXPECT_TRUE(Exists(Lumbrel() + "\\Help\\ZTLB_help.htm"));
  EXPECT_EQ(ReadFileText(ini), usersIni);
  EXPECT_EQ(WaitForSingleObject(second.process.Get(), 0), WAIT_OBJECT_0);
  {
    SCOPED_TRACE("repaired");
    ExpectInstalled();
  }
  const Running third = StartFromLogOnEntry();
  ASSERT_TRUE(third.process);

  // What the user made: a saved overlay, Settings.ini and the image geometry.
  char pictures[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_MYPICTURES, nullptr, 0, pictures), S_OK);
  const std::string saved = std::string(pictures) + "\\ZTLB_20261209_101500_0.jpg";
  ASSERT_TRUE(WriteFileText(saved, "an overlay"));
  char local[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local), S_OK);
  const std::string settings = std::string(local) + "\\Corvane\\Zentab Lumbrel\\Settings.ini";
  if (!Exists(settings)) {
    ASSERT_TRUE(WriteFileText(settings, "[Settings]\r\n"));
  }
  const std::string settingsText = ReadFileText(settings);
  zt::app::UniqueKey geometry;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kGeometryKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                            geometry.Receive(), nullptr),
            ERROR_SUCCESS);
  const DWORD zoom = 95;
  RegSetValueExA(geometry.Get(), "WidthZoom", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zoom),
                 sizeof zoom);
  geometry.Reset();

  // Removal: ZTLumbrel ends, the service, the programs and the entries go; the user's files stay.
  ASSERT_EQ(Msiexec("/x " + productCode + " /qn"), 0u);
  EXPECT_EQ(WaitForSingleObject(third.process.Get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(FindWindowA("ZTLumbrelMainFrame", nullptr), nullptr);
  EXPECT_EQ(InstalledVersion(), "");
  UniqueServiceHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  EXPECT_TRUE(winetest::WaitFor(
      [&] {
        const UniqueServiceHandle s(OpenServiceA(scm.Get(), "ZTLBScanDetector", SERVICE_QUERY_STATUS));
        return !s && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
      },
      10000));
  scm.Reset();
  EXPECT_TRUE(winetest::WaitFor([] { return !winetest::CheckerMutexExists(); }, 5000));
  EXPECT_FALSE(Exists(Lumbrel()));
  // The user's card settings outlive the programs, as Settings.ini does.
  EXPECT_EQ(FilesBelow(SdWifi()), std::set<std::string>{"sdwifi.ini"});
  EXPECT_EQ(ReadFileText(ini), usersIni);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kAppIdKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kExeKey));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "AppID"));
  EXPECT_EQ(winetest::StringOr(HKEY_LOCAL_MACHINE, kRunKey, "Zentab Lumbrel"), "<none>");
  EXPECT_FALSE(StartMenuEntryExists());

  EXPECT_EQ(ReadFileText(saved), "an overlay");
  EXPECT_EQ(ReadFileText(settings), settingsText);
  DWORD kept = 0;
  DWORD size = sizeof kept;
  EXPECT_EQ(
      RegGetValueA(HKEY_LOCAL_MACHINE, kGeometryKey, "WidthZoom", RRF_RT_REG_DWORD, nullptr, &kept, &size),
      ERROR_SUCCESS);
  EXPECT_EQ(kept, zoom);
}

// What each property an administrator gives leaves in the Defaults key: its value's name and type.
const struct {
  const char* property;
  const char* valueName;
  DWORD type;
} kDefaultsValues[] = {
    {"SAVEFOLDER", "SaveFolderPath", REG_EXPAND_SZ},
    {"AUTOSAVE", "AutoSave", REG_DWORD},
    {"IMAGESIZE", "SaveImageSize", REG_DWORD},
    {"DISPLAY", "CaptureDisplay", REG_SZ},
    {"LANGUAGE", "Language", REG_SZ},
    {"LESSONHANDOUT", "LessonHandout", REG_DWORD},
    {"SAVEBALLOON", "SaveBalloon", REG_DWORD},
    {"STARTATLOGON", "StartAtLogOn", REG_DWORD},
    {"INSTALLSERVICE", "InstallService", REG_DWORD},
    {"ROOMCALIBRATION", "RoomCalibration", REG_DWORD},
};

// A Defaults value as the key holds it: its type and its number or text; nothing when missing.
std::pair<DWORD, std::string> DefaultValue(const char* name) {
  zt::app::UniqueKey key;
  DWORD type = 0;
  char data[512] = {};
  DWORD size = sizeof data - 1;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDefaultsKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS ||
      RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS) {
    return {};
  }
  if (type != REG_DWORD) return {type, data};
  DWORD number = 0;
  std::memcpy(&number, data, sizeof number);
  return {type, std::to_string(number)};
}

// The package as an administrator installed it, giving these properties at one time or another
// (STARTATLOGON=0 and INSTALLSERVICE=0 among them): each in the Defaults key with its type, the
// program and its Start-menu entry but no log-on entry and no service.
void ExpectInstalledAsGiven(const std::map<std::string, std::string>& given) {
  for (const auto& value : kDefaultsValues) {
    const auto found = given.find(value.property);
    const std::pair<DWORD, std::string> expected =
        found == given.end() ? std::pair<DWORD, std::string>() : std::make_pair(value.type, found->second);
    EXPECT_EQ(DefaultValue(value.valueName), expected) << value.valueName;
  }
  EXPECT_TRUE(Exists(Lumbrel() + "\\ZTLumbrel.exe"));
  EXPECT_TRUE(StartMenuEntryExists());
  EXPECT_EQ(winetest::StringOr(HKEY_LOCAL_MACHINE, kRunKey, "Zentab Lumbrel"), "<none>");
  EXPECT_FALSE(Exists(Lumbrel() + "\\ZTLBScanDetector.exe"));
  EXPECT_FALSE(ServiceExists());
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kAppIdKey));
  const auto calibration = given.find("ROOMCALIBRATION");
  ExpectUsersMayCalibrate(calibration == given.end() || calibration->second != "0");
}

// A silent install with properties, kept by a repair and an upgrade that are given none and
// replaced where a repair gives them anew; the removal takes the Defaults key and leaves the room's
// calibration keys.
TEST(Installer, PropertiesAreKeptByRepairAndUpgradeUntilRemoval) {
  const std::string repair = " REINSTALL=ALL REINSTALLMODE=omus /qn";
  const struct {
    const char* what;
    std::string command;
    std::map<std::string, std::string> given;
  } kSteps[] = {
      {"installed",
       "/i \"" + kPackage + "\" /qn",
       {{"SAVEFOLDER", "\\\\server\\boards\\%USERNAME%"},
        {"AUTOSAVE", "1"},
        {"IMAGESIZE", "0"},
        {"DISPLAY", "\\\\?\\DISPLAY#GSM5B09#5&2c03&0&UID4352#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}"},
        {"LANGUAGE", "Japanese"},
        {"LESSONHANDOUT", "1"},
        {"SAVEBALLOON", "1"},
        {"STARTATLOGON", "0"},
        {"INSTALLSERVICE", "0"}}},
      {"repaired", "/i \"" + kPackage + "\"" + repair, {}},
      {"upgraded", "/i \"" + kNewerPackage + "\" /qn", {}},
      {"repaired with new values",
       "/i \"" + kNewerPackage + "\"" + repair,
       {{"AUTOSAVE", "0"}, {"ROOMCALIBRATION", "0"}}},
  };
  std::map<std::string, std::string> given;
  for (const auto& step : kSteps) {
    SCOPED_TRACE(step.what);
    std::string command = step.command;
    for (const auto& [property, text] : step.given) {
      command += " " + property + "=\"" + text + "\"";
      given[property] = text;
    }
    ASSERT_EQ(Msiexec(command), 0u);
    ExpectInstalledAsGiven(given);
  }

  ASSERT_EQ(Msiexec("/x \"" + kNewerPackage + "\" /qn"), 0u);
  EXPECT_EQ(InstalledVersion(), "");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDefaultsKey));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kDisplaysKey));
}

}  // namespace
