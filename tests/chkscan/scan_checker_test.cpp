// The checker's poll tick against a plain byte array as the block and a fake volume.
#include <gtest/gtest.h>

#include <array>

#include "chkscan/scan_checker.h"
#include "tests/support/fake_volume.h"

namespace zt::chkscan {
namespace {

namespace dm = drivemap;

class ScanCheckerTick : public ::testing::Test {
 protected:
  ScanCheckerTick() {
    block.fill(0);
    // Bytes the checker never writes: the restart request and the unused rest.
    block[dm::kRestartChecker] = dm::kRestartCheckerSet;
    block[700] = 0x77;
  }
  void TearDown() override {
    EXPECT_EQ(block[dm::kRestartChecker], dm::kRestartCheckerSet);
    EXPECT_EQ(block[700], 0x77);
  }
  NextTick Tick() { return checker.Tick(dm::DriveMapView(block.data())); }
  void Publish(char letter) {
    block[dm::kDriveLetter] = static_cast<std::uint8_t>(letter);
    block[dm::kDriveChanged] = dm::kDriveChangedSet;
  }
  std::vector<std::string> TakeCalls() { return std::exchange(device.calls, {}); }

  std::array<std::uint8_t, dm::kSize> block;
  FakeVolume device;
  CScanChecker checker{device};
};

TEST_F(ScanCheckerTick, PublishedLetterIsOpenedPolledAndAPressMarked) {
  Publish('E');
  EXPECT_EQ(Tick(), NextTick::kPoll);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"open \\\\.\\E:", "poll \\\\.\\E:"}));
  EXPECT_EQ(block[dm::kDriveChanged], 0);
  EXPECT_EQ(block[dm::kScanPressed], 0);

  // The same open volume is polled on every tick until the button is pressed.
  device.status = 0x02;
  EXPECT_EQ(Tick(), NextTick::kPoll);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"poll \\\\.\\E:"}));
  EXPECT_EQ(block[dm::kScanPressed], dm::kScanPressedSet);

  // While the event is not taken the board is not asked, and a quit request waits too.
  block[dm::kTerminateChecker] = dm::kTerminateCheckerSet;
  Publish('F');
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Tick(), NextTick::kPoll);
  EXPECT_TRUE(TakeCalls().empty());
  EXPECT_EQ(block[dm::kDriveChanged], dm::kDriveChangedSet);

  // Taken: the next tick moves to F, polls it, and then quits.
  block[dm::kScanPressed] = 0;
  device.status = 0;
  EXPECT_EQ(Tick(), NextTick::kQuit);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{
                             "close \\\\.\\E:", "open \\\\.\\F:", "poll \\\\.\\F:", "close \\\\.\\F:"}));
  EXPECT_EQ(block[dm::kScanPressed], 0);
  EXPECT_EQ(block[dm::kDriveChanged], 0);
}

TEST_F(ScanCheckerTick, LetterChangeOrRepublicationReopensBeforeThePoll) {
  Publish('E');
  Tick();
  TakeCalls();
  block[dm::kDriveLetter] = 'F';  // changed without 'N'
  Tick();
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"close \\\\.\\E:", "open \\\\.\\F:", "poll \\\\.\\F:"}));
  Publish('F');  // the same letter again
  Tick();
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"close \\\\.\\F:", "open \\\\.\\F:", "poll \\\\.\\F:"}));
  EXPECT_EQ(block[dm::kDriveChanged], 0);
}

TEST_F(ScanCheckerTick, FailedRequestIsNoPressAndTheNextPublicationReopens) {
  Publish('E');
  Tick();
  TakeCalls();
  // The device went away under the open handle: not pressed, and the handle is reused.
  device.requestFails = true;
  device.status = 0x02;
  EXPECT_EQ(Tick(), NextTick::kPoll);
  EXPECT_EQ(Tick(), NextTick::kPoll);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"poll \\\\.\\E:", "poll \\\\.\\E:"}));
  EXPECT_EQ(block[dm::kScanPressed], 0);
  // The main program publishes the volume again when it is back: a fresh handle answers.
  device.requestFails = false;
  Publish('E');
  Tick();
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"close \\\\.\\E:", "open \\\\.\\E:", "poll \\\\.\\E:"}));
  EXPECT_EQ(block[dm::kScanPressed], dm::kScanPressedSet);
}

TEST_F(ScanCheckerTick, VolumeThatWillNotOpenIsRetriedSoonWithoutTouchingTheBlock) {
  Publish('Q');
  block[dm::kTerminateChecker] = dm::kTerminateCheckerSet;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Tick(), NextTick::kRetryOpen);
  EXPECT_EQ(TakeCalls(), std::vector<std::string>(3, "open \\\\.\\Q:"));
  EXPECT_EQ(block[dm::kDriveChanged], dm::kDriveChangedSet);
  EXPECT_EQ(block[dm::kScanPressed], 0);
  EXPECT_EQ(block[dm::kDriveLetter], 'Q');
}

TEST_F(ScanCheckerTick, NoLetterClearsTheFirstThreeBytesAndClosesTheVolume) {
  Publish('E');
  Tick();
  TakeCalls();
  block[dm::kDriveLetter] = 0;
  block[dm::kDriveChanged] = dm::kDriveChangedSet;
  EXPECT_EQ(Tick(), NextTick::kPoll);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"close \\\\.\\E:"}));
  EXPECT_EQ(block[dm::kDriveChanged], 0);
  // Idle: the block is watched, the board is not asked.
  EXPECT_EQ(Tick(), NextTick::kPoll);
  EXPECT_TRUE(TakeCalls().empty());
  block[dm::kTerminateChecker] = dm::kTerminateCheckerSet;
  EXPECT_EQ(Tick(), NextTick::kQuit);
  EXPECT_EQ(block[dm::kTerminateChecker], dm::kTerminateCheckerSet);
}

}  // namespace
}  // namespace zt::chkscan
