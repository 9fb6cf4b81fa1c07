// The board's volume opened as a device, asked by SCSI pass-through.
#pragma once

#include <windows.h>

#include "chkscan/volume_channel.h"
#include "common/win32/handles.h"

namespace zt::chkscan {

class WinVolumeDevice : public VolumeDevice {
 public:
  bool Open(const char* path) override;
  void Close() override { m_volume.Reset(); }
  bool SendPassThrough(PassThroughRecord& record) override;

 private:
  app::UniqueHandle m_volume;
};

}  // namespace zt::chkscan
