#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "chksdwifi/card_poller.h"
#include "tests/support/fixed_time_zone.h"
#include "tests/support/sdwifi_fakes.h"

namespace zt::sdwifi {
namespace {

namespace sc = sdchannel;

constexpr char kDownloads[] = "D:\\dl\\";
constexpr char kDest[] = "C:\\client\\";
constexpr char kRoot[] = "http://card/";
constexpr char kDcim[] = "http://card/DCIM/";
constexpr char kScan[] = "http://card/SCAN/";

std::string Line(const std::string& name, int size, int minute) {
  return "\"/x," + name + "," + std::to_string(size) + ",32," + std::to_string(FatDate(2006, 1, 2)) + "," +
         std::to_string(FatTime(15, minute, 0)) + "\"\n";
}

class Poller : public FixedTimeZone {
 protected:
  void SetUp() override {
    FixedTimeZone::SetUp();
    settings.folderUrl = kRoot;
    settings.fileUrl = kRoot;
    settings.extensions = {".JPG"};
    settings.folders = {"DCIM", "SCAN", "OTHER"};
    card.disk = &files.disk;
    card.Set(kRoot, "<a>DCIM</a><a>SCAN</a>");
    card.Set(kDcim, "");
    card.Set(kScan, "");
    files.folders = {kDownloads, kDest};
    files.downloadFolder = kDownloads;  // what a set-up of the folder gives again
    MakePoller(kDownloads);
  }
  void MakePoller(const std::string& downloads) {
    poller = std::make_unique<CCardPoller>(settings, downloads, card, files, windows, blocks);
  }
  // Registers a client window with its own destination folder.
  ClientWindow AddClient(ClientWindow w, std::uint32_t firstPass, std::uint32_t mask = sc::kDefaultFolderMask,
                         const std::string& dest = kDest) {
    auto block = std::make_unique<sc::RegistrationBlock>();
    block->clientWindow = w;
    block->folderMask = mask;
    block->firstPass = firstPass;
    std::strcpy(block->destinationFolder, dest.c_str());
    windows.alive.insert(w);
    poller->RegisterClient(reinterpret_cast<BlockAddress>(block.get()));
    registrations.push_back(std::move(block));
    return w;
  }
  void AddFile(const char* folderUrl, const std::string& name, int minute, int size = 10) {
    card.pages[folderUrl].body += Line(name, size, minute);
    card.Set(std::string(folderUrl) + name, "bytes of " + name);
  }
  // Paths delivered to w, in order.
  std::vector<std::string> Delivered(ClientWindow w) const {
    std::vector<std::string> paths;
    for (const auto& p : windows.posts)
      if (p.window == w && p.code == sc::kFileDelivered) paths.push_back(blocks.live.at(p.lParam));
    return paths;
  }
  int FailureReports(ClientWindow w) const {
    int n = 0;
    for (const auto& p : windows.posts) n += p.window == w && p.code == sc::kDeliveryFailed;
    return n;
  }
  int Fetches(const std::string& url) const {
    int n = 0;
    for (const auto& u : card.fetched) n += u == url;
    return n;
  }

  CardSettings settings;
  FakeCard card;
  FakeFiles files;
  FakeWindows windows;
  FakeBlocks blocks;
  std::unique_ptr<CCardPoller> poller;
  std::vector<std::unique_ptr<sc::RegistrationBlock>> registrations;
};

TEST_F(Poller, FirstPassServesOnlyClientsThatAskForIt) {
  const ClientWindow quiet = AddClient(11, 0), eager = AddClient(12, 1);
  AddFile(kDcim, "01021530.JPG", 1);
  AddFile(kDcim, "01021531.JPG", 5);
  AddFile(kDcim, "01021532.JPG", 3);
  ASSERT_TRUE(poller->FirstPass());
  poller->PollCard();
  EXPECT_FALSE(poller->FirstPass());
  EXPECT_TRUE(Delivered(quiet).empty());
  EXPECT_EQ(Delivered(eager), std::vector<std::string>{"C:\\client\\01021531.JPG"});
  EXPECT_EQ(files.disk.at("C:\\client\\01021531.JPG"), "bytes of 01021531.JPG");
  EXPECT_FALSE(files.disk.count("D:\\dl\\01021531.JPG"));  // the download itself is deleted

  // Nothing new: nobody gets anything.
  poller->PollCard();
  EXPECT_EQ(Delivered(eager).size(), 1u);

  // A new file reaches both, once.
  AddFile(kScan, "01021533.JPG", 0);
  poller->PollCard();
  poller->PollCard();
  EXPECT_EQ(Delivered(quiet), std::vector<std::string>{"C:\\client\\01021533.JPG"});
  EXPECT_EQ(Delivered(eager).size(), 2u);
  EXPECT_EQ(poller->KnownFiles().Size(), 4u);
}

TEST_F(Poller, NewestNewFileWinsAndOlderOnesAreNeverDelivered) {
  const ClientWindow c = AddClient(11, 0);
  poller->PollCard();  // first pass over an empty card
  AddFile(kDcim, "01021530.JPG", 9);
  AddFile(kScan, "01021531.JPG", 4);
  poller->PollCard();
  EXPECT_EQ(Delivered(c), std::vector<std::string>{"C:\\client\\01021530.JPG"});
  poller->PollCard();
  EXPECT_EQ(Delivered(c).size(), 1u);
  EXPECT_EQ(Fetches(std::string(kScan) + "01021531.JPG"), 0);

  // Equal times: the earlier folder's file stays.
  AddFile(kScan, "01021540.JPG", 20);
  AddFile(kDcim, "01021541.JPG", 20);
  poller->PollCard();
  EXPECT_EQ(Delivered(c).back(), "C:\\client\\01021541.JPG");
}

TEST_F(Poller, LaterTimeIsNewAgainButSizeAloneIsNot) {
  const ClientWindow c = AddClient(11, 0);
  AddFile(kDcim, "01021530.JPG", 1);
  poller->PollCard();
  card.pages[kDcim].body = Line("01021530.JPG", 99, 1);  // same time, other size
  poller->PollCard();
  EXPECT_TRUE(Delivered(c).empty());
  card.pages[kDcim].body = Line("01021530.JPG", 99, 0);  // older
  poller->PollCard();
  EXPECT_TRUE(Delivered(c).empty());
  card.pages[kDcim].body = Line("01021530.JPG", 99, 2);  // later: new again
  poller->PollCard();
  EXPECT_EQ(Delivered(c).size(), 1u);
  ASSERT_EQ(poller->KnownFiles().Size(), 1u);
  EXPECT_EQ(poller->KnownFiles().Entries().front().size, 99);
}

TEST_F(Poller, NotFoundDownloadIsForgottenAndRetried) {
  const ClientWindow c = AddClient(11, 0);
  poller->PollCard();
  AddFile(kDcim, "01021530.JPG", 1);
  card.pages[std::string(kDcim) + "01021530.JPG"].result = FETCH_NOT_FOUND;
  poller->PollCard();
  EXPECT_TRUE(Delivered(c).empty());
  EXPECT_EQ(poller->KnownFiles().Size(), 0u);
  EXPECT_FALSE(poller->FirstPass());
  card.pages[std::string(kDcim) + "01021530.JPG"].result = FETCH_OK;
  poller->PollCard();
  EXPECT_EQ(Delivered(c).size(), 1u);
}

TEST_F(Poller, FolderIndexCountsOnlyTheFoldersTheRootMentions) {
  settings.folders = {"OTHER", "DCIM", "SCAN"};
  MakePoller(kDownloads);
  card.Set(kRoot, "SCAN and DCIM");
  const ClientWindow dcimOnly = AddClient(11, 1, 0x1), scanOnly = AddClient(12, 1, 0x2 | (1u << 2));
  AddFile(kDcim, "01021530.JPG", 1);
  AddFile(kScan, "01021531.JPG", 2);
  poller->PollCard();
  EXPECT_EQ(poller->FolderUrls(), (std::vector<std::string>{kDcim, kScan}));
  EXPECT_EQ(Delivered(dcimOnly), std::vector<std::string>{"C:\\client\\01021530.JPG"});
  EXPECT_EQ(Delivered(scanOnly), std::vector<std::string>{"C:\\client\\01021531.JPG"});

  // No configured folder on the card: the poll ends after the root, first pass unchanged.
  MakePoller(kDownloads);
  card.Set(kRoot, "nothing here");
  card.fetched.clear();
  poller->PollCard();
  EXPECT_EQ(card.fetched, std::vector<std::string>{kRoot});
  EXPECT_TRUE(poller->FirstPass());
}

TEST_F(Poller, ListingFailuresResetOrSkip) {
  AddClient(11, 0);
  AddFile(kDcim, "01021530.JPG", 1);
  AddFile(kScan, "01021531.JPG", 2);
  poller->PollCard();
  ASSERT_EQ(poller->KnownFiles().Size(), 2u);

  for (FetchResult r : {FETCH_READ_FAILED, FETCH_CONNECT_FAILED, FETCH_NOT_FOUND}) {
    card.pages[kRoot].result = r;  // root not readable, not reachable or not found: reset
    poller->PollCard();
    EXPECT_EQ(poller->KnownFiles().Size(), 0u) << r;
    EXPECT_TRUE(poller->FirstPass());
    card.pages[kRoot].result = FETCH_OK;
    poller->PollCard();
    EXPECT_EQ(poller->KnownFiles().Size(), 2u);
  }
  for (FetchResult r : {FETCH_READ_FAILED, FETCH_CONNECT_FAILED}) {
    card.pages[kScan].result = r;  // a folder listing fails: reset, no downloads
    AddFile(kDcim, "01021532.JPG", 30 + r);
    poller->PollCard();
    EXPECT_EQ(poller->KnownFiles().Size(), 0u);
    EXPECT_TRUE(windows.CodesTo(11).size() == 1u) << "only the registration answer";
    card.pages[kScan].result = FETCH_OK;
    poller->PollCard();  // first pass: recorded, not delivered to a client with word 0
  }
  // A missing folder is skipped; the other folder still counts.
  card.pages[kScan].result = FETCH_NOT_FOUND;
  AddFile(kDcim, "01021533.JPG", 50);
  poller->PollCard();
  EXPECT_EQ(Delivered(11), std::vector<std::string>{"C:\\client\\01021533.JPG"});
  EXPECT_FALSE(poller->FirstPass());
}

TEST_F(Poller, DownloadFailures) {
  const ClientWindow first = AddClient(11, 0);
  const ClientWindow later = AddClient(12, 0);
  poller->PollCard();
  const std::string url = std::string(kDcim) + "01021530.JPG";
  AddFile(kDcim, "01021530.JPG", 1);

  // Not readable or not reachable: the pass ends, later clients get nothing, memory is reset.
  card.pages[url].result = FETCH_READ_FAILED;
  poller->PollCard();
  EXPECT_EQ(Fetches(url), 1);
  EXPECT_TRUE(Delivered(later).empty());
  EXPECT_TRUE(poller->FirstPass());
  EXPECT_EQ(poller->KnownFiles().Size(), 0u);

  // The card answers again: the first pass after the reset offers the scan whose download broke
  // off to every client that was to get it, though they take no part in first passes; a newer
  // file that appeared while the card was away is not offered. Once delivered, it is not again.
  AddFile(kDcim, "01021540.JPG", 10);
  card.pages[url].result = FETCH_OK;
  poller->PollCard();
  EXPECT_FALSE(poller->FirstPass());
  const std::vector<std::string> scan = {"C:\\client\\01021530.JPG"};
  EXPECT_EQ(Delivered(first), scan);
  EXPECT_EQ(Delivered(later), scan);
  poller->PollCard();
  EXPECT_EQ(Fetches(url), 2);
  EXPECT_EQ(Fetches(std::string(kDcim) + "01021540.JPG"), 0);

  // Broken off again and then gone from the card: nothing is offered in its place.
  AddFile(kDcim, "01021541.JPG", 11);
  const std::string gone = std::string(kDcim) + "01021541.JPG";
  card.pages[gone].result = FETCH_CONNECT_FAILED;
  poller->PollCard();
  card.pages[kDcim].body = Line("01021530.JPG", 10, 1);
  poller->PollCard();
  poller->PollCard();
  EXPECT_EQ(Fetches(gone), 1);
  EXPECT_EQ(Delivered(later), scan);

  // Not writable here (a full disk): each client is told the delivery failed and the file stays
  // new; once it can be written, both get it, once.
  const std::string unwritable = std::string(kDcim) + "01021531.JPG";
  AddFile(kDcim, "01021531.JPG", 12);
  for (FetchResult local : {FETCH_CREATE_FAILED, FETCH_WRITE_FAILED}) {
    card.pages[unwritable].result = local;
    poller->PollCard();
    EXPECT_FALSE(poller->FirstPass());
  }
  EXPECT_EQ(Fetches(unwritable), 4);
  EXPECT_EQ(FailureReports(first), 2);
  EXPECT_EQ(FailureReports(later), 2);
  card.pages[unwritable].result = FETCH_OK;
  poller->PollCard();
  poller->PollCard();
  EXPECT_EQ(Fetches(unwritable), 5);  // one download for both clients
  const std::vector<std::string> both = {"C:\\client\\01021530.JPG", "C:\\client\\01021531.JPG"};
  EXPECT_EQ(Delivered(first), both);
  EXPECT_EQ(Delivered(later), both);
}

TEST_F(Poller, AScanHeldForOneClientSurvivesAnotherClientsBrokenDownload) {
  const ClientWindow dcim = AddClient(11, 0, 0x1);  // the first folder the root names
  const ClientWindow scan = AddClient(12, 0, 0x2);  // the second
  poller->PollCard();
  AddFile(kDcim, "01021530.JPG", 1);
  AddFile(kScan, "01021531.JPG", 2);
  const std::string held = std::string(kDcim) + "01021530.JPG", cut = std::string(kScan) + "01021531.JPG";
  card.pages[held].result = FETCH_CREATE_FAILED;  // not created here (the folder taken away)
  card.pages[cut].result = FETCH_READ_FAILED;     // and the card goes during the next download
  poller->PollCard();
  EXPECT_TRUE(poller->FirstPass());
  EXPECT_EQ(files.setUps, 1) << "the folder is set up again after a file could not be made in it";

  card.pages[held].result = card.pages[cut].result = FETCH_OK;
  poller->PollCard();
  EXPECT_EQ(Delivered(dcim), std::vector<std::string>{"C:\\client\\01021530.JPG"});
  EXPECT_EQ(Delivered(scan), std::vector<std::string>{"C:\\client\\01021531.JPG"});
}

TEST_F(Poller, WithoutDownloadFolderNothingTouchesTheDiskAndTheScanWaitsForOne) {
  files.folders = {kDest};
  files.downloadFolder.clear();
  MakePoller("");  // the folder could not be made at start
  const ClientWindow c = AddClient(11, 1);
  AddFile(kDcim, "01021530.JPG", 1);
  files.disk["stray.txt"] = "in the working directory";
  poller->PollCard();
  poller->PollCard();
  // Asked for again at the next poll, still not to be had: the client hears of each try.
  EXPECT_EQ(Fetches(std::string(kDcim) + "01021530.JPG"), 0);
  EXPECT_TRUE(Delivered(c).empty());
  EXPECT_EQ(FailureReports(c), 2);
  EXPECT_EQ(files.setUps, 2);
  poller->CleanUpDownloads();
  EXPECT_TRUE(files.deleted.empty());
  EXPECT_TRUE(files.removedFolders.empty());
  EXPECT_EQ(files.disk.count("stray.txt"), 1u);

  // The folder can be had now: after the wait that follows a second failure, the waiting scan
  // arrives, and the folder is kept from then on.
  files.downloadFolder = kDownloads;
  poller->PollCard();
  poller->PollCard();
  EXPECT_EQ(Delivered(c), std::vector<std::string>{"C:\\client\\01021530.JPG"});
  EXPECT_EQ(poller->DownloadFolder(), kDownloads);
  poller->PollCard();
  EXPECT_EQ(files.setUps, 3);
  EXPECT_EQ(Fetches(std::string(kDcim) + "01021530.JPG"), 1);
}

// A scan that cannot be written here is tried again after 1, 2, 4, ... polls, at most 60 apart;
// the client hears of each failed try and of nothing in between, and the scan stays offered.
TEST_F(Poller, UnwritableScanIsTriedLessAndLessOften) {
  struct Case {
    const char* what;
    FetchResult download;
    bool folder;  // whether a download folder can be had
  };
  const Case cases[] = {{"file not created", FETCH_CREATE_FAILED, true},
                        {"file not written", FETCH_WRITE_FAILED, true},
                        {"no download folder", FETCH_OK, false}};
  const std::string url = std::string(kDcim) + "01021530.JPG";
  const std::vector<int> tries = {1, 2, 4, 8, 16, 32, 64, 124, 184, 244};
  ClientWindow w = 20;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    files.downloadFolder = k.folder ? kDownloads : "";
    MakePoller(files.downloadFolder);
    const ClientWindow c = AddClient(++w, 1);
    card.Set(kDcim, "");
    AddFile(kDcim, "01021530.JPG", 1);
    card.pages[url].result = k.download;
    auto asked = [&] { return k.folder ? Fetches(url) : files.setUps; };
    std::vector<int> tried, told;
    for (int poll = 1; poll <= 250; ++poll) {
      if (poll == 200) {  // writable again: it arrives at the next try
        card.pages[url].result = FETCH_OK;
        files.downloadFolder = kDownloads;
      }
      const int askedBefore = asked(), toldBefore = FailureReports(c);
      poller->PollCard();
      if (asked() > askedBefore) tried.push_back(poll);
      if (FailureReports(c) > toldBefore) told.push_back(poll);
    }
    EXPECT_EQ(tried, tries);
    EXPECT_EQ(told, std::vector<int>(tries.begin(), tries.end() - 1));
    EXPECT_EQ(Delivered(c), std::vector<std::string>{"C:\\client\\01021530.JPG"});
  }
}

TEST_F(Poller, ScansPutOffByTheBackOffAllArriveAndSuccessEndsIt) {
  const ClientWindow c = AddClient(11, 0);
  poller->PollCard();  // poll 1, a first pass
  const std::string older = std::string(kDcim) + "01021530.JPG", newer = std::string(kDcim) + "01021531.JPG";
  AddFile(kDcim, "01021530.JPG", 30);
  card.pages[older].result = FETCH_WRITE_FAILED;
  poller->PollCard();  // 2: not written
  poller->PollCard();  // 3: not written again; the next try is at poll 5
  card.pages[older].result = FETCH_OK;
  AddFile(kDcim, "01021531.JPG", 31);
  poller->PollCard();  // 4: the newer scan waits too
  EXPECT_EQ(Fetches(newer), 0);
  poller->PollCard();  // 5: the newer scan, then the older one
  poller->PollCard();
  EXPECT_EQ(Delivered(c), (std::vector<std::string>{"C:\\client\\01021531.JPG", "C:\\client\\01021530.JPG"}));

  // The success ended the back-off: after a new failure the next poll tries again.
  const std::string third = std::string(kDcim) + "01021532.JPG";
  AddFile(kDcim, "01021532.JPG", 32);
  card.pages[third].result = FETCH_WRITE_FAILED;
  poller->PollCard();
  poller->PollCard();
  EXPECT_EQ(Fetches(third), 2);
  EXPECT_EQ(FailureReports(c), 4);
}

// A scan waiting for another try stays waiting over a poll that did not read its folder whole.
TEST_F(Poller, RetriedScanOutlastsPollsThatDoNotReadItsFolder) {
  const std::string url = std::string(kDcim) + "01021530.JPG";
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"folder not found", [&] { card.pages[kDcim].result = FETCH_NOT_FOUND; }},
      {"folder not in the root listing", [&] { card.pages[kRoot].body = "<a>SCAN</a>"; }},
      {"listing stops early", [&] { card.pages[kDcim].body.insert(0, "\"/x,01021529.JPG,?,32,1,1\"\n"); }},
  };
  ClientWindow w = 20;
  for (const auto& [what, disturb] : cases) {
    SCOPED_TRACE(what);
    MakePoller(kDownloads);
    const ClientWindow c = AddClient(++w, 0);
    card.Set(kDcim, "");
    poller->PollCard();  // a first pass over an empty folder
    AddFile(kDcim, "01021530.JPG", 30);
    card.pages[url].result = FETCH_WRITE_FAILED;
    poller->PollCard();  // not written: to be tried at the next poll
    card.pages[url].result = FETCH_OK;
    const FakeCard::Page root = card.pages[kRoot], listing = card.pages[kDcim];
    disturb();
    poller->PollCard();
    EXPECT_TRUE(Delivered(c).empty());
    card.pages[kRoot] = root;
    card.pages[kDcim] = listing;
    poller->PollCard();
    poller->PollCard();
    EXPECT_EQ(Delivered(c), std::vector<std::string>{"C:\\client\\01021530.JPG"});
    EXPECT_EQ(FailureReports(c), 1);
  }
}

TEST_F(Poller, AScanTheClientsFolderCouldNotTakeIsDeliveredAgainOnceItCan) {
  const ClientWindow c = AddClient(11, 0);
  poller->PollCard();
  files.folders.erase(kDest);  // the client's folder taken away while it runs
  AddFile(kDcim, "01021530.JPG", 1);
  poller->PollCard();
  // Told, and sent the path all the same.
  EXPECT_EQ(FailureReports(c), 1);
  EXPECT_EQ(Delivered(c).size(), 1u);
  EXPECT_FALSE(files.disk.count("C:\\client\\01021530.JPG"));
  files.folders.insert(kDest);  // the client made it again
  poller->PollCard();
  EXPECT_EQ(Delivered(c).size(), 2u);
  EXPECT_EQ(files.disk.at("C:\\client\\01021530.JPG"), "bytes of 01021530.JPG");
  poller->PollCard();
  EXPECT_EQ(Delivered(c).size(), 2u);
  EXPECT_EQ(FailureReports(c), 1);
}

TEST_F(Poller, FilesSeenWithoutClientsAreOnlyRecorded) {
  AddFile(kDcim, "01021530.JPG", 1);
  poller->PollCard();
  poller->PollCard();
  EXPECT_EQ(poller->KnownFiles().Size(), 1u);
  const ClientWindow c = AddClient(11, 1);  // joins after the first pass
  poller->PollCard();
  EXPECT_TRUE(Delivered(c).empty());
}

}  // namespace
}  // namespace zt::sdwifi
