#include "chkscan/win32/volume_device_win32.h"

#include <ntddscsi.h>

#include <cstddef>

namespace zt::chkscan {

static_assert(IOCTL_SCSI_PASS_THROUGH == kIoctlScsiPassThrough);
// The record's header is the 32-bit program's SCSI_PASS_THROUGH, field for field.
#ifdef _WIN64
using PlatformHeader32 = SCSI_PASS_THROUGH32;
#else
using PlatformHeader32 = SCSI_PASS_THROUGH;
#endif
static_assert(sizeof(PlatformHeader32) == kHeaderSize);
static_assert(offsetof(PlatformHeader32, ScsiStatus) == offsetof(PassThroughRecord, scsiStatus));
static_assert(offsetof(PlatformHeader32, DataTransferLength) ==
              offsetof(PassThroughRecord, dataTransferLength));
static_assert(offsetof(PlatformHeader32, DataBufferOffset) == offsetof(PassThroughRecord, dataBufferOffset));
static_assert(offsetof(PlatformHeader32, SenseInfoOffset) == offsetof(PassThroughRecord, senseInfoOffset));
static_assert(offsetof(PlatformHeader32, Cdb) == offsetof(PassThroughRecord, cdb));

bool WinVolumeDevice::Open(const char* path) {
  m_volume.Reset(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
  return static_cast<bool>(m_volume);
}

bool WinVolumeDevice::SendPassThrough(PassThroughRecord& record) {
  if (!m_volume) return false;
  DWORD returned = 0;  // not examined: the status byte tells
  return DeviceIoControl(m_volume.Get(), kIoctlScsiPassThrough, &record, kHeaderSize, &record, kAnswerSize,
                         &returned, nullptr) != FALSE;
}

}  // namespace zt::chkscan
