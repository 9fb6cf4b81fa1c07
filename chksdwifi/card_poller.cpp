#include "chksdwifi/card_poller.h"

#include <algorithm>
#include <utility>

#include "common/mbcs_path.h"

namespace zt::sdwifi {

namespace {

bool Contains(const std::vector<std::string>& urls, const std::string& url) {
  return std::find(urls.begin(), urls.end(), url) != urls.end();
}

bool IsRetried(const SDClient& client, const std::string& url) {
  return std::any_of(client.retried.begin(), client.retried.end(),
                     [&url](const CardFileEntry& e) { return e.fileUrl == url; });
}

void ForgetRetried(SDClient& client, const std::string& url) {
  auto& r = client.retried;
  r.erase(std::remove_if(r.begin(), r.end(), [&url](const CardFileEntry& e) { return e.fileUrl == url; }),
          r.end());
}

// The folder URL in front of the file name (file names hold no "/").
std::string FolderUrlOf(const std::string& fileUrl) { return fileUrl.substr(0, fileUrl.rfind('/') + 1); }

}  // namespace

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
  ++m_nPoll;
  m_folderUrls.clear();
  m_foldersReadWhole.clear();
  m_retriedListed.clear();
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
    if (ParseFolderListing(m_format, m_folderUrls[i], listing, sink) == LISTING_COMPLETE)
      m_foldersReadWhole.push_back(m_folderUrls[i]);
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
    const bool retried = IsRetried(c, entry.fileUrl);
    if (retried) m_retriedListed.push_back(entry.fileUrl);
    if ((c.folderMask & bit) == 0) continue;
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
  for (SDClient& c : clients) ForgetGoneFiles(c);
  for (std::size_t i = 0; i < clients.size(); ++i) {
    // A client in its back-off keeps its candidate for a later poll.
    if (clients[i].candidate.IsEmpty() || !clients[i].backOff.Due(m_nPoll)) continue;
    const CardFileEntry candidate = clients[i].candidate;
    const std::string fileName = FileNameOf(candidate.fileUrl);
    if (fileName.empty()) {
      clients[i].candidate.Clear();
      continue;
    }
    // Without a download folder the file would land in the working directory: no download, and
    // the scan waits for a poll that has one.
    if (!HaveDownloadFolder()) {
      NotWritten(i);
      continue;
    }
    const std::string localPath = m_strDownloadFolder + fileName;
    switch (m_fetcher.FetchUrl(candidate.fileUrl, &localPath, nullptr)) {
      case FETCH_OK:
        Served(candidate.fileUrl, i);
        // A client whose folder could not take the copy (taken away, or full) has been told and
        // sent the path as always; the scan is fetched for it again after the back-off.
        for (const std::size_t k : m_clients.DeliverFile(candidate.fileUrl, localPath, fileName, i)) {
          clients[k].retried.push_back(candidate);
          clients[k].backOff.Failed(m_nPoll);
        }
        m_files.Delete(localPath);
        break;
      case FETCH_NOT_FOUND:
        // New again when it is listed again; a retried file stays retried.
        m_knownFiles.RemoveEqual(candidate);
        clients[i].candidate.Clear();
        break;
      case FETCH_READ_FAILED:
      case FETCH_CONNECT_FAILED:
        // The card went away mid-download (or sent less than it announced): this candidate and
        // those of the later clients, none of them delivered, are offered again once it answers,
        // as is what this poll could not write for earlier clients.
        KeepUndelivered();
        return DOWNLOADS_RESET;
      case FETCH_CREATE_FAILED:
        // The folder may have been taken away: it is set up again for the next download.
        m_strDownloadFolder.clear();
        NotWritten(i);
        break;
      case FETCH_WRITE_FAILED:
        // Not writable here (a full disk): the scan is not lost.
        NotWritten(i);
        break;
      default:
        break;
    }
  }
  KeepUndelivered();
  return DOWNLOADS_DONE;
}

void CCardPoller::NotWritten(std::size_t clientIndex) {
  m_clients.ReportDeliveryFailed(clientIndex);
  m_clients.Clients()[clientIndex].backOff.Failed(m_nPoll);
}

void CCardPoller::Served(const std::string& url, std::size_t clientIndex) {
  std::vector<SDClient>& clients = m_clients.Clients();
  for (std::size_t i = clientIndex; i < clients.size(); ++i) {
    if (clients[i].candidate.fileUrl != url) continue;
    clients[i].backOff.Succeeded();
    ForgetRetried(clients[i], url);
  }
}

void CCardPoller::KeepUndelivered() {
  for (SDClient& c : m_clients.Clients()) {
    if (c.candidate.IsEmpty()) continue;
    ForgetRetried(c, c.candidate.fileUrl);
    c.retried.push_back(c.candidate);
    c.candidate.Clear();
  }
}

void CCardPoller::ForgetGoneFiles(SDClient& client) const {
  auto& r = client.retried;
  r.erase(std::remove_if(r.begin(), r.end(),
                         [this](const CardFileEntry& e) {
                           return Contains(m_foldersReadWhole, FolderUrlOf(e.fileUrl)) &&
                                  !Contains(m_retriedListed, e.fileUrl);
                         }),
          r.end());
}

}  // namespace zt::sdwifi
