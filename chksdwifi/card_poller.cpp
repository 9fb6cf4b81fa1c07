#include "chksdwifi/card_poller.h"

#include <utility>

#include "common/mbcs_path.h"

namespace zt::sdwifi {

CCardPoller::CCardPoller(const CardSettings& settings, std::string downloadFolder, CardFetcher& fetcher,
                         DownloadFiles& files, ClientMessenger& messenger, BlockMemory& blocks)
    : m_settings(settings),
      m_strDownloadFolder(std::move(downloadFolder)),
      m_fetcher(fetcher),
      m_files(files),
      m_clients(files, messenger, blocks) {
  m_format.sdType = settings.sdType;
  m_format.extensions = settings.extensions;
  m_format.strBeforeFileSize = settings.strBeforeFileSize;
  m_format.strAfterFileSize = settings.strAfterFileSize;
  m_format.strBeforeTimestamp = settings.strBeforeTimestamp;
  m_format.strAfterTimestamp = settings.strAfterTimestamp;
  ResetKnownFiles();
}

void CCardPoller::ResetKnownFiles() {
  m_knownFiles.Clear();
  m_bFirstPass = true;
}

void CCardPoller::PollCard() {
  m_folderUrls.clear();
  for (SDClient& c : m_clients.Clients()) c.candidate.Clear();

  const int root = ReadRootListing();
  if (root == ROOT_RESET) {
    ResetKnownFiles();
    return;
  }
  if (root != ROOT_FOLDERS_BUILT || m_folderUrls.empty()) return;

  const ListedFileSink sink = [this](const CardFileEntry& entry) {
    OfferToClients(entry, RecordKnownFile(entry));
  };
  std::string listing;
  for (std::size_t i = 0; i < m_folderUrls.size(); ++i) {
    m_nFolderIndex = static_cast<std::int32_t>(i);
    const FetchResult r = m_fetcher.FetchUrl(m_folderUrls[i], nullptr, &listing);
    if (r == FETCH_READ_FAILED || r == FETCH_CONNECT_FAILED) {
      ResetKnownFiles();
      return;
    }
    if (r == FETCH_NOT_FOUND) continue;
    // A listing whose parse stopped early still contributes the files found before the stop.
    ParseFolderListing(m_format, m_folderUrls[i], listing, sink);
  }

  if (DownloadCandidates() == DOWNLOADS_RESET)
    ResetKnownFiles();
  else
    m_bFirstPass = false;
}

int CCardPoller::ReadRootListing() {
  m_folderUrls.clear();
  std::string root;
  switch (m_fetcher.FetchUrl(m_settings.folderUrl, nullptr, &root)) {
    case FETCH_OK:
      for (const std::string& folder : m_settings.folders)
        if (root.find(folder) != std::string::npos) m_folderUrls.push_back(m_settings.fileUrl + folder + "/");
      return ROOT_FOLDERS_BUILT;
    case FETCH_READ_FAILED:
    case FETCH_CONNECT_FAILED:
    case FETCH_NOT_FOUND:
      return ROOT_RESET;
    default:
      return ROOT_LEAVE;
  }
}

bool CCardPoller::RecordKnownFile(const CardFileEntry& entry) { return m_knownFiles.Record(entry); }

void CCardPoller::OfferToClients(const CardFileEntry& entry, bool isNew) {
  const std::uint32_t bit = 1u << (static_cast<std::uint32_t>(m_nFolderIndex) % 32u);
  for (SDClient& c : m_clients.Clients()) {
    if ((c.folderMask & bit) == 0) continue;
    const bool retried = !c.brokenOff.IsEmpty() && c.brokenOff.fileUrl == entry.fileUrl;
    const bool takesPart = retried || (m_bFirstPass ? c.firstPass == 1 : isNew);
    if (!takesPart) continue;
    // On equal times the file found first stays.
    if (c.candidate.IsEmpty() || c.candidate.time < entry.time) c.candidate = entry;
  }
}

bool CCardPoller::HaveDownloadFolder() {
  // It may not have existed at start (a profile not yet set up), or been removed since.
  if (m_strDownloadFolder.empty()) m_strDownloadFolder = m_files.SetUpDownloadFolder();
  return !m_strDownloadFolder.empty();
}

int CCardPoller::DownloadCandidates() {
  std::vector<SDClient>& clients = m_clients.Clients();
  // The card was read whole: every file that broke off has been offered again, or is gone.
  for (SDClient& c : clients) c.brokenOff.Clear();
  for (std::size_t i = 0; i < clients.size(); ++i) {
    if (clients[i].candidate.IsEmpty()) continue;
    const CardFileEntry candidate = clients[i].candidate;
    const std::string fileName = FileNameOf(candidate.fileUrl);
    if (fileName.empty()) continue;
    // Without a download folder the file would land in the working directory: no download, and
    // the scan waits for a poll that has one.
    if (!HaveDownloadFolder()) {
      KeepForNextPoll(i);
      continue;
    }
    const std::string localPath = m_strDownloadFolder + fileName;
    switch (m_fetcher.FetchUrl(candidate.fileUrl, &localPath, nullptr)) {
      case FETCH_OK:
        m_clients.DeliverFile(candidate.fileUrl, localPath, fileName, i);
        m_files.Delete(localPath);
        break;
      case FETCH_NOT_FOUND:
        m_knownFiles.RemoveEqual(candidate);
        break;
      case FETCH_READ_FAILED:
      case FETCH_CONNECT_FAILED:
        // The card went away mid-download (or sent less than it announced): this candidate and
        // those of the later clients, none of them delivered, are offered again once it answers.
        // Earlier clients keep what this poll could not write for them.
        for (std::size_t j = i; j < clients.size(); ++j) clients[j].brokenOff = clients[j].candidate;
        return DOWNLOADS_RESET;
      case FETCH_CREATE_FAILED:
        // The folder may have been taken away: it is set up again for the next download.
        m_strDownloadFolder.clear();
        KeepForNextPoll(i);
        break;
      case FETCH_WRITE_FAILED:
        // Not writable here (a full disk): the scan is not lost.
        KeepForNextPoll(i);
        break;
      default:
        break;
    }
  }
  return DOWNLOADS_DONE;
}

void CCardPoller::KeepForNextPoll(std::size_t clientIndex) {
  SDClient& client = m_clients.Clients()[clientIndex];
  m_clients.ReportDeliveryFailed(clientIndex);
  client.brokenOff = client.candidate;
  client.candidate.Clear();
}

}  // namespace zt::sdwifi
