// What the checker needs of the system besides the card: its download files, the clients'
// windows and the path blocks it hands them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/sd_channel.h"

namespace zt::sdwifi {

// A client window handle as carried in the registration block.
using ClientWindow = std::uint32_t;
// An address in the checker's own address space (registration and path blocks).
using BlockAddress = std::uintptr_t;

class DownloadFiles {
 public:
  virtual ~DownloadFiles() = default;
  // Copies from to to, replacing an existing file.
  virtual bool Copy(const std::string& from, const std::string& to) = 0;
  virtual bool Delete(const std::string& path) = 0;
  // Names of the entries of folder (which ends in "\"), "." and ".." included when listed.
  virtual std::vector<std::string> List(const std::string& folder) = 0;
  virtual bool RemoveFolder(const std::string& folder) = 0;
  // Makes the private download folder when it is missing; its path ending in "\", or "" when it
  // cannot be had.
  virtual std::string SetUpDownloadFolder() = 0;
};

class ClientMessenger {
 public:
  virtual ~ClientMessenger() = default;
  virtual bool WindowExists(ClientWindow window) = 0;
  // Posts the channel's registered message; never sends.
  virtual bool Post(ClientWindow window, std::uint32_t code, BlockAddress lParam) = 0;
};

// The checker's own memory where the channel's blocks live: the path blocks it hands out and
// the registration blocks that clients write into it.
class BlockMemory {
 public:
  virtual ~BlockMemory() = default;
  // A fresh, committed 260-byte block holding block's bytes; 0 when none can be had.
  virtual BlockAddress Allocate(const sdchannel::PathBlock& block) = 0;
  virtual void Free(BlockAddress address) = 0;
  // Copies the 272-byte registration block at address. The address arrives in a window message
  // that any local process may post: false, and nothing read, when it is not readable memory.
  virtual bool ReadRegistration(BlockAddress address, sdchannel::RegistrationBlock& out) = 0;
};

}  // namespace zt::sdwifi
