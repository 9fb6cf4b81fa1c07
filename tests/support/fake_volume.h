// A volume device in memory: which paths open, what the board answers, and a log of the calls.
#pragma once

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "chkscan/volume_channel.h"

namespace zt::chkscan {

struct FakeVolume : VolumeDevice {
  std::set<std::string> present = {"\\\\.\\E:", "\\\\.\\F:"};
  bool requestFails = false;
  std::uint8_t status = 0;  // the SCSI status the board answers with
  std::vector<std::string> calls;
  std::vector<std::vector<std::uint8_t>> sent;  // the first kHeaderSize bytes of each request
  std::string openPath;

  bool Open(const char* path) override {
    calls.push_back(std::string("open ") + path);
    if (!openPath.empty()) ADD_FAILURE() << "opened " << path << " over " << openPath;
    if (!present.count(path)) return false;
    openPath = path;
    return true;
  }
  void Close() override {
    calls.push_back("close " + openPath);
    openPath.clear();
  }
  bool SendPassThrough(PassThroughRecord& record) override {
    calls.push_back("poll " + openPath);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    sent.emplace_back(bytes, bytes + kHeaderSize);
    if (requestFails) return false;
    record.scsiStatus = status;
    return true;
  }
};

}  // namespace zt::chkscan
