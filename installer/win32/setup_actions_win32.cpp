// Custom actions of the installer package.
//
// ZTLumbrel keeps its program file open while it runs. Before the package replaces or removes it,
// a copy running on the installing user's desktop is asked to exit the way a user does it from
// the tray menu: it closes its dialogs, removes its icon, lets go of the board, unregisters from
// the SD checker (which then ends) and empties its download folder. A copy in another session is
// out of reach of window messages; there Windows Installer's own handling of files in use
// applies (its Restart Manager ends the session of the program, which ZTLumbrel answers with the
// same close). ZTLumbrel is not started again by the package: an installer may run elevated or as
// another account, and ZTLumbrel must run as the user. It starts at the next log-on, or from the
// Start menu.
//
// The service's command line is put in quotes where the installer left it bare (as Wine's does):
// its folder holds blanks. And after the service was asked to stop, the package waits until the
// service's and the checker's processes are gone, so that their program files are free.
//
// What an administrator gives on msiexec's command line (installed_defaults.h) is written to the
// Defaults key by a deferred action, as the local system account. A repair or an upgrade that is
// not given a property again takes it from that key first, before the older package is removed and
// before the components' conditions are read; only the removal of the product takes the key away.
// The room's calibration keys are opened to the local Users group (unless ROOMCALIBRATION=0), so
// that a teacher without administrator rights may calibrate the room's board.
//
// Every registry key here is opened in the default view: SetupActions.dll has the programs'
// bitness and runs in a custom-action process of that bitness, so its view of
// HKEY_LOCAL_MACHINE\Software is the one the programs open.
#include <windows.h>

#include <aclapi.h>
#include <msi.h>
#include <msiquery.h>
#include <tlhelp32.h>

#include <optional>
#include <string>
#include <vector>

#include "common/sd_channel.h"
#include "common/win32/handles.h"
#include "detector/registration.h"
#include "installer/installed_defaults.h"
#include "overlay/shell/frame/win32/frame_class.h"
#include "overlay/shell/resource.h"
#include "overlay/shell/settings/admin_settings.h"
#include "overlay/shell/settings/display_calibration.h"
#include "overlay/shell/settings/win32/stored_value_win32.h"

namespace {

using zt::app::LocalMemory;
using zt::app::UniqueHandle;
using zt::app::UniqueKey;
using zt::app::UniqueServiceHandle;
using zt::installer::InstalledDefault;
using zt::shell::StoredValue;

constexpr char kServiceName[] = "ZTLBScanDetector";
// Long enough for a scan being saved to finish; the close sequence itself takes milliseconds.
constexpr DWORD kExitWaitMs = 20000;
// The SD checker ends once its current poll of the card is over: at most the card's time-outs.
constexpr DWORD kSdCheckerWaitMs = 20000;
// Windows Installer's own wait for a service to stop.
constexpr DWORD kServiceStopWaitMs = 30000;
// The deferred writer's own name: Windows Installer hands it the property of that name as its
// CustomActionData.
constexpr char kWriteDefaultsAction[] = "WriteInstalledDefaults";
// What the local Users group may do in the room's calibration keys: read and write values, list
// and watch the subkeys, read the permissions. Never create or delete a key, nor change its
// permissions or owner.
constexpr ACCESS_MASK kUsersCalibrationAccess =
    KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | READ_CONTROL;

bool MutexExists(const char* name) {
  const UniqueHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, name));
  return static_cast<bool>(mutex);
}

// Waits until pred() no longer holds, looking every 50 ms, at most timeoutMs.
template <typename Pred>
void WaitWhile(Pred pred, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (pred() && GetTickCount64() < end) Sleep(50);
}

// Asks the running copy to exit and waits for its process to end. A copy that does not end in
// time (a question of its own may be open on the user's screen) is left to the installer's
// handling of files in use.
void AskToExit(HWND frame) {
  DWORD processId = 0;
  GetWindowThreadProcessId(frame, &processId);
  const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  const bool asked = PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_TRAY_EXIT, 0), 0) != FALSE;
  if (process && asked) WaitForSingleObject(process.Get(), kExitWaitMs);
}

// The processes started from one of the given file names.
std::vector<DWORD> ProcessesNamed(const std::vector<const char*>& names) {
  std::vector<DWORD> ids;
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.Get(), &entry); more;
       more = Process32Next(snapshot.Get(), &entry)) {
    for (const char* name : names)
      if (lstrcmpiA(entry.szExeFile, name) == 0) ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

// A property of the installation; empty when it is not set.
std::string Property(MSIHANDLE install, const char* name) {
  std::string value(64, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(value.size());
    const UINT result = MsiGetPropertyA(install, name, &value[0], &size);
    if (result == ERROR_SUCCESS) return value.c_str();
    if (result != ERROR_MORE_DATA) return std::string();
    // The size is counted in characters; a multibyte code page may need more bytes.
    value.assign(2 * (static_cast<std::size_t>(size) + 1), '\0');
  }
}

// The Users group's entry of the calibration keys: allowed, the key's own, and exactly that.
bool IsUsersEntry(const ACE_HEADER* header, PSID users) {
  if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || header->AceFlags != CONTAINER_INHERIT_ACE) return false;
  const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
  return ace->Mask == kUsersCalibrationAccess && EqualSid(const_cast<DWORD*>(&ace->SidStart), users);
}

bool HasUsersEntry(PACL dacl, PSID users) {
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    if (GetAce(dacl, i, reinterpret_cast<void**>(&ace)) && IsUsersEntry(ace, users)) return true;
  }
  return false;
}

// Copies the entries of from for which keep holds to the end of to.
template <typename Keep>
bool CopyEntries(PACL from, PACL to, Keep keep) {
  for (DWORD i = 0; i < from->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    if (!GetAce(from, i, reinterpret_cast<void**>(&ace))) return false;
    if (keep(ace) && !AddAce(to, from->AclRevision, MAXDWORD, ace, ace->AceSize)) return false;
  }
  return true;
}

// Gives the key's DACL the Users group's entry, or takes it away; every other entry stays.
bool SetUsersEntry(HKEY key, bool present) {
  BYTE users[SECURITY_MAX_SID_SIZE] = {};
  DWORD usersSize = sizeof users;
  if (!CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &usersSize)) return false;
  PACL dacl = nullptr;
  LocalMemory descriptor;
  if (GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                      descriptor.Receive()) != ERROR_SUCCESS)
    return false;
  if (!dacl) return true;  // no DACL at all: everyone may do everything already

  if (HasUsersEntry(dacl, users) == present) return true;

  // The key's own entries first, then the Users' entry, the inherited ones last: the order in
  // which Windows expects them.
  ACL_SIZE_INFORMATION sizes{};
  if (!GetAclInformation(dacl, &sizes, sizeof sizes, AclSizeInformation)) return false;
  const DWORD size = sizes.AclBytesInUse + sizeof(ACCESS_ALLOWED_ACE) + usersSize;
  std::vector<DWORD> buffer(size / sizeof(DWORD) + 1);  // DWORD-aligned, as an ACL must be
  auto* acl = reinterpret_cast<PACL>(buffer.data());
  const auto inherited = [](const ACE_HEADER* ace) { return (ace->AceFlags & INHERITED_ACE) != 0; };
  const bool built =
      InitializeAcl(acl, static_cast<DWORD>(buffer.size() * sizeof(DWORD)), dacl->AclRevision) &&
      CopyEntries(dacl, acl,
                  [&](const ACE_HEADER* ace) { return !inherited(ace) && !IsUsersEntry(ace, users); }) &&
      (!present || AddAccessAllowedAceEx(acl, dacl->AclRevision, CONTAINER_INHERIT_ACE,
                                         kUsersCalibrationAccess, users)) &&
      CopyEntries(dacl, acl, inherited);
  return built && SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                                  nullptr) == ERROR_SUCCESS;
}

}  // namespace

// Immediate, before the installation is validated: every install, repair, upgrade and removal.
extern "C" __declspec(dllexport) UINT __stdcall StopLumbrel(MSIHANDLE) {
  if (HWND frame = FindWindowA(zt::shell::kFrameClassName, nullptr)) AskToExit(frame);
  // Its SD checker ends by itself once ZTLumbrel has unregistered.
  WaitWhile([] { return MutexExists(zt::sdchannel::kCheckerMutex); }, kSdCheckerWaitMs);
  return ERROR_SUCCESS;
}

// Deferred, as the local system account, between the installation and the start of the service.
extern "C" __declspec(dllexport) UINT __stdcall QuoteServicePath(MSIHANDLE) {
  const UniqueServiceHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!scm) return ERROR_SUCCESS;
  const UniqueServiceHandle service(
      OpenServiceA(scm.Get(), kServiceName, SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG));
  if (service) {
    DWORD needed = 0;
    QueryServiceConfigA(service.Get(), nullptr, 0, &needed);
    std::vector<char> buffer(needed ? needed : 1);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (needed && QueryServiceConfigA(service.Get(), config, needed, &needed) && config->lpBinaryPathName) {
      const std::string path = config->lpBinaryPathName;
      const std::string commandLine = zt::detector::ServiceCommandLine(path);
      if (commandLine != path) {
        // The dependencies are given again, as the service is configured: Wine's manager drops
        // them when given none, and does not report them.
        const std::string dependencies = zt::detector::MakeServiceConfig(kServiceName, path).dependencies;
        ChangeServiceConfigA(service.Get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                             commandLine.c_str(), nullptr, nullptr, dependencies.c_str(), nullptr, nullptr,
                             nullptr);
      }
    }
  }
  return ERROR_SUCCESS;
}

// Deferred, right after the installer asked the service to stop (every install, repair and
// removal of the package does). Windows Installer waits until the service reports itself stopped,
// Wine's does not; neither waits for the processes to end.
extern "C" __declspec(dllexport) UINT __stdcall WaitForServiceStop(MSIHANDLE) {
  for (DWORD id : ProcessesNamed({"ZTLBScanDetector.exe", "ZTChkScan.exe"})) {
    const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    if (process) WaitForSingleObject(process.Get(), kServiceStopWaitMs);
  }
  return ERROR_SUCCESS;
}

// Immediate, before the components' conditions are read (CostFinalize) and before an older
// package is removed: every install, repair and upgrade. A property the command line does not give
// is taken from the Defaults key, so that what was given once stays until it is given anew.
extern "C" __declspec(dllexport) UINT __stdcall RecoverInstalledDefaults(MSIHANDLE install) {
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, zt::shell::kInstalledDefaultsKey, 0, KEY_QUERY_VALUE,
                    key.Receive()) != ERROR_SUCCESS)
    return ERROR_SUCCESS;
  for (const InstalledDefault& entry : zt::installer::InstalledDefaults()) {
    if (!Property(install, entry.property.c_str()).empty()) continue;
    const std::optional<StoredValue> stored = zt::shell::QueryStoredValue(key.Get(), entry.valueName.c_str());
    const std::optional<std::string> text =
        stored ? zt::installer::PropertyText(entry, *stored) : std::nullopt;
    if (text) MsiSetPropertyA(install, entry.property.c_str(), text->c_str());
  }
  return ERROR_SUCCESS;
}

// Immediate, right before the writer: hands it the properties. A deferred action sees no
// properties, only its CustomActionData.
extern "C" __declspec(dllexport) UINT __stdcall PassInstalledDefaults(MSIHANDLE install) {
  const std::string data = zt::installer::DefaultsData(
      [install](const std::string& property) { return Property(install, property.c_str()); });
  return MsiSetPropertyA(install, kWriteDefaultsAction, data.c_str()) == ERROR_SUCCESS
             ? ERROR_SUCCESS
             : ERROR_INSTALL_FAILURE;
}

// Deferred, as the local system account: every install, repair and upgrade. Without any property
// there is nothing to write, and no key either.
extern "C" __declspec(dllexport) UINT __stdcall WriteInstalledDefaults(MSIHANDLE install) {
  const std::vector<zt::installer::DefaultToWrite> values =
      zt::installer::DefaultsToWrite(Property(install, "CustomActionData"));
  if (values.empty()) return ERROR_SUCCESS;
  UniqueKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, zt::shell::kInstalledDefaultsKey, 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.Receive(),
                      nullptr) != ERROR_SUCCESS)
    return ERROR_INSTALL_FAILURE;
  for (const zt::installer::DefaultToWrite& value : values) {
    const char* name = value.valueName.c_str();
    const LONG result = value.value
                            ? RegSetValueExA(key.Get(), name, 0, value.value->type, value.value->data.data(),
                                             static_cast<DWORD>(value.value->data.size()))
                            : RegDeleteValueA(key.Get(), name);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) return ERROR_INSTALL_FAILURE;
  }
  return ERROR_SUCCESS;
}

// Deferred, as the local system account: the removal of the product, not the one an upgrade makes
// of the older package. (Wine's installer does not tell the two apart: there the key goes at an
// upgrade as well, and the newer package writes back what it recovered before.)
extern "C" __declspec(dllexport) UINT __stdcall RemoveInstalledDefaults(MSIHANDLE) {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, zt::shell::kInstalledDefaultsKey);
  return ERROR_SUCCESS;
}

// Deferred, as the local system account: every install, repair and upgrade; CustomActionData is
// ROOMCALIBRATION. The calibration belongs to the room, and the program writes it (and, in the
// subkey, each display's) as whoever uses it: the Users group may write values in both keys. The
// package creates them, so their owner is the administrators, never a user. With
// ROOMCALIBRATION=0 an entry an earlier install gave is taken away again. A removal of the package
// leaves both keys: their values are the room's work.
extern "C" __declspec(dllexport) UINT __stdcall OpenRoomCalibration(MSIHANDLE install) {
  const bool open = Property(install, "CustomActionData") != "0";
  // The key first: on Windows, its inheritable entry then reaches the subkey as well.
  for (const char* name : {zt::shell::kCalibrationKey, zt::shell::kDisplaysKey}) {
    UniqueKey key;
    const REGSAM access = READ_CONTROL | WRITE_DAC;
    const LONG opened = open ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                               access, nullptr, key.Receive(), nullptr)
                             : RegOpenKeyExA(HKEY_LOCAL_MACHINE, name, 0, access, key.Receive());
    if (!open && opened == ERROR_FILE_NOT_FOUND) continue;
    if (opened != ERROR_SUCCESS || !SetUsersEntry(key.Get(), open)) return ERROR_INSTALL_FAILURE;
  }
  return ERROR_SUCCESS;
}
