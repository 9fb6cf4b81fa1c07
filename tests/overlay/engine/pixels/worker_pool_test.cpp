// The engine's workers: every part runs once, the caller gets control back only when all have
// finished, nested work cannot stall the pool, and every banded pixel step gives the same bytes
// on one thread as on several.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "overlay/engine/pixels/compose.h"
#include "overlay/engine/pixels/resample.h"
#include "overlay/engine/pixels/scan_image.h"
#include "overlay/engine/pixels/worker_pool.h"
#include "tests/support/test_images.h"

namespace zt {
namespace {

using test::Bgr;

TEST(WorkerPool, EveryPartRunsOnceAndAllHaveFinishedWhenForEachReturns) {
  for (const int threads : {1, 2, 4}) {
    WorkerPool pool(threads);
    EXPECT_EQ(pool.Threads(), threads);
    for (const int parts : {0, 1, 3, 100}) {
      std::vector<std::atomic<int>> runs(static_cast<std::size_t>(parts));
      std::mutex mutex;
      std::set<std::thread::id> seen;
      pool.ForEach(parts, [&](int part) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        ++runs[static_cast<std::size_t>(part)];
        std::lock_guard<std::mutex> lock(mutex);
        seen.insert(std::this_thread::get_id());
      });
      for (int part = 0; part < parts; ++part) ASSERT_EQ(runs[part].load(), 1) << threads << " " << part;
      EXPECT_LE(static_cast<int>(seen.size()), threads);
      if (threads == 1 && parts > 0) {
        EXPECT_EQ(*seen.begin(), std::this_thread::get_id()) << "no thread of its own";
      }
    }
  }
}

TEST(WorkerPool, StartedWorkRunsOnceWithOrWithoutAWorkerAndWaitingReturnsAfterIt) {
  for (const int threads : {1, 2}) {
    WorkerPool pool(threads);
    std::atomic<int> runs{0};
    {
      WorkerPool::Task task = pool.Start([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ++runs;
      });
      task.Wait();
      EXPECT_EQ(runs.load(), 1);
      task.Wait();  // a second wait has nothing to do
    }
    {
      WorkerPool::Task task = pool.Start([&] { ++runs; });
    }  // the destructor waits
    EXPECT_EQ(runs.load(), 2) << threads;
  }
}

TEST(WorkerPool, WorkStartedBesideTheCallerMaySpreadWorkOfItsOwn) {
  // Both the started work and the caller spread parts over the same two threads: whoever waits
  // works on the parts still unclaimed, so nothing waits for a thread that waits.
  WorkerPool pool(2);
  std::atomic<int> inner{0}, outer{0};
  for (int round = 0; round < 50; ++round) {
    WorkerPool::Task task = pool.Start([&] { pool.ForEach(8, [&](int) { ++inner; }); });
    pool.ForEach(8, [&](int) { ++outer; });
    task.Wait();
  }
  EXPECT_EQ(inner.load(), 400);
  EXPECT_EQ(outer.load(), 400);
}

TEST(EngineThreads, TheSettingResizesThePoolAndStaysAtLeastOne) {
  const int before = EngineThreads();
  SetEngineThreads(3);
  EXPECT_EQ(EngineThreads(), 3);
  SetEngineThreads(0);
  EXPECT_EQ(EngineThreads(), 1);
  SetEngineThreads(before);
  EXPECT_GE(DefaultEngineThreads(), 1);
  EXPECT_LE(DefaultEngineThreads(), 4);
}

// ---- The banded steps against their one-thread results ---------------------------------------

// Paper with scattered ink and a stroke, sized to cross several bands of every step.
Bgr Board(int x, int y) {
  if ((x * 7 + y * 3) % 97 == 0 || (x > 100 && x < 106)) return Bgr{40, 30, static_cast<std::uint8_t>(x)};
  return Bgr{static_cast<std::uint8_t>(205 + (x + y) % 50), 240, static_cast<std::uint8_t>(210 + y % 40)};
}

bool Same(const DibBlock& a, const DibBlock& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(&a.Header(), &b.Header(), 40) == 0 &&
         std::memcmp(a.Pixels(), b.Pixels(), a.PixelBytes()) == 0;
}

// What one call of step gives on one thread and on three.
template <typename Step>
void ExpectSameOnOneAndThreeThreads(const char* what, Step step) {
  const int before = EngineThreads();
  SetEngineThreads(1);
  const auto alone = step();
  SetEngineThreads(3);
  const auto spread = step();
  SetEngineThreads(before);
  ASSERT_EQ(alone.size(), spread.size()) << what;
  for (std::size_t i = 0; i < alone.size(); ++i) {
    ASSERT_TRUE(alone[i] && spread[i]) << what << ", image " << i;
    EXPECT_TRUE(Same(*alone[i], *spread[i])) << what << ", image " << i;
  }
}

TEST(EngineThreads, EveryBandedStepGivesTheSameBytesOnOneThreadAsOnSeveral) {
  // Odd and even sides, and more rows than several bands of the turn (64) and the resampler (32).
  for (const auto& [w, h] : {std::pair{301, 207}, std::pair{300, 206}, std::pair{65, 129}}) {
    const DibPtr source = test::MakeImage(w, h, Board);
    ExpectSameOnOneAndThreeThreads("the turn", [&] {
      TurnedScan turned;
      EXPECT_TRUE(TurnScan(ViewOf(*source), turned));
      std::vector<DibPtr> images;
      images.push_back(std::move(turned.scan));
      images.push_back(std::move(turned.half));
      images.push_back(std::move(turned.mask));
      DibPtr cells = DibBlock::Allocate(turned.ink.across, turned.ink.bands);
      std::memset(cells->Pixels(), 0, cells->PixelBytes());
      for (int band = 0; band < turned.ink.bands; ++band)
        for (int c = 0; c < turned.ink.across; ++c)
          cells->TopDownRow(band)[3 * c] =
              turned.ink.flags[static_cast<std::size_t>(band) * turned.ink.across + c];
      images.push_back(std::move(cells));
      return images;
    });
    for (const auto& [tw, th] : {std::pair{w / 2, h / 2}, std::pair{w / 3, h / 3 + 1},
                                 std::pair{2 * w + 1, 3 * h}, std::pair{w - 1, 2 * h - 1}}) {
      ExpectSameOnOneAndThreeThreads("the resampler", [&, tw = tw, th = th] {
        std::vector<DibPtr> images;
        images.push_back(ResampleRegion(ViewOf(*source), Region{1, 2, w - 1, h}, tw, th));
        return images;
      });
    }
  }
  const DibPtr scan = test::MakeImage(480, 340, Board);
  const DibPtr screen = test::MakeImage(384, 216, [](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 90};
  });
  const InkCells ink = FindInkCells(*scan);
  for (const std::int32_t size : {kSaveImagePcSize, kSaveImageBoardSize}) {
    ExpectSameOnOneAndThreeThreads("the overlay", [&] {
      std::vector<DibPtr> images(1);
      EXPECT_TRUE(ComposeOverlay(*screen, *scan, ink, size, Region{20, 10, 370, 216}, Region{3, 0, 470, 330},
                                 images[0]));
      return images;
    });
  }
}

}  // namespace
}  // namespace zt
