// The real ZTLBScanDetector.exe under Wine: registration into the prefix's registry, the real
// service control manager starting and stopping it, the block it creates and the checker it
// starts from the Program Files folder.
#include <windows.h>

#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <string>

#include "common/drive_letter_map.h"
#include "common/win32/handles.h"
#include "detector/registration.h"
#include "tests/support/detector_look.h"
#include "tests/support/registry_look.h"

namespace zt::detector {
namespace {

namespace dm = drivemap;
using winetest::KeyExists;
using winetest::ReadDword;
using winetest::ReadString;
using winetest::ValueExists;

const std::string kDetector = winetest::DosPath(ZT_DETECTOR_EXE);
const std::string kChecker = winetest::DosPath(ZT_CHECKER_EXE);
const std::string kServicesKey = "SYSTEM\\CurrentControlSet\\Services\\ZTLBScanDetector";

// Every test starts and ends with nothing registered, so that no later run of the prefix starts
// the service by itself.
class Detector : public ::testing::Test {
 protected:
  void SetUp() override { CleanUp(); }
  void TearDown() override { CleanUp(); }
  void CleanUp() {
    winetest::ServiceLook service;
    if (service.Open() && service.State() != SERVICE_STOPPED) {
      service.Stop();
      service.WaitState(SERVICE_STOPPED, 5000);
    }
    winetest::RunToEnd(kDetector, "-UnregServer");
    winetest::KillChecker();
    winetest::WaitFor([] { return !KeyExists(HKEY_LOCAL_MACHINE, kServicesKey); }, 5000);
  }
};

// A SID as text, for comparing with the well-known ones and reading failures.
std::string SidText(PSID sid) {
  app::LocalMemory text;
  if (!ConvertSidToStringSidA(sid, reinterpret_cast<char**>(text.Receive()))) return "?";
  return static_cast<const char*>(text.Get());
}

TEST_F(Detector, SwitchesRegisterInstallAndRemove) {
  // Nothing installed: Uninstall still reports the service gone; a switch with more behind it is
  // no switch, so the program starts normally and finds no registration.
  EXPECT_EQ(winetest::RunToEnd(kDetector, "-Uninstall"), 1u);
  EXPECT_EQ(winetest::RunToEnd(kDetector, "-Service x"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kServicesKey));

  EXPECT_EQ(winetest::RunToEnd(kDetector, "/regserver"), 0u);
  std::string s;
  ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, kAppIdKey, nullptr, s));
  EXPECT_EQ(s, "ZTLBScanDetector");
  ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, kExeKey, "AppID", s));
  EXPECT_EQ(s, "{4B66C5C6-B116-4B5F-B1F7-33D1EAFA86C5}");
  EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, kAppIdKey, "LocalService"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kServicesKey));

  EXPECT_EQ(winetest::RunToEnd(kDetector, "-Service"), 0u);
  ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, kAppIdKey, "LocalService", s));
  EXPECT_EQ(s, "ZTLBScanDetector");
  ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, kAppIdKey, "ServiceParameters", s));
  EXPECT_EQ(s, "-Service");
  ASSERT_TRUE(winetest::WaitFor([] { return KeyExists(HKEY_LOCAL_MACHINE, kServicesKey); }, 5000));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kServicesKey, "Type"), 0x10u);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kServicesKey, "Start"), 2u);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kServicesKey, "ErrorControl"), 1u);
  ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kServicesKey, "ImagePath", s));
  EXPECT_EQ(lstrcmpiA(s.c_str(), kDetector.c_str()), 0) << s;
  ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kServicesKey, "DependOnService", s));
  EXPECT_EQ(s, "RPCSS");
  ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kServicesKey, "ObjectName", s));
  EXPECT_EQ(s, "LocalSystem");

  // Registering again while installed leaves every entry as it is.
  RegDeleteKeyValueA(HKEY_CLASSES_ROOT, kAppIdKey, "ServiceParameters");
  EXPECT_EQ(winetest::RunToEnd(kDetector, "-RegServer"), 0u);
  EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, kAppIdKey, "ServiceParameters"));
  EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, kAppIdKey, "LocalService"));

  EXPECT_EQ(winetest::RunToEnd(kDetector, "-UNINSTALL"), 1u);
  EXPECT_TRUE(winetest::WaitFor([] { return !KeyExists(HKEY_LOCAL_MACHINE, kServicesKey); }, 5000));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kAppIdKey));
  EXPECT_EQ(winetest::RunToEnd(kDetector, "-UnregServer"), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kAppIdKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kExeKey));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "AppID"));
}

TEST_F(Detector, ServiceOwnsTheBlockAndSupervisesTheChecker) {
  ASSERT_TRUE(winetest::InstallScanChecker(kChecker));
  ASSERT_EQ(winetest::RunToEnd(kDetector, "-Service"), 0u);
  // A block left over and held open, as the tray program holds it across a service restart:
  // the service reaches the same block and clears it.
  app::UniqueHandle stale(
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, dm::kSize, dm::kName));
  ASSERT_TRUE(stale);
  {
    app::MappedView junk(MapViewOfFile(stale.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_TRUE(junk);
    FillMemory(junk.Get(), dm::kSize, 0x5A);
  }
  winetest::ServiceLook service;
  ASSERT_TRUE(service.Open());
  ASSERT_TRUE(service.Start());
  ASSERT_TRUE(service.WaitState(SERVICE_RUNNING, 10000));

  // The block exists, all zero, and a checker runs from the Program Files folder (the block is
  // made before the checker is started).
  winetest::MapLook map;
  ASSERT_TRUE(winetest::WaitFor([&] { return map.Open(); }, 2000));
  ASSERT_TRUE(winetest::WaitFor(winetest::CheckerMutexExists, 5000));
  for (std::size_t i = 0; i < dm::kSize; ++i) ASSERT_EQ(map[i], 0) << "byte " << i;
  EXPECT_EQ(lstrcmpiA(winetest::FindChecker().image.c_str(), winetest::InstalledScanChecker().c_str()), 0)
      << winetest::FindChecker().image;

  // A restart request while no checker runs: a new one within a tick or two, the byte cleared.
  winetest::KillChecker();
  map[dm::kRestartChecker] = dm::kRestartCheckerSet;
  EXPECT_TRUE(winetest::WaitFor([&] { return map[dm::kRestartChecker] == 0; }, 1000));
  EXPECT_TRUE(winetest::WaitFor(winetest::CheckerMutexExists, 5000));

  // Without the checker's file the request stands, retried on every tick, until the file is back.
  winetest::KillChecker();
  const std::string away = winetest::InstalledScanChecker() + ".away";
  ASSERT_TRUE(MoveFileExA(winetest::InstalledScanChecker().c_str(), away.c_str(), MOVEFILE_REPLACE_EXISTING));
  map[dm::kRestartChecker] = dm::kRestartCheckerSet;
  Sleep(700);
  EXPECT_EQ(map[dm::kRestartChecker], dm::kRestartCheckerSet);
  EXPECT_FALSE(winetest::CheckerMutexExists());
  ASSERT_TRUE(MoveFileExA(away.c_str(), winetest::InstalledScanChecker().c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_TRUE(winetest::WaitFor([&] { return map[dm::kRestartChecker] == 0; }, 1000));
  ASSERT_TRUE(winetest::WaitFor(winetest::CheckerMutexExists, 5000));

  // Stop: the quit byte is written, the checker ended, the service stopped, and by then the
  // checker is gone (an installer removes its file next).
  const winetest::CheckerProcess checker = winetest::FindChecker();
  ASSERT_TRUE(checker.process);
  ASSERT_TRUE(service.Stop());
  EXPECT_TRUE(service.WaitState(SERVICE_STOPPED, 5000));
  EXPECT_EQ(WaitForSingleObject(checker.process.Get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(map[dm::kTerminateChecker], dm::kTerminateCheckerSet);
}

TEST_F(Detector, TheBlockLetsUsersWriteButNotChangeItsSecurity) {
  ASSERT_EQ(winetest::RunToEnd(kDetector, "-Service"), 0u);
  // A block an earlier version made open to all, still held by the tray program: it gets the
  // descriptor too.
  SECURITY_DESCRIPTOR openToAll;
  InitializeSecurityDescriptor(&openToAll, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&openToAll, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES sa{sizeof sa, &openToAll, FALSE};
  const app::UniqueHandle earlier(
      CreateFileMappingA(INVALID_HANDLE_VALUE, &sa, PAGE_READWRITE, 0, dm::kSize, dm::kName));
  ASSERT_TRUE(earlier);
  winetest::ServiceLook service;
  ASSERT_TRUE(service.Open());
  ASSERT_TRUE(service.Start());
  ASSERT_TRUE(service.WaitState(SERVICE_RUNNING, 10000));
  // The tray program's way in still works: opened for writing, a letter published and seen
  // through another opening of the block.
  winetest::MapLook tray;
  ASSERT_TRUE(winetest::WaitFor([&] { return tray.Open(); }, 2000));
  tray[dm::kDriveLetter] = 'E';
  winetest::MapLook other;
  ASSERT_TRUE(other.Open());
  EXPECT_EQ(other[dm::kDriveLetter], 'E');

  app::UniqueHandle section(OpenFileMappingA(READ_CONTROL, FALSE, dm::kName));
  ASSERT_TRUE(section);
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PACL sacl = nullptr;
  app::LocalMemory sd;
  ASSERT_EQ(
      GetSecurityInfo(section.Get(), SE_KERNEL_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION,
                      &owner, nullptr, &dacl, &sacl, sd.Receive()),
      static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(owner);  // the creator, as the descriptor names none
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(sd.Get(), &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED);

  // Exactly these entries: SYSTEM, Administrators, then Authenticated Users with a mask of exactly
  // query, map read and map write, so no WRITE_DAC, WRITE_OWNER or DELETE; and the label, Medium
  // with no write up, which Wine 8 keeps and gives back as the SACL's one entry as Windows does.
  ASSERT_TRUE(dacl);
  ASSERT_TRUE(sacl);
  EXPECT_EQ(dacl->AceCount, 3u);
  EXPECT_EQ(sacl->AceCount, 1u);
  const struct {
    PACL acl;
    DWORD index;
    BYTE type;
    const char* sid;
    ACCESS_MASK mask;
  } kEntries[] = {
      {dacl, 0, ACCESS_ALLOWED_ACE_TYPE, "S-1-5-18", SECTION_ALL_ACCESS},
      {dacl, 1, ACCESS_ALLOWED_ACE_TYPE, "S-1-5-32-544", SECTION_ALL_ACCESS},
      {dacl, 2, ACCESS_ALLOWED_ACE_TYPE, "S-1-5-11", SECTION_QUERY | SECTION_MAP_READ | SECTION_MAP_WRITE},
      {sacl, 0, SYSTEM_MANDATORY_LABEL_ACE_TYPE, "S-1-16-8192", SYSTEM_MANDATORY_LABEL_NO_WRITE_UP},
  };
  for (const auto& e : kEntries) {
    ACCESS_ALLOWED_ACE* ace = nullptr;  // a label entry is laid out alike
    ASSERT_TRUE(GetAce(e.acl, e.index, reinterpret_cast<void**>(&ace))) << e.sid;
    EXPECT_EQ(ace->Header.AceType, e.type) << e.sid;
    EXPECT_EQ(SidText(&ace->SidStart), e.sid);
    EXPECT_EQ(ace->Mask, e.mask) << e.sid;
  }
}

TEST_F(Detector, StartedByHandItRunsTheLoopInItsOwnProcess) {
  ASSERT_TRUE(winetest::InstallScanChecker(kChecker));
  // Registered as a local program, and registered as a service but not started by the manager:
  // either way the loop runs here, logging to standard output.
  for (const char* registration : {"-RegServer", "-Service"}) {
    SCOPED_TRACE(registration);
    ASSERT_EQ(winetest::RunToEnd(kDetector, registration), 0u);
    const winetest::Program detector = winetest::Start(kDetector, "", true);
    ASSERT_TRUE(detector);
    char text[64] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(detector.output.Get(), text, sizeof text - 1, &got, nullptr));
    EXPECT_STREQ(text, "Service started\r\n");
    winetest::MapLook map;
    EXPECT_TRUE(winetest::WaitFor([&] { return map.Open(); }, 2000));
    EXPECT_TRUE(winetest::WaitFor(winetest::CheckerMutexExists, 5000));
    EXPECT_EQ(winetest::WaitExit(detector, 0), STILL_ACTIVE);
    // No stop request exists in this mode: the process is ended from outside.
    TerminateProcess(detector.process.Get(), 0);
    WaitForSingleObject(detector.process.Get(), 5000);
    winetest::KillChecker();
    winetest::RunToEnd(kDetector, "-UnregServer");
  }
}

}  // namespace
}  // namespace zt::detector
