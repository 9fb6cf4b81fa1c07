// The checker's line to the board: the open volume device and the letter it was opened for.
#pragma once

#include "chkscan/pass_through.h"

namespace zt::chkscan {

// The device side, one open volume at a time.
class VolumeDevice {
 public:
  virtual ~VolumeDevice() = default;
  // Opens path ("\\.\E:") for reading and writing; false leaves nothing open.
  virtual bool Open(const char* path) = 0;
  virtual void Close() = 0;
  // Sends the record's header as IOCTL_SCSI_PASS_THROUGH and waits for the answer, which
  // overwrites the record's first kAnswerSize bytes. False when the request failed.
  virtual bool SendPassThrough(PassThroughRecord& record) = 0;
};

class CVolumeChannel {
 public:
  explicit CVolumeChannel(VolumeDevice& device) : m_device(device) {}
  ~CVolumeChannel() { CloseVolume(); }
  CVolumeChannel(const CVolumeChannel&) = delete;
  CVolumeChannel& operator=(const CVolumeChannel&) = delete;

  // Closes what is open, then opens the volume of letter. On failure the channel holds nothing.
  bool OpenVolume(char letter);
  // True only when the request went through and the board answered with a non-zero status.
  bool PollScanButton();
  void CloseVolume();

  bool IsOpen() const { return m_bOpen; }
  char Letter() const { return m_cLetter; }

 private:
  VolumeDevice& m_device;
  bool m_bOpen = false;
  char m_cLetter = 0;
};

}  // namespace zt::chkscan
