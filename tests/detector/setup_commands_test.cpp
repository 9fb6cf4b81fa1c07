// What each switch writes and installs, in which order, and its exit code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "detector/registration.h"
#include "detector/setup_commands.h"

namespace zt::detector {
namespace {

using Op = RegistryEntry::Op;
const std::string kGuidKey = "AppID\\{4B66C5C6-B116-4B5F-B1F7-33D1EAFA86C5}";

struct FakeHost : SetupHost {
  std::int32_t comResult = 0;
  bool installed = false;
  bool removable = true;
  std::int32_t registryError = 0;
  std::vector<std::string> calls;
  std::vector<RegistryEntry> written;
  ServiceConfig config{};

  std::int32_t InitializeCom() override {
    calls.push_back("com");
    return comResult;
  }
  void UninitializeCom() override { calls.push_back("uncom"); }
  bool ServiceInstalled() override { return installed; }
  bool InstallService(const ServiceConfig& c) override {
    calls.push_back("install");
    config = c;
    installed = true;
    return true;
  }
  bool UninstallService() override {
    calls.push_back("uninstall");
    if (installed && removable) installed = false;
    return !installed;
  }
  std::int32_t ApplyRegistry(const std::vector<RegistryEntry>& entries) override {
    calls.push_back("registry");
    if (registryError == 0) written.insert(written.end(), entries.begin(), entries.end());
    return registryError;
  }
};

int RunSwitch(Switch s, FakeHost& host) {
  return RunSetupSwitch(s, host, "ZTLBScanDetector", "C:\\P\\ZTLBScanDetector.exe");
}

TEST(Registration, ServiceWritesTheAppIdEntriesThenInstalls) {
  FakeHost host;
  EXPECT_EQ(RunSwitch(Switch::kService, host), 0);
  const std::vector<RegistryEntry> expected = {
      {Op::kSetString, kGuidKey, "", "ZTLBScanDetector"},
      {Op::kSetString, "AppID\\ZTLBScanDetector.EXE", "AppID", "{4B66C5C6-B116-4B5F-B1F7-33D1EAFA86C5}"},
      {Op::kDeleteValue, kGuidKey, "LocalService", ""},
      {Op::kSetString, kGuidKey, "LocalService", "ZTLBScanDetector"},
      {Op::kSetString, kGuidKey, "ServiceParameters", "-Service"},
  };
  EXPECT_EQ(host.written, expected);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"com", "registry", "install", "uncom"}));
  EXPECT_EQ(host.config.name, "ZTLBScanDetector");
  EXPECT_EQ(host.config.displayName, "ZTLBScanDetector");
  EXPECT_EQ(host.config.type, 0x10u);
  EXPECT_EQ(host.config.startType, 2u);
  EXPECT_EQ(host.config.errorControl, 1u);
  EXPECT_EQ(host.config.imagePath, "C:\\P\\ZTLBScanDetector.exe");
  EXPECT_EQ(host.config.dependencies, std::string("RPCSS\0\0", 7));
}

TEST(Registration, RegServerRemovesLocalServiceAndInstallsNothing) {
  FakeHost host;
  EXPECT_EQ(RunSwitch(Switch::kRegServer, host), 0);
  ASSERT_EQ(host.written.size(), 3u);
  EXPECT_EQ(host.written.back(), (RegistryEntry{Op::kDeleteValue, kGuidKey, "LocalService", ""}));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"com", "registry", "uncom"}));
}

TEST(Registration, InstalledServiceIsLeftAsItIs) {
  for (Switch s : {Switch::kService, Switch::kRegServer}) {
    FakeHost host;
    host.installed = true;
    EXPECT_EQ(RunSwitch(s, host), 0);
    EXPECT_TRUE(host.written.empty());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"com", "uncom"}));
  }
}

TEST(Registration, ComAndRegistryFailuresAreTheExitCode) {
  FakeHost com;
  com.comResult = static_cast<std::int32_t>(0x80004005u);  // E_FAIL
  EXPECT_EQ(RunSwitch(Switch::kService, com), static_cast<int>(com.comResult));
  EXPECT_EQ(com.calls, std::vector<std::string>{"com"});
  EXPECT_EQ(RunSwitch(Switch::kUnregServer, com), static_cast<int>(com.comResult));

  FakeHost denied;
  denied.registryError = 5;  // ERROR_ACCESS_DENIED
  EXPECT_EQ(RunSwitch(Switch::kService, denied), 5);
  EXPECT_FALSE(denied.installed);
}

TEST(Unregistration, RemovesBothKeysAndTheService) {
  FakeHost host;
  host.installed = true;
  EXPECT_EQ(RunSwitch(Switch::kUnregServer, host), 0);
  const std::vector<RegistryEntry> expected = {{Op::kDeleteKey, kGuidKey, "", ""},
                                               {Op::kDeleteKey, "AppID\\ZTLBScanDetector.EXE", "", ""}};
  EXPECT_EQ(host.written, expected);
  EXPECT_FALSE(host.installed);
  // Even a service that cannot be removed leaves the exit code at 0.
  FakeHost stuck;
  stuck.installed = true;
  stuck.removable = false;
  EXPECT_EQ(RunSwitch(Switch::kUnregServer, stuck), 0);
}

TEST(Uninstall, OneWhenGoneZeroWhenItStays) {
  FakeHost absent;
  EXPECT_EQ(RunSwitch(Switch::kUninstall, absent), 1);
  FakeHost installed;
  installed.installed = true;
  EXPECT_EQ(RunSwitch(Switch::kUninstall, installed), 1);
  EXPECT_FALSE(installed.installed);
  FakeHost stuck;
  stuck.installed = true;
  stuck.removable = false;
  EXPECT_EQ(RunSwitch(Switch::kUninstall, stuck), 0);
  EXPECT_TRUE(stuck.written.empty());
}

}  // namespace
}  // namespace zt::detector
