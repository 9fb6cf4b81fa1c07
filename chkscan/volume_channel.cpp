#include "chkscan/volume_channel.h"

#include <cstdio>

namespace zt::chkscan {

bool CVolumeChannel::OpenVolume(char letter) {
  CloseVolume();
  char path[25];
  std::snprintf(path, sizeof path, "\\\\.\\%c:", letter);
  m_bOpen = m_device.Open(path);
  m_cLetter = m_bOpen ? letter : 0;
  return m_bOpen;
}

bool CVolumeChannel::PollScanButton() {
  if (!m_bOpen) return false;
  PassThroughRecord record = MakeTestUnitReady();
  // A failed request (device gone, time-out) counts as not pressed.
  return m_device.SendPassThrough(record) && record.scsiStatus != 0;
}

void CVolumeChannel::CloseVolume() {
  m_cLetter = 0;
  if (m_bOpen) m_device.Close();
  m_bOpen = false;
}

}  // namespace zt::chkscan
