#include "detector/registration.h"

namespace zt::detector {

std::vector<RegistryEntry> RegistrationEntries(const std::string& serviceName, bool asService) {
  using Op = RegistryEntry::Op;
  std::vector<RegistryEntry> entries = {
      {Op::kSetString, kAppIdKey, "", serviceName},
      {Op::kSetString, kExeKey, "AppID", kAppId},
      // A program registered as a plain local server must not keep an old service value.
      {Op::kDeleteValue, kAppIdKey, kLocalService, ""},
  };
  if (asService) {
    entries.push_back({Op::kSetString, kAppIdKey, kLocalService, serviceName});
    entries.push_back({Op::kSetString, kAppIdKey, kServiceParameters, "-Service"});
  }
  return entries;
}

std::vector<RegistryEntry> UnregistrationEntries() {
  using Op = RegistryEntry::Op;
  return {{Op::kDeleteKey, kAppIdKey, "", ""}, {Op::kDeleteKey, kExeKey, "", ""}};
}

std::string ServiceCommandLine(const std::string& imagePath) {
  const bool quoted = !imagePath.empty() && imagePath.front() == '"';
  if (quoted || imagePath.find(' ') == std::string::npos) return imagePath;
  return '"' + imagePath + '"';
}

ServiceConfig MakeServiceConfig(const std::string& serviceName, const std::string& imagePath) {
  ServiceConfig c;
  c.name = serviceName;
  c.displayName = serviceName;
  c.type = kServiceWin32OwnProcess;
  c.startType = kServiceAutoStart;
  c.errorControl = kServiceErrorNormal;
  c.imagePath = ServiceCommandLine(imagePath);
  c.dependencies = std::string("RPCSS") + '\0' + '\0';
  return c;
}

}  // namespace zt::detector
