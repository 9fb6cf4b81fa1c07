// CDriveMapClient against a real named block, created here as the detector service creates it.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/drive_letter_map.h"
#include "common/win32/handles.h"
#include "overlay/shell/device_watch/win32/drive_map_client.h"

namespace zt::shell {
namespace {

namespace dm = drivemap;

class ServiceBlock {
 public:
  ServiceBlock()
      : m_map(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, dm::kSize, dm::kName)),
        m_view(m_map ? MapViewOfFile(m_map.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0) : nullptr) {}
  bool Ok() const { return static_cast<bool>(m_view); }
  volatile unsigned char& operator[](std::size_t i) { return static_cast<unsigned char*>(m_view.Get())[i]; }

 private:
  app::UniqueHandle m_map;
  app::MappedView m_view;
};

TEST(DriveMapClient, WithoutTheServicesBlockNothingIsPublished) {
  CDriveMapClient client;
  EXPECT_FALSE(client.Publish('E'));
  EXPECT_EQ(client.PublishedLetter(), 0);
  EXPECT_FALSE(client.ScanPressed());
}

TEST(DriveMapClient, PublishesTheLetterTakesTheScanFlagAndClearsOnlyItsOwnBytes) {
  ServiceBlock block;
  ASSERT_TRUE(block.Ok());
  block[dm::kTerminateChecker] = 'T';  // the service's byte: never touched by the client
  CDriveMapClient client;

  // No scan checker runs: the service is asked for one. A press marked by a poll of the drive
  // published before is stale: publishing clears it.
  block[dm::kScanPressed] = 'S';
  ASSERT_TRUE(client.Publish('F'));
  EXPECT_EQ(block[dm::kScanPressed], 0);
  EXPECT_EQ(client.PublishedLetter(), 'F');
  EXPECT_EQ(block[dm::kDriveLetter], 'F');
  EXPECT_EQ(block[dm::kDriveChanged], 'N');
  EXPECT_EQ(block[dm::kRestartChecker], 'R');

  EXPECT_FALSE(client.ScanPressed());
  block[dm::kScanPressed] = 'S';
  EXPECT_TRUE(client.ScanPressed());
  client.ScanTaken();
  EXPECT_EQ(block[dm::kScanPressed], 0);
  EXPECT_FALSE(client.ScanPressed());

  block[dm::kScanPressed] = 'S';
  client.Forget();
  EXPECT_EQ(client.PublishedLetter(), 0);
  for (std::size_t i : {dm::kDriveLetter, dm::kScanPressed, dm::kDriveChanged, dm::kRestartChecker})
    EXPECT_EQ(block[i], 0) << "byte " << i;
  EXPECT_EQ(block[dm::kTerminateChecker], 'T');

  // A checker runs (its mutex exists): no restart is asked for.
  app::UniqueHandle checker(CreateMutexA(nullptr, FALSE, dm::kCheckerMutex));
  ASSERT_TRUE(checker);
  ASSERT_TRUE(client.Publish('G'));
  EXPECT_EQ(block[dm::kRestartChecker], 0);
  EXPECT_EQ(block[dm::kDriveLetter], 'G');

  // Closing clears what was published.
  client.Close();
  EXPECT_EQ(block[dm::kDriveLetter], 0);
  EXPECT_EQ(block[dm::kDriveChanged], 0);
  EXPECT_EQ(block[dm::kTerminateChecker], 'T');
}

}  // namespace
}  // namespace zt::shell
