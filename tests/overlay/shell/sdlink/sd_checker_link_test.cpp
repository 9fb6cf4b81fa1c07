// The link's bookkeeping of the blocks it puts into the checker's memory, against a checker
// played by a fake channel, and its hand-over of delivered scans to a real pipeline.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/sd_channel.h"
#include "overlay/shell/sdlink/checker_executable.h"
#include "overlay/shell/sdlink/sd_checker_link.h"
#include "tests/support/fake_link_clock.h"
#include "tests/support/fake_pipeline_host.h"
#include "tests/support/test_files.h"

namespace zt::shell {
namespace {

namespace sc = sdchannel;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr CheckerWindow kFrame = 0x10abc;
constexpr char kFolder[] = "C:\\Users\\me\\AppData\\Local\\Corvane\\Zentab Lumbrel\\ZTLB_SDWiFi\\";

// The other process: its window, its memory and everything the link did to it, in order.
struct FakeChecker {
  CheckerWindow window = 0;  // 0: no checker runs
  bool startable = true;
  int looksUntilWindow = 0;  // after a start, the window shows at this pause
  bool openWorks = true, allocateWorks = true, writeWorks = true, readWorks = true, postWorks = true;
  bool diesOnFirstRegistration = false;

  RemoteAddress nextBlock = 0x5000;
  std::map<RemoteAddress, std::vector<char>> memory;  // live blocks
  int starts = 0, pauses = 0, processesOpen = 0;
  std::vector<std::string> events;

  void Log(const std::string& e) { events.push_back(e); }
  std::vector<char>& Block(RemoteAddress a) { return memory.at(a); }
};

class FakeProcess final : public CheckerProcess {
 public:
  explicit FakeProcess(FakeChecker& c) : m_c(c) { ++m_c.processesOpen; }
  ~FakeProcess() override {
    --m_c.processesOpen;
    m_c.Log("close");
  }
  RemoteAddress Allocate(std::size_t size) override {
    if (!m_c.allocateWorks) return 0;
    const RemoteAddress a = m_c.nextBlock;
    m_c.nextBlock += 0x1000;
    m_c.memory[a].assign(size, '\0');
    return a;
  }
  void Free(RemoteAddress a, std::size_t size) override {
    m_c.Log("free " + std::to_string(a) + " " + std::to_string(size));
    m_c.memory.erase(a);
  }
  bool Write(RemoteAddress a, const void* data, std::size_t size) override {
    if (!m_c.writeWorks || !m_c.memory.count(a) || m_c.Block(a).size() < size) return false;
    std::memcpy(m_c.Block(a).data(), data, size);
    return true;
  }
  bool Read(RemoteAddress a, void* data, std::size_t size) override {
    if (!m_c.readWorks || !m_c.memory.count(a) || m_c.Block(a).size() < size) return false;
    std::memcpy(data, m_c.Block(a).data(), size);
    return true;
  }

 private:
  FakeChecker& m_c;
};

class FakeChannel final : public CheckerChannel {
 public:
  explicit FakeChannel(FakeChecker& c) : m_c(c) {}
  CheckerWindow FindChecker() override { return m_c.window; }
  bool StartChecker() override {
    ++m_c.starts;
    m_c.Log("start");
    m_pauseAtStart = m_c.pauses;
    return m_c.startable;
  }
  void Pause(unsigned ms) override {
    EXPECT_EQ(ms, 100u);
    ++m_c.pauses;
    if (m_c.startable && m_c.looksUntilWindow && m_c.pauses - m_pauseAtStart == m_c.looksUntilWindow)
      m_c.window = 0x777 + m_c.starts;
  }
  std::unique_ptr<CheckerProcess> Open(CheckerWindow w) override {
    EXPECT_EQ(w, m_c.window);
    if (!m_c.openWorks) return nullptr;
    return std::make_unique<FakeProcess>(m_c);
  }
  bool Post(CheckerWindow w, std::uint32_t code, std::uintptr_t lParam) override {
    m_c.Log("post " + std::to_string(code) + " " + std::to_string(lParam));
    if (!w || !m_c.postWorks) return false;
    if (code == sc::kRegister && m_c.diesOnFirstRegistration) {
      m_c.diesOnFirstRegistration = false;
      m_c.window = 0;
    }
    return true;
  }
  bool Send(CheckerWindow w, std::uint32_t code, std::uintptr_t lParam) override {
    EXPECT_EQ(w, m_c.window);
    m_c.Log("send " + std::to_string(code) + " " + std::to_string(lParam));
    return true;
  }

 private:
  FakeChecker& m_c;
  int m_pauseAtStart = 0;
};

class LinkTest : public ::testing::Test {
 protected:
  sc::RegistrationBlock WrittenBlock(RemoteAddress a) {
    sc::RegistrationBlock b;
    std::memcpy(&b, checker.Block(a).data(), sizeof b);
    return b;
  }
  void PutPath(RemoteAddress a, const std::string& bytes) {
    checker.memory[a].assign(sc::kPathBlockSize, '\0');
    std::memcpy(checker.Block(a).data(), bytes.data(), std::min(bytes.size(), sc::kPathBlockSize));
  }
  static std::string Free(RemoteAddress a) { return "free " + std::to_string(a) + " 272"; }
  static std::string Post(std::uint32_t code, RemoteAddress a) {
    return "post " + std::to_string(code) + " " + std::to_string(a);
  }
  // A scan file that the pipeline loads, at path.
  static std::string PutScan(const std::string& path) {
    test::WriteAll(path, test::ScanFileBytes(test::PackedBytes(*test::Filled(60, 80, test::kWhite))));
    return path;
  }
  // An SD scan that came while the frame was busy: it waits for its retry.
  void SdScanWhileBusy() {
    host.busy.exiting = true;
    pipeline.TakeScan(std::string(kFolder) + "06011100.JPG", ScanSource::SdCard);
    host.busy.exiting = false;
  }

  FakeChecker checker;
  FakeChannel channel{checker};
  test::FakeLinkClock frame;
  test::FakeHost host;
  test::FakeImageFiles images;
  test::TempDir appData, card;  // the pipeline's settings folder, and where delivered scans lie
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem(appData.Win());
  CScanPipeline pipeline{host, images, *fs};
  CSDCheckerLink link{channel, frame, pipeline, *fs};
};

TEST_F(LinkTest, ConnectRegistersWithTheRunningCheckerOnce) {
  checker.window = 0x444;
  ASSERT_TRUE(link.Connect(kFrame, kFolder));
  ASSERT_THAT(link.OutstandingBlocks(), ElementsAre(0x5000));
  const sc::RegistrationBlock b = WrittenBlock(0x5000);
  EXPECT_EQ(checker.Block(0x5000).size(), 272u);
  EXPECT_EQ(sc::FieldToWindow(b.clientWindow), kFrame);
  EXPECT_EQ(b.folderMask, 63u);
  EXPECT_EQ(b.firstPass, 0u);
  EXPECT_STREQ(b.destinationFolder, kFolder);
  EXPECT_THAT(checker.events, ElementsAre(Post(1, 0x5000)));
  EXPECT_EQ(checker.starts, 0);
  EXPECT_EQ(checker.processesOpen, 1);
  EXPECT_THAT(frame.timersSet, ElementsAre(std::make_pair(LinkTimer::Watchdog, 100u)));

  // Connected: a second connect changes nothing.
  EXPECT_TRUE(link.Connect(kFrame, kFolder));
  EXPECT_EQ(checker.events.size(), 1u);
  EXPECT_EQ(link.OutstandingBlocks().size(), 1u);
}

TEST_F(LinkTest, AMissingCheckerIsStartedAndGetsTenLooks) {
  checker.looksUntilWindow = 3;
  ASSERT_TRUE(link.Connect(kFrame, kFolder));
  EXPECT_EQ(checker.starts, 1);
  EXPECT_EQ(checker.pauses, 3);
  EXPECT_EQ(link.OutstandingBlocks().size(), 1u);

  FakeChecker silent;  // started, but its window never shows
  FakeChannel silentChannel{silent};
  CSDCheckerLink second{silentChannel, frame, pipeline, *fs};
  EXPECT_FALSE(second.Connect(kFrame, kFolder));
  EXPECT_EQ(silent.pauses, 10);
  EXPECT_EQ(silent.processesOpen, 0);

  FakeChecker missing;  // not installed
  missing.startable = false;
  FakeChannel missingChannel{missing};
  CSDCheckerLink third{missingChannel, frame, pipeline, *fs};
  EXPECT_FALSE(third.Connect(kFrame, kFolder));
  EXPECT_EQ(missing.pauses, 0);
  EXPECT_FALSE(third.Connected());
}

TEST_F(LinkTest, EveryFailedConnectStepGivesBackWhatItTook) {
  checker.window = 0x444;
  checker.openWorks = false;
  EXPECT_FALSE(link.Connect(kFrame, kFolder));
  EXPECT_EQ(checker.processesOpen, 0);

  checker.openWorks = true;
  checker.allocateWorks = false;
  EXPECT_FALSE(link.Connect(kFrame, kFolder));
  EXPECT_EQ(checker.processesOpen, 0);
  EXPECT_THAT(checker.events, ElementsAre("close"));

  checker.allocateWorks = true;
  checker.writeWorks = false;
  checker.events.clear();
  EXPECT_FALSE(link.Connect(kFrame, kFolder));
  EXPECT_THAT(checker.events, ElementsAre(Free(0x5000), "close"));

  checker.writeWorks = true;
  checker.postWorks = false;
  checker.events.clear();
  EXPECT_FALSE(link.Connect(kFrame, kFolder));
  EXPECT_THAT(checker.events, ElementsAre(Post(1, 0x6000), Free(0x6000), "close"));

  EXPECT_THAT(checker.memory, IsEmpty());
  EXPECT_FALSE(link.Connected());
  EXPECT_THAT(link.OutstandingBlocks(), IsEmpty());
  EXPECT_THAT(frame.timersSet, IsEmpty());

  // A folder that would not fit its field with the NUL, or none, is refused before anything starts.
  checker.postWorks = true;
  checker.events.clear();
  EXPECT_FALSE(link.Connect(kFrame, std::string(260, 'x')));
  EXPECT_FALSE(link.Connect(kFrame, ""));
  EXPECT_THAT(checker.events, IsEmpty());
  EXPECT_TRUE(link.Connect(kFrame, std::string(259, 'x')));
  EXPECT_EQ(std::string(WrittenBlock(0x7000).destinationFolder, 259), std::string(259, 'x'));
}

TEST_F(LinkTest, CodeTwoFreesOnlyOurOwnBlocks) {
  link.ReleaseRegistrationBlock(0x5000);  // not connected: nothing to free
  checker.window = 0x444;
  ASSERT_TRUE(link.Connect(kFrame, kFolder));
  checker.events.clear();
  link.ReleaseRegistrationBlock(0x9999);
  link.ReleaseRegistrationBlock(0);
  EXPECT_THAT(checker.events, IsEmpty());
  link.ReleaseRegistrationBlock(0x5000);
  link.ReleaseRegistrationBlock(0x5000);  // a second answer for the same block
  EXPECT_THAT(checker.events, ElementsAre(Free(0x5000)));
  EXPECT_THAT(link.OutstandingBlocks(), IsEmpty());
  EXPECT_TRUE(link.Connected());
}

TEST_F(LinkTest, WatchdogWaitsForTheAnswerAndReplacesADeadChecker) {
  checker.window = 0x444;
  ASSERT_TRUE(link.Connect(kFrame, kFolder));
  frame.timersSet.clear();

  link.Watchdog();  // the checker is alive and has not answered yet: look again
  EXPECT_THAT(frame.timersSet, ElementsAre(std::make_pair(LinkTimer::Watchdog, 100u)));

  // Killed before it answered: the block is freed, the process forgotten, a new checker
  // started and registered with.
  checker.window = 0;
  checker.looksUntilWindow = 1;
  checker.events.clear();
  frame.timersSet.clear();
  link.Watchdog();
  EXPECT_THAT(checker.events, ElementsAre(Free(0x5000), "close", "start", Post(1, 0x6000)));
  EXPECT_THAT(link.OutstandingBlocks(), ElementsAre(0x6000));
  EXPECT_EQ(checker.processesOpen, 1);
  EXPECT_EQ(sc::FieldToWindow(WrittenBlock(0x6000).clientWindow), kFrame);
  EXPECT_STREQ(WrittenBlock(0x6000).destinationFolder, kFolder);
  EXPECT_THAT(frame.timersSet, ElementsAre(std::make_pair(LinkTimer::Watchdog, 100u)));

  // Answered: the watchdog ends.
  link.ReleaseRegistrationBlock(0x6000);
  frame.timersSet.clear();
  link.Watchdog();
  EXPECT_THAT(frame.timersSet, IsEmpty());
  EXPECT_EQ(std::count(frame.timersKilled.begin(), frame.timersKilled.end(), LinkTimer::Watchdog), 3);

  // A reconnection that fails is tried again every second, as at start-up (the connect timer).
  FakeChecker dying;
  dying.window = 0x444;
  dying.diesOnFirstRegistration = true;
  dying.startable = false;
  FakeChannel dyingChannel{dying};
  CSDCheckerLink other{dyingChannel, frame, pipeline, *fs};
  ASSERT_TRUE(other.Connect(kFrame, kFolder));
  frame.timersSet.clear();
  other.Watchdog();
  EXPECT_EQ(dying.starts, 1);
  EXPECT_FALSE(other.Connected());
  EXPECT_THAT(dying.memory, IsEmpty());
  EXPECT_THAT(frame.timersSet, ElementsAre(std::make_pair(LinkTimer::Connect, 1000u)));
}

TEST_F(LinkTest, ADeliveredPathBecomesAnSdScanCapturedOnArrival) {
  checker.window = 0x444;
  ASSERT_TRUE(link.Connect(kFrame, kFolder));
  const std::string path = PutScan(card.Win("06011200.JPG"));
  PutPath(0x8000, path);
  SdScanWhileBusy();
  ASSERT_THAT(host.retries, ElementsAre(Retry::SdScan));
  checker.events.clear();
  host.cancelled.clear();

  link.TakeDeliveredPath(0x8000);
  EXPECT_THAT(checker.events, ElementsAre(Post(4, 0x8000)));
  EXPECT_THAT(host.cancelled, ElementsAre(Retry::SdScan));
  EXPECT_EQ(host.captures, 1);
  EXPECT_EQ(frame.newScansPosted, 1);
  // The delivered scan took the waiting one's place, so the retry finds none; the signal takes it
  // over the screen captured on its arrival.
  pipeline.OnSdScanRetry();
  EXPECT_THAT(host.steps, IsEmpty());
  pipeline.OnNewScan();
  EXPECT_EQ(pipeline.Images().scanPath, path);
  EXPECT_EQ(host.captures, 1);

  // A board scan was queued after an SD scan that waits: it is replaced as a card scan that still
  // waits, and no SD timer is touched.
  SdScanWhileBusy();
  pipeline.QueueScan("B:\\DCIM\\06011300.JPG", ScanSource::Board);
  host.cancelled.clear();
  link.TakeDeliveredPath(0x8000);
  EXPECT_THAT(host.cancelled, IsEmpty());
  host.steps.clear();
  pipeline.OnSdScanRetry();
  EXPECT_THAT(host.steps, ElementsAre(FrameStep::TakeQueuedScan));
}

TEST_F(LinkTest, AFolderTakenAwayIsMadeAgainAndAFailedDeliveryIsToldOnceAndNotLoaded) {
  checker.window = 0x444;
  test::TempDir settings;
  const std::string folder = settings.Win("ZTLB_SDWiFi") + "\\";
  ASSERT_TRUE(link.Connect(kFrame, folder));
  EXPECT_TRUE(fs->IsDirectory(folder));

  // Taken away while running: the checker's copy fails, and the folder is there for its next try.
  std::filesystem::remove(test::NativePath(settings.Win("ZTLB_SDWiFi")));
  EXPECT_TRUE(link.DeliveryFailed());
  EXPECT_TRUE(fs->IsDirectory(folder));
  EXPECT_FALSE(link.DeliveryFailed());  // told once, not at every try
  // The path that follows names the file that was never written: answered, not loaded.
  PutPath(0x8000, folder + "06011200.JPG");
  link.TakeDeliveredPath(0x8000);
  EXPECT_EQ(frame.newScansPosted, 0);
  EXPECT_EQ(checker.events.back(), Post(4, 0x8000));

  // The checker's next try arrives: a scan like any other, and a later failure is told again.
  test::WriteAll(folder + "06011200.JPG", {1, 2, 3});
  link.TakeDeliveredPath(0x8000);
  EXPECT_EQ(frame.newScansPosted, 1);
  EXPECT_TRUE(link.DeliveryFailed());
}

TEST_F(LinkTest, APathIsReadBoundedAndAnsweredWhateverTheReadGave) {
  checker.window = 0x444;
  ASSERT_TRUE(link.Connect(kFrame, kFolder));
  checker.events.clear();

  // No NUL anywhere in the block: its first 259 bytes name the scan that the signal takes.
  // The length is in the folder, so that the copy in the settings folder has a short name.
  const std::string name = "\\DELIVERED_06011200.JPG";
  const std::string folder = card.Win("p") + std::string(259 - name.size() - card.Win("p").size(), 'p');
  std::filesystem::create_directory(test::NativePath(folder));
  const std::string path = PutScan(folder + name);
  PutPath(0x8000, path + "X");
  link.TakeDeliveredPath(0x8000);
  pipeline.OnNewScan();
  EXPECT_EQ(pipeline.Images().scanPath, path);

  // A block that cannot be read leaves the queued scan as it was.
  checker.readWorks = false;
  const std::string before = PutScan(card.Win("BEFORE.JPG"));
  pipeline.QueueScan(before, ScanSource::SdCard);
  link.TakeDeliveredPath(0x8000);
  EXPECT_THAT(checker.events, ElementsAre(Post(4, 0x8000), Post(4, 0x8000)));
  EXPECT_EQ(host.captures, 1);
  EXPECT_EQ(frame.newScansPosted, 1);
  pipeline.OnNewScan();
  EXPECT_EQ(pipeline.Images().scanPath, before);

  // Not connected: nothing is read, but the checker still gets its block back.
  CSDCheckerLink idle{channel, frame, pipeline, *fs};
  checker.readWorks = true;
  idle.TakeDeliveredPath(0x8000);
  EXPECT_EQ(checker.events.back(), Post(4, 0x8000));
  pipeline.OnNewScan();
  EXPECT_EQ(pipeline.Images().scanPath, before);
}

TEST_F(LinkTest, DisconnectFreesTheBlocksThenUnregisters) {
  checker.window = 0x444;
  ASSERT_TRUE(link.Connect(kFrame, kFolder));
  checker.events.clear();
  link.Disconnect(kFrame);
  EXPECT_THAT(checker.events, ElementsAre(Free(0x5000), "close", "send 5 " + std::to_string(kFrame)));
  EXPECT_THAT(frame.timersKilled, ElementsAre(LinkTimer::Watchdog));
  EXPECT_FALSE(link.Connected());
  EXPECT_THAT(checker.memory, IsEmpty());

  // Not connected and no checker: only the watchdog is stopped.
  checker.window = 0;
  checker.events.clear();
  link.Disconnect(kFrame);
  EXPECT_THAT(checker.events, IsEmpty());

  // Connect works again afterwards.
  checker.window = 0x444;
  EXPECT_TRUE(link.Connect(kFrame, kFolder));
  EXPECT_TRUE(link.Connected());
}

TEST(CheckerExecutable, LiesBelowProgramFilesAndIsNeverCut) {
  EXPECT_EQ(CheckerExecutablePath("C:\\Program Files"),
            "C:\\Program Files\\Corvane\\Zentab SD WiFi\\ZTChkSDWiFi.exe");
  EXPECT_EQ(CheckerExecutablePath(nullptr), std::nullopt);
  EXPECT_EQ(CheckerExecutablePath(""), std::nullopt);
  const std::size_t tail = std::strlen(sc::kCheckerRelativePath);
  EXPECT_TRUE(CheckerExecutablePath(std::string(259 - tail, 'x').c_str()));
  EXPECT_EQ(CheckerExecutablePath(std::string(260 - tail, 'x').c_str()), std::nullopt);
}

}  // namespace
}  // namespace zt::shell
