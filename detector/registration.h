// What registering the detector writes: its application-identifier entries under
// HKEY_CLASSES_ROOT and its service configuration. Kept as data so that the order and the exact
// names can be checked without a registry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zt::detector {

inline constexpr char kServiceName[] = "ZTLBScanDetector";  // also string resource 100
inline constexpr unsigned kServiceNameResource = 100;
inline constexpr char kAppId[] = "{4B66C5C6-B116-4B5F-B1F7-33D1EAFA86C5}";
inline constexpr char kAppIdKey[] = "AppID\\{4B66C5C6-B116-4B5F-B1F7-33D1EAFA86C5}";
inline constexpr char kExeKey[] = "AppID\\ZTLBScanDetector.EXE";
inline constexpr char kLocalService[] = "LocalService";
inline constexpr char kServiceParameters[] = "ServiceParameters";

// One intended change below HKEY_CLASSES_ROOT.
struct RegistryEntry {
  enum class Op {
    kSetString,    // write value (empty name: the key's default) as a string
    kDeleteValue,  // delete value; a value that is not there counts as deleted
    kDeleteKey,    // delete key with its values; a key that is not there counts as deleted
  };
  Op op;
  std::string key;
  std::string value;
  std::string data;

  bool operator==(const RegistryEntry& o) const {
    return op == o.op && key == o.key && value == o.value && data == o.data;
  }
};

// In order: the entries of every registration, "LocalService" removed, and for a service
// "LocalService" and "ServiceParameters" written again.
std::vector<RegistryEntry> RegistrationEntries(const std::string& serviceName, bool asService);
// The two application-identifier keys; "AppID" itself stays.
std::vector<RegistryEntry> UnregistrationEntries();

// The service as it is installed.
struct ServiceConfig {
  std::string name;
  std::string displayName;
  std::uint32_t type;          // own process
  std::uint32_t startType;     // automatic
  std::uint32_t errorControl;  // normal
  std::string imagePath;
  std::string dependencies;  // double-NUL-terminated list
  // No load-order group, no tag, the local system account (no name, no password).
};

inline constexpr std::uint32_t kServiceWin32OwnProcess = 0x10;
inline constexpr std::uint32_t kServiceAutoStart = 2;
inline constexpr std::uint32_t kServiceErrorNormal = 1;

// The command line the service control manager starts the program with: its file name, in quotes
// when it holds a blank. Unquoted, "C:\Program Files\..." would make the manager try
// "C:\Program.exe" first, under the local system account (and Wine's manager starts nothing).
std::string ServiceCommandLine(const std::string& imagePath);

ServiceConfig MakeServiceConfig(const std::string& serviceName, const std::string& imagePath);

}  // namespace zt::detector
