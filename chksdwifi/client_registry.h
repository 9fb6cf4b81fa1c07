// The checker's clients: registration through a block the client wrote into this process,
// delivery of downloaded files into their folders with a path block each, and the clean-up when
// the last client has gone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chksdwifi/card_file_entry.h"
#include "chksdwifi/checker_host.h"
#include "chksdwifi/write_backoff.h"

namespace zt::sdwifi {

struct SDClient {
  ClientWindow window = 0;
  std::uint32_t folderMask = 0;
  std::int32_t firstPass = 0;
  std::string destinationFolder;  // ends with a path separator; the file name is appended
  CardFileEntry candidate;        // the file chosen in the current poll
  // Files chosen for this client that have not reached it: the download broke off with the card,
  // could not be written here, or was put off by the back-off. Each is offered again, as new,
  // whenever it is listed, even in a first pass (the client would otherwise never get it), until
  // it is delivered or a listing of its folder read whole no longer names it.
  std::vector<CardFileEntry> retried;
  WriteBackOff backOff;
};

class ClientRegistry {
 public:
  ClientRegistry(DownloadFiles& files, ClientMessenger& messenger, BlockMemory& blocks);
  ~ClientRegistry() = default;
  ClientRegistry(const ClientRegistry&) = delete;
  ClientRegistry& operator=(const ClientRegistry&) = delete;

  // Copies the registration block at address (in this process) into a new client, answers
  // code 2 when its window exists. Address 0, or one that is no readable block, is ignored.
  void RegisterClient(BlockAddress address);
  // Removes every registration of window (0 removes nothing). True when no client is left:
  // the program must then clean up and end.
  bool UnregisterClient(ClientWindow window);
  // Frees a path block that a client has read; unknown addresses are ignored.
  void ReleasePathBlock(BlockAddress address);

  // Delivers the downloaded file to the client at index and every later client whose candidate
  // is fileUrl: copy into its folder, post a path block, empty the candidate. Returns the clients
  // whose copy could not be written (told, and sent the path all the same).
  std::vector<std::size_t> DeliverFile(const std::string& fileUrl, const std::string& localPath,
                                       const std::string& fileName, std::size_t clientIndex);
  // Tells the client at index that the file it was to get could not be delivered.
  void ReportDeliveryFailed(std::size_t clientIndex);
  // Empties the download folder and removes it, frees the path blocks not yet released. Nothing
  // on disk is touched when downloadFolder is empty.
  void CleanUpDownloads(const std::string& downloadFolder);

  std::vector<SDClient>& Clients() { return m_clients; }
  const std::vector<SDClient>& Clients() const { return m_clients; }
  const std::vector<BlockAddress>& PathBlocks() const { return m_pathBlocks; }

 private:
  DownloadFiles& m_files;
  ClientMessenger& m_messenger;
  BlockMemory& m_blocks;
  std::vector<SDClient> m_clients;
  std::vector<BlockAddress> m_pathBlocks;
};

}  // namespace zt::sdwifi
