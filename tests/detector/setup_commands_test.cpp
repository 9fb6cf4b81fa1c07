// What each switch writes and installs, in which order, and its exit code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "detector/registration.h"
#include "detector/setup_commands.h"

namespace zt::detector {
namespace {

using Op = RegistryEntry::Op;
using Calls = std::vector<std::string>;
const std::string kGuidKey = "AppID\\{4B66C5C6-B116-4B5F-B1F7-33D1EAFA86C5}";

struct FakeHost : SetupHost {
  std::int32_t comResult = 0;
  std::int32_t registryError = 0;
  bool installed = false;
  bool removable = true;
  std::int32_t installError = 0;
  Calls calls;
  std::vector<RegistryEntry> written;
  ServiceConfig config{};

  std::int32_t InitializeCom() override {
    calls.push_back("com");
    return comResult;
  }
  void UninitializeCom() override { calls.push_back("uncom"); }
  bool ServiceInstalled() override { return installed; }
  std::int32_t InstallService(const ServiceConfig& c) override {
    calls.push_back("install");
    config = c;
    installed = installError == 0;
    return installError;
  }
  bool UninstallService() override {
    calls.push_back("uninstall");
    if (removable) installed = false;
    return !installed;
  }
  std::int32_t ApplyRegistry(const std::vector<RegistryEntry>& entries) override {
    calls.push_back("registry");
    if (registryError == 0) written.insert(written.end(), entries.begin(), entries.end());
    return registryError;
  }
  int Run(Switch s) { return RunSetupSwitch(s, *this, "ZTLBScanDetector", "C:\\P\\ZTLBScanDetector.exe"); }
};

TEST(Registration, ServiceWritesTheAppIdEntriesThenInstalls) {
  FakeHost host;
  EXPECT_EQ(host.Run(Switch::kService), 0);
  const std::vector<RegistryEntry> expected = {
      {Op::kSetString, kGuidKey, "", "ZTLBScanDetector"},
      {Op::kSetString, "AppID\\ZTLBScanDetector.EXE", "AppID", "{4B66C5C6-B116-4B5F-B1F7-33D1EAFA86C5}"},
      {Op::kDeleteValue, kGuidKey, "LocalService", ""},
      {Op::kSetString, kGuidKey, "LocalService", "ZTLBScanDetector"},
      {Op::kSetString, kGuidKey, "ServiceParameters", "-Service"},
  };
  EXPECT_EQ(host.written, expected);
  EXPECT_EQ(host.calls, (Calls{"com", "registry", "install", "uncom"}));
  EXPECT_EQ(host.config.imagePath, "C:\\P\\ZTLBScanDetector.exe");
  EXPECT_EQ(host.config.dependencies, std::string("RPCSS\0\0", 7));
  // Installed below Program Files, the path is quoted so that no "C:\Program.exe" can stand in.
  const std::string installed = "C:\\Program Files (x86)\\Corvane\\Zentab Lumbrel\\ZTLBScanDetector.exe";
  EXPECT_EQ(MakeServiceConfig("ZTLBScanDetector", installed).imagePath, '"' + installed + '"');
  EXPECT_EQ(ServiceCommandLine('"' + installed + '"'), '"' + installed + '"');

  // As a plain local program: the old service value goes, nothing is installed.
  FakeHost local;
  EXPECT_EQ(local.Run(Switch::kRegServer), 0);
  EXPECT_EQ(local.written, std::vector<RegistryEntry>(expected.begin(), expected.begin() + 3));
  EXPECT_EQ(local.calls, (Calls{"com", "registry", "uncom"}));
}

TEST(Registration, InstalledServiceIsLeftAsItIsAndFailuresAreTheExitCode) {
  for (Switch s : {Switch::kService, Switch::kRegServer}) {
    FakeHost host;
    host.installed = true;
    EXPECT_EQ(host.Run(s), 0);
    EXPECT_EQ(host.calls, (Calls{"com", "uncom"}));
  }
  FakeHost com;
  com.comResult = static_cast<std::int32_t>(0x80004005u);  // E_FAIL
  EXPECT_EQ(com.Run(Switch::kService), com.comResult);
  EXPECT_EQ(com.Run(Switch::kUnregServer), com.comResult);
  EXPECT_EQ(com.calls, (Calls{"com", "com"}));

  FakeHost denied;
  denied.registryError = 5;  // ERROR_ACCESS_DENIED
  EXPECT_EQ(denied.Run(Switch::kService), 5);
  EXPECT_FALSE(denied.installed);

  // The registry took the entries but the service manager refused the service: its error is the
  // exit code, not a success.
  FakeHost refused;
  refused.installError = 5;
  EXPECT_EQ(refused.Run(Switch::kService), 5);
  EXPECT_EQ(refused.calls, (Calls{"com", "registry", "install", "uncom"}));
  EXPECT_FALSE(refused.installed);
}

TEST(Unregistration, BothKeysAndTheServiceGoAndUninstallSaysOneWhenGone) {
  FakeHost host;
  host.installed = true;
  EXPECT_EQ(host.Run(Switch::kUnregServer), 0);
  EXPECT_EQ(host.written,
            (std::vector<RegistryEntry>{{Op::kDeleteKey, kGuidKey, "", ""},
                                        {Op::kDeleteKey, "AppID\\ZTLBScanDetector.EXE", "", ""}}));
  EXPECT_FALSE(host.installed);

  FakeHost absent;
  EXPECT_EQ(absent.Run(Switch::kUninstall), 1);
  FakeHost installed;
  installed.installed = true;
  EXPECT_EQ(installed.Run(Switch::kUninstall), 1);
  // A service that cannot be removed: Uninstall says 0, UnregServer still 0.
  FakeHost stuck;
  stuck.installed = true;
  stuck.removable = false;
  EXPECT_EQ(stuck.Run(Switch::kUninstall), 0);
  EXPECT_EQ(stuck.Run(Switch::kUnregServer), 0);
  EXPECT_EQ(stuck.calls, (Calls{"uninstall", "com", "registry", "uninstall", "uncom"}));
}

}  // namespace
}  // namespace zt::detector
