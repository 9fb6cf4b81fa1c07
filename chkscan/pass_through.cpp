#include "chkscan/pass_through.h"

namespace zt::chkscan {

PassThroughRecord MakeTestUnitReady() {
  PassThroughRecord r{};
  r.length = kHeaderSize;
  r.targetId = 1;
  r.cdbLength = 6;  // TEST UNIT READY: operation code 0 and five zero bytes
  r.senseInfoLength = sizeof r.sense;
  r.dataIn = 1;  // SCSI_IOCTL_DATA_IN; no data moves either way
  r.timeOutValue = 5;
  r.senseInfoOffset = offsetof(PassThroughRecord, sense);
  return r;
}

}  // namespace zt::chkscan
