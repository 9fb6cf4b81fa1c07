// Registration and path blocks of the checker's channel with bytes of any kind: the first 272
// bytes are a registration block as a client (or any process) wrote it, the rest a scan's file
// name. The checker registers the client and delivers the scan to it; the path block it hands
// out must hold the destination whole with its NUL inside the block, or the delivery is refused,
// and the tray application's reading of the block must give back the same path.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "chksdwifi/client_registry.h"
#include "common/sd_channel.h"

namespace {

namespace sc = zt::sdchannel;
using zt::sdwifi::BlockAddress;
using zt::sdwifi::ClientWindow;

void Check(bool holds) {
  if (!holds) std::abort();
}

struct Files final : zt::sdwifi::DownloadFiles {
  bool Copy(const std::string&, const std::string&) override { return true; }
  bool Delete(const std::string&) override { return true; }
  std::vector<std::string> List(const std::string&) override { return {}; }
  bool RemoveFolder(const std::string&) override { return true; }
  std::string SetUpDownloadFolder() override { return "C:\\dl\\"; }
};

struct Windows final : zt::sdwifi::ClientMessenger {
  std::vector<std::uint32_t> codes;
  bool WindowExists(ClientWindow) override { return true; }
  bool Post(ClientWindow, std::uint32_t code, BlockAddress) override {
    codes.push_back(code);
    return true;
  }
};

// Path blocks live in a map; registration blocks are read from the fuzzer's own copy.
struct Memory final : zt::sdwifi::BlockMemory {
  std::map<BlockAddress, sc::PathBlock> blocks;
  BlockAddress next = 0x10000;
  BlockAddress Allocate(const sc::PathBlock& block) override {
    blocks[next] = block;
    return next++;
  }
  void Free(BlockAddress address) override { Check(blocks.erase(address) == 1); }
  bool ReadRegistration(BlockAddress address, sc::RegistrationBlock& out) override {
    std::memcpy(&out, reinterpret_cast<const void*>(address), sizeof out);
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sc::RegistrationBlock registration{};
  std::memcpy(&registration, data, size < sizeof registration ? size : sizeof registration);
  std::string fileName;
  for (std::size_t i = sizeof registration; i < size; ++i)
    if (data[i] != 0) fileName += static_cast<char>(data[i]);

  Files files;
  Windows windows;
  Memory memory;
  zt::sdwifi::ClientRegistry registry(files, windows, memory);
  registry.RegisterClient(reinterpret_cast<BlockAddress>(&registration));
  Check(registry.Clients().size() == 1);
  const std::string folder = registry.Clients()[0].destinationFolder;
  Check(folder.size() <= sc::kPathSize && folder.find('\0') == std::string::npos);

  const std::string url = "http://card/DCIM/" + fileName;
  registry.Clients()[0].candidate.fileUrl = url;
  registry.DeliverFile(url, "D:\\dl\\" + fileName, fileName, 0);

  const std::string destination = folder + fileName;
  if (destination.size() >= sc::kPathSize) {
    Check(memory.blocks.empty() && registry.PathBlocks().empty());
  } else {
    Check(memory.blocks.size() == 1 && registry.PathBlocks().size() == 1);
    const sc::PathBlock& block = memory.blocks.begin()->second;
    Check(sc::BoundedLength(block.path, sc::kPathSize) < sc::kPathSize);
    // As the tray application reads it: at most 259 bytes, up to the first NUL.
    Check(std::string(block.path, sc::BoundedLength(block.path, sc::kPathSize - 1)) == destination);
    registry.ReleasePathBlock(registry.PathBlocks()[0]);
    Check(memory.blocks.empty());
  }
  registry.CleanUpDownloads("D:\\dl\\");
  return 0;
}
