// The checker's system side: download files, client windows and VirtualAlloc'd path blocks.
#pragma once

#include <windows.h>

#include "chksdwifi/checker_host.h"

namespace zt::sdwifi {

class WinDownloadFiles : public DownloadFiles {
 public:
  bool Copy(const std::string& from, const std::string& to) override;
  bool Delete(const std::string& path) override;
  std::vector<std::string> List(const std::string& folder) override;
  bool RemoveFolder(const std::string& folder) override;
  std::string SetUpDownloadFolder() override;
};

class WinClientMessenger : public ClientMessenger {
 public:
  explicit WinClientMessenger(UINT message) : m_message(message) {}
  bool WindowExists(ClientWindow window) override;
  bool Post(ClientWindow window, std::uint32_t code, BlockAddress lParam) override;

 private:
  UINT m_message;
};

// Each block its own committed allocation, so a client can read it from its process.
class WinBlockMemory : public BlockMemory {
 public:
  BlockAddress Allocate(const sdchannel::PathBlock& block) override;
  void Free(BlockAddress address) override;
  bool ReadRegistration(BlockAddress address, sdchannel::RegistrationBlock& out) override;
};

}  // namespace zt::sdwifi
