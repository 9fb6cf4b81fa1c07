// The drive watch's passes against a listing that blocks until the test lets it go: what the
// frame may and may not do while a pass runs or while the scan it found waits.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

#include "overlay/shell/drive_watch/drive_watch.h"

namespace zt {
namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;

class BlockingBoard : public DriveWatchHost {
 public:
  std::vector<ListedEntry> ListScanFiles(const std::string& root) override {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_roots.push_back(root);
    m_listing = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_open; });
    m_listing = false;
    return files;
  }
  bool PassEnded(bool foundScan) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ends.push_back(foundScan);
    m_changed.notify_all();
    return frameThere;
  }

  void Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = false;
  }
  void Open() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = true;
    m_changed.notify_all();
  }
  bool WaitUntilListing() {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, 5s, [this] { return m_listing; });
  }
  bool WaitForEnds(std::size_t count) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, 5s, [&] { return m_ends.size() >= count; });
  }
  std::vector<std::string> Roots() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_roots;
  }
  std::vector<bool> Ends() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ends;
  }

  std::vector<ListedEntry> files;  // set while no pass lists
  std::atomic<bool> frameThere{true};

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_open = true;
  bool m_listing = false;
  std::vector<std::string> m_roots;
  std::vector<bool> m_ends;
};

TEST(DriveWatch, NoSecondPassWhileOneRunsOrItsScanWaitsForTheFrame) {
  BlockingBoard board;
  board.files = {{"A.JPG", 10}, {"B.JPG", 20}};
  DriveWatch watch(board);

  board.Close();
  ASSERT_EQ(watch.Start('E'), WatchStart::Started);
  ASSERT_TRUE(board.WaitUntilListing());
  EXPECT_EQ(watch.Start('E'), WatchStart::PassRunning);
  board.Open();
  ASSERT_TRUE(board.WaitForEnds(1));
  EXPECT_EQ(board.Ends(), std::vector<bool>{true});

  // The frame has been told of the scan but not yet handled it: a retry timer or a press must
  // not start a pass that would write the path and the known files under it.
  EXPECT_EQ(watch.Start('E'), WatchStart::ScanWaiting);
  EXPECT_EQ(watch.TakeFoundScan(), "E:\\B.JPG");
  EXPECT_EQ(watch.Start('E'), WatchStart::ScanWaiting);
  watch.ScanHandled();
  EXPECT_EQ(watch.TakeFoundScan(), std::nullopt);

  // Handled: the next pass runs, finds nothing new and leaves nothing waiting.
  ASSERT_EQ(watch.Start('E'), WatchStart::Started);
  ASSERT_TRUE(board.WaitForEnds(2));
  EXPECT_EQ(board.Ends(), (std::vector<bool>{true, false}));
  EXPECT_FALSE(watch.ScanWaiting());
  EXPECT_EQ(board.Roots(), (std::vector<std::string>{"E:\\", "E:\\"}));
}

TEST(DriveWatch, ForgettingAFileOrTheHistoryWaitsForTheRunningPass) {
  BlockingBoard board;
  board.files = {{"A.JPG", 10}, {"B.JPG", 20}};
  DriveWatch watch(board);
  ASSERT_EQ(watch.Start('F'), WatchStart::Started);
  ASSERT_TRUE(board.WaitForEnds(1));
  ASSERT_EQ(watch.TakeFoundScan(), "F:\\B.JPG");
  watch.ScanHandled();

  // A pass blocks in its listing while the frame hands a busy scan back.
  board.Close();
  ASSERT_EQ(watch.Start('F'), WatchStart::Started);
  ASSERT_TRUE(board.WaitUntilListing());
  std::atomic<bool> forgotten{false};
  auto forget = std::async(std::launch::async, [&] {
    watch.ForgetKnownFile("F:\\B.JPG");
    forgotten = true;
  });
  EXPECT_EQ(forget.wait_for(100ms), std::future_status::timeout) << "the list changed under a running pass";
  EXPECT_FALSE(forgotten);
  board.Open();
  forget.get();
  // The pass's list stood whole, then the path left it: the next pass reports it again.
  EXPECT_THAT(watch.Memory().knownFiles, ElementsAre("F:\\A.JPG"));
  ASSERT_EQ(watch.Start('F'), WatchStart::Started);
  ASSERT_TRUE(board.WaitForEnds(3));
  EXPECT_EQ(watch.TakeFoundScan(), "F:\\B.JPG");
  watch.ScanHandled();

  // The board goes while a pass lists it: the history is cleared after the pass, not under it.
  board.Close();
  ASSERT_EQ(watch.Start('F'), WatchStart::Started);
  ASSERT_TRUE(board.WaitUntilListing());
  auto clear = std::async(std::launch::async, [&] { watch.ClearHistory(); });
  EXPECT_EQ(clear.wait_for(100ms), std::future_status::timeout);
  board.Open();
  clear.get();
  EXPECT_TRUE(watch.Memory().knownFiles.empty());
  EXPECT_EQ(watch.Memory().latest, 0u);
}

TEST(DriveWatch, APassWithoutALetterListsNothingAndAScanNobodyHeardOfHoldsNothingBack) {
  BlockingBoard board;
  board.files = {{"A.JPG", 10}};
  DriveWatch watch(board);
  // The frame's window was gone when the pass reported its scan: the next pass may run.
  board.frameThere = false;
  ASSERT_EQ(watch.Start('G'), WatchStart::Started);
  ASSERT_TRUE(board.WaitForEnds(1));
  watch.Wait();
  EXPECT_FALSE(watch.ScanWaiting());
  board.frameThere = true;
  // The letter was taken back before the pass began: the pass reads the letter it was given.
  ASSERT_EQ(watch.Start(0), WatchStart::Started);
  ASSERT_TRUE(board.WaitForEnds(2));
  EXPECT_EQ(board.Roots(), std::vector<std::string>{"G:\\"});
  EXPECT_TRUE(watch.Memory().knownFiles.empty());
}

}  // namespace
}  // namespace zt
