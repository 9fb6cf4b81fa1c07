// Which file on the board's drive a pass takes as the new scan.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "overlay/shell/drive_watch/drive_watch_pass.h"

namespace zt {
namespace {

using ::testing::ElementsAre;

ListedEntry File(const char* name, std::uint64_t time) { return {name, time}; }
ListedEntry Unreadable(const char* name) { return {name, std::nullopt}; }

TEST(DriveWatchPass, FirstPassTakesTheLastListedAndLaterPassesOnlyWhatIsNew) {
  DriveWatchMemory memory;
  // After start-up nothing is known: every file is new, the last one listed wins.
  EXPECT_EQ(RunDriveWatchPass('E', {File("A.JPG", 10), File("B.JPG", 20)}, memory), "E:\\B.JPG");
  EXPECT_THAT(memory.knownFiles, ElementsAre("E:\\A.JPG", "E:\\B.JPG"));
  EXPECT_EQ(memory.latest, 20u);

  // Nothing new yet (the board is still writing): nothing is taken.
  EXPECT_EQ(RunDriveWatchPass('E', {File("A.JPG", 10), File("B.JPG", 20)}, memory), std::nullopt);

  // Two new scans between passes: only the last listed is taken, both become known.
  EXPECT_EQ(RunDriveWatchPass('E', {File("B.JPG", 20), File("C.JPG", 30), File("D.JPG", 35)}, memory),
            "E:\\D.JPG");
  EXPECT_THAT(memory.knownFiles, ElementsAre("E:\\B.JPG", "E:\\C.JPG", "E:\\D.JPG"));
  EXPECT_EQ(memory.latest, 35u);
  EXPECT_EQ(RunDriveWatchPass('E', {File("B.JPG", 20), File("C.JPG", 30), File("D.JPG", 35)}, memory),
            std::nullopt);

  // A file rewritten in place is new again; names are compared with their case.
  EXPECT_EQ(RunDriveWatchPass('E', {File("B.JPG", 40), File("C.JPG", 30), File("D.JPG", 35)}, memory),
            "E:\\B.JPG");
  EXPECT_EQ(RunDriveWatchPass('E', {File("C.JPG", 30), File("b.JPG", 5)}, memory), "E:\\b.JPG");
}

TEST(DriveWatchPass, AHandedBackScanIsReportedAgainAndUnreadableEntriesAreSkipped) {
  DriveWatchMemory memory;
  ASSERT_EQ(RunDriveWatchPass('F', {File("S1.JPG", 1), File("S2.JPG", 2)}, memory), "F:\\S2.JPG");
  // The frame was busy: the pipeline forgets the path, and the next pass reports it again.
  memory.knownFiles.erase(memory.knownFiles.begin() + 1);
  EXPECT_EQ(RunDriveWatchPass('F', {File("S1.JPG", 1), File("S2.JPG", 2)}, memory), "F:\\S2.JPG");

  // A folder (or a file that cannot be opened) is passed over; the new scan after it is taken.
  EXPECT_EQ(RunDriveWatchPass('F', {File("S1.JPG", 1), Unreadable("DCIM.000"), File("S3.JPG", 3)}, memory),
            "F:\\S3.JPG");
  EXPECT_THAT(memory.knownFiles, ElementsAre("F:\\S1.JPG", "F:\\S3.JPG"));

  // An empty or vanished drive forgets everything, so a board plugged in again starts afresh.
  EXPECT_EQ(RunDriveWatchPass('F', {}, memory), std::nullopt);
  EXPECT_TRUE(memory.knownFiles.empty());
  EXPECT_EQ(memory.latest, 0u);
  EXPECT_EQ(RunDriveWatchPass('F', {File("S1.JPG", 1)}, memory), "F:\\S1.JPG");
}

}  // namespace
}  // namespace zt
