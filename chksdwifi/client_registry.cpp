#include "chksdwifi/client_registry.h"

#include <algorithm>
#include <cstring>

namespace zt::sdwifi {

namespace sc = sdchannel;

ClientRegistry::ClientRegistry(DownloadFiles& files, ClientMessenger& messenger, BlockMemory& blocks)
    : m_files(files), m_messenger(messenger), m_blocks(blocks) {}

void ClientRegistry::RegisterClient(BlockAddress address) {
  if (address == 0) return;
  // Read through a checked copy: an address that is not a readable block is ignored.
  sc::RegistrationBlock block{};
  if (!m_blocks.ReadRegistration(address, block)) return;
  SDClient client;
  client.window = block.clientWindow;
  client.folderMask = block.folderMask;
  client.firstPass = static_cast<std::int32_t>(block.firstPass);
  // A folder without a NUL in its 260 bytes is kept whole (never read beyond); such a folder
  // cannot take a file name within the path limit, so every delivery to it is refused.
  client.destinationFolder.assign(block.destinationFolder,
                                  sc::BoundedLength(block.destinationFolder, sc::kPathSize));
  if (m_messenger.WindowExists(client.window))
    m_messenger.Post(client.window, sc::kRegistrationTaken, address);
  m_clients.push_back(std::move(client));
}

bool ClientRegistry::UnregisterClient(ClientWindow window) {
  if (window != 0) {
    m_clients.erase(std::remove_if(m_clients.begin(), m_clients.end(),
                                   [window](const SDClient& c) { return c.window == window; }),
                    m_clients.end());
  }
  return m_clients.empty();
}

void ClientRegistry::ReleasePathBlock(BlockAddress address) {
  if (address == 0) return;
  auto it = std::find(m_pathBlocks.begin(), m_pathBlocks.end(), address);
  if (it == m_pathBlocks.end()) return;
  m_blocks.Free(address);
  m_pathBlocks.erase(it);
}

std::vector<std::size_t> ClientRegistry::DeliverFile(const std::string& fileUrl, const std::string& localPath,
                                                     const std::string& fileName, std::size_t clientIndex) {
  std::vector<std::size_t> notCopied;
  for (std::size_t i = clientIndex; i < m_clients.size(); ++i) {
    SDClient& client = m_clients[i];
    if (client.candidate.fileUrl != fileUrl) continue;
    client.candidate.Clear();
    const std::string destination = client.destinationFolder + fileName;
    if (destination.size() >= sc::kPathSize) {
      // Too long for a path block: refuse rather than cut the path or write past the block.
      ReportDeliveryFailed(i);
      continue;
    }
    if (!m_files.Copy(localPath, destination)) {
      ReportDeliveryFailed(i);
      notCopied.push_back(i);
    }

    sc::PathBlock block{};
    std::memcpy(block.path, destination.c_str(), destination.size() + 1);
    const BlockAddress address = m_blocks.Allocate(block);
    if (address != 0 && m_messenger.Post(client.window, sc::kFileDelivered, address)) {
      m_pathBlocks.push_back(address);
      continue;
    }
    ReportDeliveryFailed(i);
    m_files.Delete(destination);
    if (address != 0) m_blocks.Free(address);
  }
  return notCopied;
}

void ClientRegistry::ReportDeliveryFailed(std::size_t clientIndex) {
  m_messenger.Post(m_clients[clientIndex].window, sc::kDeliveryFailed, 0);
}

void ClientRegistry::CleanUpDownloads(const std::string& downloadFolder) {
  if (!downloadFolder.empty()) {
    for (const std::string& name : m_files.List(downloadFolder)) {
      if (name == "." || name == "..") continue;
      m_files.Delete(downloadFolder + name);
    }
    m_files.RemoveFolder(downloadFolder);
  }
  for (BlockAddress address : m_pathBlocks) m_blocks.Free(address);
  m_pathBlocks.clear();
}

}  // namespace zt::sdwifi
