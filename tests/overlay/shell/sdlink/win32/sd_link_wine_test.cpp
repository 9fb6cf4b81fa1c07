// The link with the real ZTChkSDWiFi under Wine: the checker is installed below this process's
// %PROGRAMFILES%, the card is simulated on 127.0.0.1 (run_e2e.py starts it, this program steers
// it over HTTP), and a hidden window plays the frame around the link.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/sd_channel.h"
#include "common/win32/application.h"
#include "common/win32/frame_window.h"
#include "common/win32/handles.h"
#include "overlay/shell/frame/frame_messages.h"
#include "overlay/shell/sdlink/sd_checker_link.h"
#include "overlay/shell/sdlink/win32/checker_channel_win32.h"
#include "tests/support/fake_pipeline_host.h"
#include "tests/support/simulated_card.h"
#include "tests/support/test_files.h"

namespace zt::shell {
namespace {

namespace sc = sdchannel;
using winetest::CardControl;
using winetest::CardFileBytes;
using winetest::CheckerProcessId;
using winetest::Env;
using winetest::Exists;
using winetest::InstalledChecker;
using winetest::ReadFileBytes;

// The frame around the link: the channel's message, the watchdog's timer and the new-scan signal.
class LinkFrame final : public app::FrameWindow, public LinkClock {
 public:
  LinkFrame() : FrameWindow("ZtSdLinkTestFrame") {
    OnRegisteredMessage(sc::kMessageName, [this](WPARAM code, LPARAM block) -> LRESULT {
      if (code == sc::kRegistrationTaken) link.ReleaseRegistrationBlock(static_cast<RemoteAddress>(block));
      if (code == sc::kFileDelivered) link.TakeDeliveredPath(static_cast<RemoteAddress>(block));
      return 0;
    });
    OnTimer(kTimerSdWatchdog, [this] { link.Watchdog(); });
  }

  void SetLinkTimer(LinkTimer timer, unsigned ms) override {
    if (timer == LinkTimer::Watchdog) SetTimer(kTimerSdWatchdog, ms);
  }
  void KillLinkTimer(LinkTimer timer) override {
    if (timer == LinkTimer::Watchdog) KillTimer(kTimerSdWatchdog);
  }
  void PostNewScan() override {
    ++newScans;
    arrivals.push_back(GetTickCount64());
  }

  CheckerWindow Window() const { return reinterpret_cast<CheckerWindow>(Hwnd()); }
  // The bytes of the scan that the pipeline takes at the new-scan signal.
  std::string TakeScan() {
    std::string loaded;
    images.afterRead = [&](const std::string& copy) { loaded = ReadFileBytes(copy); };
    pipeline.OnNewScan();
    images.afterRead = nullptr;
    return loaded;
  }

  test::FakeHost host;
  test::FakeImageFiles images;
  test::TempDir appData;  // the pipeline's settings folder, for the copy of the scan it loads
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem(appData.Win());
  CScanPipeline pipeline{host, images, *fs};
  WinCheckerChannel channel;
  CSDCheckerLink link{channel, *this, pipeline, *fs};
  int newScans = 0;
  std::vector<ULONGLONG> arrivals;
};

TEST(SdLinkWithTheRealChecker, StartsRegistersDeliversSurvivesAKillAndUnregisters) {
  ASSERT_FALSE(Env("ZT_CARD_URL").empty()) << "run through run_e2e.py";
  InstalledChecker installed;
  ASSERT_TRUE(installed.ok);
  ASSERT_EQ(FindWindowA(sc::kCheckerWindowClass, nullptr), nullptr);
  test::TempDir downloads;
  const std::string folder = downloads.Win() + "\\";

  LinkFrame frame;
  ASSERT_TRUE(frame.Create());
  // No checker runs: Connect starts the installed one and registers.
  ASSERT_TRUE(frame.link.Connect(frame.Window(), folder));
  const DWORD first = CheckerProcessId();
  ASSERT_NE(first, 0u);
  ASSERT_TRUE(winetest::WaitFor([&] { return frame.link.OutstandingBlocks().empty(); }, 5000)) << "no code 2";

  // The card answers from now on; its first pass only learns the file already there.
  EXPECT_TRUE(CardControl("root?mode=normal"));
  winetest::Pump(2500);
  EXPECT_EQ(frame.newScans, 0);
  const ULONGLONG signal = GetTickCount64();
  EXPECT_TRUE(CardControl("add?folder=DCIM&name=05011100.JPG&size=4000&minute=1&mode=normal"));
  ASSERT_TRUE(winetest::WaitFor([&] { return frame.newScans > 0; }, 15000)) << "no code 3";
  std::printf("signal to path: %llu ms\n", frame.arrivals[0] - signal);
  EXPECT_EQ(ReadFileBytes(folder + "05011100.JPG"), CardFileBytes("05011100.JPG", 4000));
  // A card scan: a busy frame hands it back for the card's retry. Taken, it is the delivered file,
  // over the screen captured on its arrival.
  frame.host.busy.exiting = true;
  frame.pipeline.OnNewScan();
  frame.host.busy.exiting = false;
  EXPECT_EQ(frame.host.retries, std::vector<Retry>{Retry::SdScan});
  EXPECT_EQ(frame.TakeScan(), CardFileBytes("05011100.JPG", 4000));
  EXPECT_EQ(frame.host.captures, 1);
  EXPECT_FALSE(Exists(folder + "05011000.JPG"));

  // Unregistering the only client ends the checker.
  app::UniqueHandle firstProcess(OpenProcess(SYNCHRONIZE, FALSE, first));
  frame.link.Disconnect(frame.Window());
  EXPECT_EQ(WaitForSingleObject(firstProcess.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_FALSE(frame.link.Connected());

  // A checker that dies before it has answered code 1: its thread is held so that it cannot
  // answer, then it is killed; the watchdog starts a new one and registers there.
  ASSERT_TRUE(frame.link.Connect(frame.Window(), folder));
  ASSERT_TRUE(winetest::WaitFor([&] { return frame.link.OutstandingBlocks().empty(); }, 5000));
  frame.link.Disconnect(frame.Window());
  ASSERT_TRUE(
      winetest::WaitFor([] { return FindWindowA(sc::kCheckerWindowClass, nullptr) == nullptr; }, 10000));

  const winetest::Program doomed = winetest::Start(Env("PROGRAMFILES") + sc::kCheckerRelativePath);
  ASSERT_TRUE(doomed);
  ASSERT_TRUE(
      winetest::WaitFor([] { return FindWindowA(sc::kCheckerWindowClass, nullptr) != nullptr; }, 10000));
  const DWORD windowThread = GetWindowThreadProcessId(FindWindowA(sc::kCheckerWindowClass, nullptr), nullptr);
  app::UniqueHandle held(OpenThread(THREAD_SUSPEND_RESUME, FALSE, windowThread));
  ASSERT_NE(SuspendThread(held.Get()), static_cast<DWORD>(-1));
  ASSERT_TRUE(frame.link.Connect(frame.Window(), folder));
  ASSERT_EQ(frame.link.OutstandingBlocks().size(), 1u);
  ASSERT_TRUE(TerminateProcess(doomed.process.Get(), 9));
  ASSERT_EQ(WaitForSingleObject(doomed.process.Get(), 10000), WAIT_OBJECT_0);

  ASSERT_TRUE(
      winetest::WaitFor([&] { return CheckerProcessId() != 0 && CheckerProcessId() != doomed.id; }, 5000))
      << "no new checker";
  EXPECT_TRUE(winetest::WaitFor([&] { return frame.link.OutstandingBlocks().empty(); }, 5000)) << "no code 2";
  EXPECT_TRUE(frame.link.Connected());

  // The new checker delivers too, once its first pass has learnt what is on the card already.
  winetest::Pump(2500);
  frame.newScans = 0;
  EXPECT_TRUE(CardControl("add?folder=DCIM&name=05011101.JPG&size=3000&minute=2&mode=normal"));
  ASSERT_TRUE(winetest::WaitFor([&] { return frame.newScans > 0; }, 15000));
  EXPECT_EQ(frame.TakeScan(), CardFileBytes("05011101.JPG", 3000));

  const DWORD last = CheckerProcessId();
  app::UniqueHandle lastProcess(OpenProcess(SYNCHRONIZE, FALSE, last));
  frame.link.Disconnect(frame.Window());
  EXPECT_EQ(WaitForSingleObject(lastProcess.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(FindWindowA(sc::kCheckerWindowClass, nullptr), nullptr);
}

}  // namespace
}  // namespace zt::shell
