// The service's supervision tick against a byte array as the block and a fake launcher.
#include <gtest/gtest.h>

#include <array>

#include "detector/checker_path.h"
#include "detector/supervisor.h"

namespace zt::detector {
namespace {

namespace dm = drivemap;

struct FakeMap : DriveMapOwner {
  std::array<std::uint8_t, dm::kSize> bytes;
  int failures = 0;  // creations that fail before one succeeds
  int creations = 0;
  bool open = false;

  FakeMap() { bytes.fill(0xAA); }  // whatever was there before the service
  dm::DriveMapView Create() override {
    ++creations;
    if (failures > 0) {
      --failures;
      return {};
    }
    open = true;
    dm::DriveMapView view(bytes.data());
    view.ZeroAll();
    return view;
  }
  void Close() override { open = false; }
};

struct FakeLauncher : CheckerLauncher {
  bool fails = false;
  int launches = 0;
  bool held = false;
  std::vector<std::string> events;
  const FakeMap* map = nullptr;

  bool Launch() override {
    ++launches;
    if (fails) return false;
    held = true;
    return true;
  }
  bool Holds() const override { return held; }
  void End() override {
    // The quit byte must be in the block, and the block still there, when the checker is ended.
    events.push_back(map->open && map->bytes[dm::kTerminateChecker] == 'T' ? "end after T" : "end");
    held = false;
  }
};

class Supervision : public ::testing::Test {
 protected:
  Supervision() { launcher.map = &map; }
  FakeMap map;
  FakeLauncher launcher;
  CSupervisor supervisor{map, launcher};
};

TEST_F(Supervision, BeginCreatesAZeroedBlockAndStartsAChecker) {
  supervisor.Begin();
  EXPECT_TRUE(supervisor.Mapped());
  EXPECT_EQ(map.bytes, (std::array<std::uint8_t, dm::kSize>{}));
  EXPECT_EQ(launcher.launches, 1);
  supervisor.Tick();
  EXPECT_EQ(launcher.launches, 1);  // no request, no new checker
}

TEST_F(Supervision, RestartRequestIsClearedOnlyAfterASuccessfulStart) {
  launcher.fails = true;
  supervisor.Begin();  // the first start is not retried by itself
  supervisor.Tick();
  EXPECT_EQ(launcher.launches, 1);
  map.bytes[dm::kRestartChecker] = dm::kRestartCheckerSet;
  for (int i = 0; i < 3; ++i) supervisor.Tick();
  EXPECT_EQ(launcher.launches, 4);
  EXPECT_EQ(map.bytes[dm::kRestartChecker], dm::kRestartCheckerSet);
  launcher.fails = false;
  supervisor.Tick();
  EXPECT_EQ(map.bytes[dm::kRestartChecker], 0);
  supervisor.Tick();
  EXPECT_EQ(launcher.launches, 5);
}

TEST_F(Supervision, BlockThatCannotBeCreatedIsRetriedOnEveryTick) {
  map.failures = 2;
  supervisor.Begin();
  EXPECT_FALSE(supervisor.Mapped());
  EXPECT_EQ(launcher.launches, 0);
  supervisor.Tick();
  EXPECT_EQ(launcher.launches, 0);
  supervisor.Tick();
  EXPECT_TRUE(supervisor.Mapped());
  EXPECT_EQ(map.creations, 3);
  EXPECT_EQ(launcher.launches, 1);
}

TEST_F(Supervision, StopAsksTheCheckerToQuitEndsItAndReleasesTheBlockForGood) {
  supervisor.Begin();
  supervisor.Stop();
  EXPECT_EQ(launcher.events, std::vector<std::string>{"end after T"});
  EXPECT_FALSE(map.open);
  EXPECT_FALSE(supervisor.Mapped());
  // A tick queued before the stop must not bring the block or a checker back.
  map.bytes[dm::kRestartChecker] = dm::kRestartCheckerSet;
  supervisor.Tick();
  EXPECT_EQ(map.creations, 1);
  EXPECT_EQ(launcher.launches, 1);
}

TEST_F(Supervision, StopWithoutAChecker) {
  launcher.fails = true;
  supervisor.Begin();
  supervisor.Stop();
  EXPECT_TRUE(launcher.events.empty());
  EXPECT_EQ(map.bytes[dm::kTerminateChecker], 0);
  EXPECT_FALSE(map.open);
}

TEST(CheckerPath, BelowProgramFilesOnlyWhenSetAndShortEnough) {
  EXPECT_EQ(CheckerPath("C:\\Program Files").value(),
            "C:\\Program Files\\Corvane\\Zentab Lumbrel\\ZTChkScan.exe");
  EXPECT_FALSE(CheckerPath(nullptr));
  EXPECT_FALSE(CheckerPath(""));
  // 259 characters fit with the terminating NUL; 260 do not.
  const std::size_t tail = std::string(kCheckerRelativePath).size();
  EXPECT_EQ(CheckerPath(std::string(259 - tail, 'x').c_str())->size(), 259u);
  EXPECT_FALSE(CheckerPath(std::string(260 - tail, 'x').c_str()));
}

}  // namespace
}  // namespace zt::detector
