// The SCSI pass-through record the checker sends to the board's volume: the 44-byte pass-through
// header, a filler, a 32-byte sense area and an unused data area. The board answers TEST UNIT
// READY with a non-zero SCSI status while its scan button has been pressed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zt::chkscan {

// The header as a 32-bit program hands it to the driver, which is what ships. The 64-bit test
// build sends the same bytes; a 64-bit driver expects a longer header and refuses them, which
// counts as not pressed, so that build is no stand-in for the device side of the poll.
struct PassThroughRecord {
  std::uint16_t length;
  std::uint8_t scsiStatus;  // filled in by the driver
  std::uint8_t pathId;
  std::uint8_t targetId;
  std::uint8_t lun;
  std::uint8_t cdbLength;
  std::uint8_t senseInfoLength;
  std::uint8_t dataIn;
  std::uint8_t padding[3];
  std::uint32_t dataTransferLength;
  std::uint32_t timeOutValue;
  std::uint32_t dataBufferOffset;
  std::uint32_t senseInfoOffset;
  std::uint8_t cdb[16];
  std::uint8_t filler[4];
  std::uint8_t sense[32];
  std::uint8_t data[512];
};

inline constexpr std::uint32_t kIoctlScsiPassThrough = 0x4D004;
inline constexpr std::uint32_t kHeaderSize = 44;  // what goes in
inline constexpr std::uint32_t kAnswerSize = 80;  // what comes back: header, filler and sense area

static_assert(offsetof(PassThroughRecord, length) == 0);
static_assert(offsetof(PassThroughRecord, scsiStatus) == 2);
static_assert(offsetof(PassThroughRecord, pathId) == 3);
static_assert(offsetof(PassThroughRecord, targetId) == 4);
static_assert(offsetof(PassThroughRecord, lun) == 5);
static_assert(offsetof(PassThroughRecord, cdbLength) == 6);
static_assert(offsetof(PassThroughRecord, senseInfoLength) == 7);
static_assert(offsetof(PassThroughRecord, dataIn) == 8);
static_assert(offsetof(PassThroughRecord, dataTransferLength) == 12);
static_assert(offsetof(PassThroughRecord, timeOutValue) == 16);
static_assert(offsetof(PassThroughRecord, dataBufferOffset) == 20);
static_assert(offsetof(PassThroughRecord, senseInfoOffset) == 24);
static_assert(offsetof(PassThroughRecord, cdb) == 28);
static_assert(offsetof(PassThroughRecord, filler) == kHeaderSize);
static_assert(offsetof(PassThroughRecord, sense) == 48);
static_assert(offsetof(PassThroughRecord, data) == kAnswerSize);
static_assert(sizeof(PassThroughRecord) == 592);

// A fresh TEST UNIT READY request: all zero, then the header's fields set.
PassThroughRecord MakeTestUnitReady();

}  // namespace zt::chkscan
