#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "chksdwifi/client_registry.h"
#include "tests/support/sdwifi_fakes.h"

namespace zt::sdwifi {
namespace {

namespace sc = sdchannel;

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    files.folders = {"D:\\dl\\", "C:\\a\\"};
    files.disk["D:\\dl\\01021530.JPG"] = "scan";
  }
  BlockAddress Register(ClientWindow w, const std::string& dest, bool alive = true) {
    blocksIn.emplace_back();
    sc::RegistrationBlock& b = blocksIn.back();
    std::memset(&b, 0, sizeof b);
    b.clientWindow = w;
    b.folderMask = 0x3F;
    b.firstPass = 1;
    std::memcpy(b.destinationFolder, dest.data(), std::min(dest.size() + 1, sc::kPathSize));
    if (alive) windows.alive.insert(w);
    const auto address = reinterpret_cast<BlockAddress>(&b);
    registry.RegisterClient(address);
    return address;
  }
  void Offer(const std::string& url) {
    for (SDClient& c : registry.Clients()) c.candidate.fileUrl = url;
  }
  void Deliver(std::size_t from = 0) {
    registry.DeliverFile(kUrl, "D:\\dl\\01021530.JPG", "01021530.JPG", from);
  }

  static constexpr char kUrl[] = "http://card/DCIM/01021530.JPG";
  FakeFiles files;
  FakeWindows windows;
  FakeBlocks blocks;
  ClientRegistry registry{files, windows, blocks};
  std::vector<sc::RegistrationBlock> blocksIn = std::vector<sc::RegistrationBlock>();

 public:
  Registry() { blocksIn.reserve(8); }  // addresses stay put
};

TEST_F(Registry, RegistrationCopiesTheBlockAndAnswersLiveWindows) {
  registry.RegisterClient(0);
  EXPECT_TRUE(registry.Clients().empty());

  const BlockAddress a = Register(7, "C:\\a\\");
  ASSERT_EQ(registry.Clients().size(), 1u);
  const SDClient& c = registry.Clients()[0];
  EXPECT_EQ(c.window, 7u);
  EXPECT_EQ(c.folderMask, 0x3Fu);
  EXPECT_EQ(c.firstPass, 1);
  EXPECT_EQ(c.destinationFolder, "C:\\a\\");
  EXPECT_TRUE(c.candidate.IsEmpty());
  ASSERT_EQ(windows.posts.size(), 1u);
  EXPECT_EQ(windows.posts[0].code, sc::kRegistrationTaken);
  EXPECT_EQ(windows.posts[0].lParam, a);

  // A window that is gone is still registered but gets no answer.
  Register(8, "C:\\a\\", false);
  EXPECT_EQ(registry.Clients().size(), 2u);
  EXPECT_EQ(windows.posts.size(), 1u);

  // An address that is no readable block registers nothing and is answered by nothing.
  blocks.unreadable.insert(0x10);
  registry.RegisterClient(0x10);
  EXPECT_EQ(registry.Clients().size(), 2u);
  EXPECT_EQ(windows.posts.size(), 1u);
}

TEST_F(Registry, UnregisterRemovesEveryRegistrationOfTheWindow) {
  Register(7, "C:\\a\\");
  Register(8, "C:\\a\\");
  Register(7, "C:\\a\\");
  EXPECT_FALSE(registry.UnregisterClient(0));
  EXPECT_FALSE(registry.UnregisterClient(99));
  EXPECT_EQ(registry.Clients().size(), 3u);
  EXPECT_FALSE(registry.UnregisterClient(7));
  ASSERT_EQ(registry.Clients().size(), 1u);
  EXPECT_EQ(registry.Clients()[0].window, 8u);
  EXPECT_TRUE(registry.UnregisterClient(8));
  EXPECT_TRUE(registry.UnregisterClient(8));  // with nobody left, any unregister ends the program
}

TEST_F(Registry, DeliveryCopiesAndPostsAPathBlockPerRegistration) {
  Register(7, "C:\\a\\");
  Register(7, "C:\\a\\");
  Register(9, "C:\\a\\");
  Offer(kUrl);
  registry.Clients()[2].candidate.fileUrl = "http://card/DCIM/other.JPG";
  Deliver();
  EXPECT_EQ(windows.CodesTo(7), (std::vector<std::uint32_t>{2, 2, 3, 3}));
  EXPECT_EQ(windows.CodesTo(9), (std::vector<std::uint32_t>{2}));
  ASSERT_EQ(registry.PathBlocks().size(), 2u);
  for (BlockAddress b : registry.PathBlocks()) EXPECT_EQ(blocks.live.at(b), "C:\\a\\01021530.JPG");
  EXPECT_EQ(files.disk.at("C:\\a\\01021530.JPG"), "scan");
  EXPECT_TRUE(registry.Clients()[0].candidate.IsEmpty());
  EXPECT_FALSE(registry.Clients()[2].candidate.IsEmpty());

  // Each block is freed once, on its client's answer; other addresses change nothing.
  registry.ReleasePathBlock(0);
  registry.ReleasePathBlock(0x1234);
  const BlockAddress first = registry.PathBlocks()[0];
  registry.ReleasePathBlock(first);
  registry.ReleasePathBlock(first);
  EXPECT_EQ(blocks.freed, 1);
  EXPECT_EQ(registry.PathBlocks().size(), 1u);
}

TEST_F(Registry, DeliveryStartsAtTheDownloadingClient) {
  Register(7, "C:\\a\\");
  Register(8, "C:\\a\\");
  Offer(kUrl);
  Deliver(1);
  EXPECT_EQ(windows.CodesTo(7), std::vector<std::uint32_t>{2});
  EXPECT_EQ(windows.CodesTo(8), (std::vector<std::uint32_t>{2, 3}));
}

TEST_F(Registry, FailedCopyIsReportedBeforeThePath) {
  Register(7, "C:\\missing\\");
  Offer(kUrl);
  Deliver();
  EXPECT_EQ(windows.CodesTo(7), (std::vector<std::uint32_t>{2, sc::kDeliveryFailed, 3}));
  ASSERT_EQ(registry.PathBlocks().size(), 1u);
  EXPECT_EQ(blocks.live.at(registry.PathBlocks()[0]), "C:\\missing\\01021530.JPG");
}

TEST_F(Registry, FailedPostDeletesTheCopyAndFreesTheBlock) {
  Register(7, "C:\\a\\");
  windows.alive.erase(7);  // the window went away after registering
  Offer(kUrl);
  Deliver();
  EXPECT_EQ(windows.CodesTo(7), (std::vector<std::uint32_t>{2, 3, sc::kDeliveryFailed}));
  EXPECT_FALSE(files.disk.count("C:\\a\\01021530.JPG"));
  EXPECT_TRUE(registry.PathBlocks().empty());
  EXPECT_TRUE(blocks.live.empty());

  // No block to be had: reported, and the copy is not left behind.
  windows.alive.insert(7);
  blocks.fail = true;
  Offer(kUrl);
  Deliver();
  EXPECT_EQ(windows.CodesTo(7).back(), sc::kDeliveryFailed);
  EXPECT_FALSE(files.disk.count("C:\\a\\01021530.JPG"));
}

TEST_F(Registry, OverlongDestinationsAreRefused) {
  const std::string deep = "C:\\" + std::string(245, 'd') + "\\";  // 249 + 12 > 259
  Register(7, deep);
  files.folders.insert(deep);
  // A folder with no NUL in its 260 bytes is bounded, never read beyond.
  Register(8, std::string(300, 'x'));
  EXPECT_EQ(registry.Clients()[1].destinationFolder.size(), 260u);
  Offer(kUrl);
  Deliver();
  EXPECT_EQ(windows.CodesTo(7), (std::vector<std::uint32_t>{2, sc::kDeliveryFailed}));
  EXPECT_EQ(windows.CodesTo(8), (std::vector<std::uint32_t>{2, sc::kDeliveryFailed}));
  EXPECT_TRUE(blocks.live.empty());
  EXPECT_EQ(files.disk.size(), 1u);  // only the download
  EXPECT_TRUE(registry.Clients()[0].candidate.IsEmpty());

  // 247 + 12 = 259 characters still fit.
  const std::string fits = "C:\\" + std::string(243, 'd') + "\\";
  Register(9, fits);
  files.folders.insert(fits);
  registry.Clients()[2].candidate.fileUrl = kUrl;
  Deliver();
  EXPECT_EQ(windows.CodesTo(9), (std::vector<std::uint32_t>{2, 3}));
}

TEST_F(Registry, CleanUpEmptiesTheDownloadFolderAndFreesBlocks) {
  Register(7, "C:\\a\\");
  Offer(kUrl);
  Deliver();
  files.disk["D:\\dl\\left.tmp"] = "x";
  files.disk["C:\\a\\keep.txt"] = "user file";
  registry.CleanUpDownloads("D:\\dl\\");
  EXPECT_FALSE(files.disk.count("D:\\dl\\01021530.JPG"));
  EXPECT_FALSE(files.disk.count("D:\\dl\\left.tmp"));
  EXPECT_TRUE(files.disk.count("C:\\a\\keep.txt"));
  EXPECT_TRUE(files.disk.count("C:\\a\\01021530.JPG"));
  EXPECT_EQ(files.removedFolders, std::set<std::string>{"D:\\dl\\"});
  for (const std::string& d : files.deleted) EXPECT_EQ(d.rfind("D:\\dl\\", 0), 0u) << d;
  EXPECT_TRUE(registry.PathBlocks().empty());
  EXPECT_TRUE(blocks.live.empty());
}

}  // namespace
}  // namespace zt::sdwifi
