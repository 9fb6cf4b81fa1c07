// The polling engine: once a second the root listing, then every configured folder the root
// mentions, the known-file memory, each client's newest new file, its download and delivery.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chksdwifi/card_config.h"
#include "chksdwifi/card_file_entry.h"
#include "chksdwifi/client_registry.h"
#include "chksdwifi/fetch_result.h"
#include "chksdwifi/known_files.h"
#include "chksdwifi/listing_parser.h"

namespace zt::sdwifi {

enum RootListingResult : int { ROOT_FOLDERS_BUILT = 0, ROOT_RESET = 2, ROOT_LEAVE = 4 };
enum DownloadResult : int { DOWNLOADS_DONE = 0, DOWNLOADS_RESET = 2 };

class CCardPoller {
 public:
  // downloadFolder ends with "\" or is empty when it could not be set up; it is set up again
  // when a download needs it, and no download touches the disk without it.
  CCardPoller(const CardSettings& settings, std::string downloadFolder, CardFetcher& fetcher,
              DownloadFiles& files, ClientMessenger& messenger, BlockMemory& blocks);

  void PollCard();
  int ReadRootListing();
  bool RecordKnownFile(const CardFileEntry& entry);
  void OfferToClients(const CardFileEntry& entry, bool isNew);
  int DownloadCandidates();

  // The client channel.
  void RegisterClient(BlockAddress address) { m_clients.RegisterClient(address); }
  bool UnregisterClient(ClientWindow window) { return m_clients.UnregisterClient(window); }
  void ReleasePathBlock(BlockAddress address) { m_clients.ReleasePathBlock(address); }
  void CleanUpDownloads() { m_clients.CleanUpDownloads(m_strDownloadFolder); }

  bool FirstPass() const { return m_bFirstPass; }
  const KnownFileList& KnownFiles() const { return m_knownFiles; }
  const std::vector<std::string>& FolderUrls() const { return m_folderUrls; }
  ClientRegistry& Clients() { return m_clients; }
  const std::string& DownloadFolder() const { return m_strDownloadFolder; }

 private:
  void ResetKnownFiles();
  bool HaveDownloadFolder();
  // The client's file could not be written here: it is told, and waits out the back-off.
  void NotWritten(std::size_t clientIndex);
  // The download of url was written: it reaches the client at index and every later client
  // whose candidate it is, and ends their back-off.
  void Served(const std::string& url, std::size_t clientIndex);
  // Every candidate that did not reach its client in this poll is offered again.
  void KeepUndelivered();
  // Forgets the retried files that a listing read whole in this poll no longer names.
  void ForgetGoneFiles(SDClient& client) const;

  CardSettings m_settings;
  ListingFormat m_format;
  std::string m_strDownloadFolder;
  CardFetcher& m_fetcher;
  DownloadFiles& m_files;
  ClientRegistry m_clients;
  KnownFileList m_knownFiles;
  std::vector<std::string> m_folderUrls;
  // Of this poll: the folders whose listing was read to its end, and the retried files listed.
  std::vector<std::string> m_foldersReadWhole;
  std::vector<std::string> m_retriedListed;
  std::int32_t m_nFolderIndex = 0;
  std::uint64_t m_nPoll = 0;  // the back-off's clock
  bool m_bFirstPass = true;
};

}  // namespace zt::sdwifi
