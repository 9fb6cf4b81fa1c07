// Not a test: shows the detector service and the scan checker at work in a Wine prefix, step by
// step, for scripts/run.sh. Registers the service, starts it through the service control
// manager, looks at the block and the checker it started, stops it and removes it again.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/drive_letter_map.h"
#include "tests/support/detector_look.h"

namespace {

namespace dm = zt::drivemap;
namespace winetest = zt::winetest;

const std::string kDetector = winetest::DosPath(ZT_DETECTOR_EXE);
const std::string kChecker = winetest::DosPath(ZT_CHECKER_EXE);

void ShowBlock(const winetest::MapLook& map) {
  std::printf("   block bytes 0-4:");
  for (std::size_t i = 0; i <= dm::kRestartChecker; ++i) std::printf(" %02X", map[i]);
  std::printf("\n");
}

int Fail(const char* what) {
  std::printf("   FAILED: %s\n", what);
  winetest::RunToEnd(kDetector, "-UnregServer");
  return 1;
}

}  // namespace

int main() {
  if (!winetest::InstallScanChecker(kChecker)) return Fail("cannot lay out the checker");
  std::printf("1. ZTChkScan.exe laid out as %s\n", winetest::InstalledScanChecker().c_str());

  std::printf("2. ZTLBScanDetector.exe -Service: exit code %lu\n",
              static_cast<unsigned long>(winetest::RunToEnd(kDetector, "-Service")));
  winetest::ServiceLook service;
  if (!service.Open()) return Fail("the service is not installed");

  std::printf("3. starting the service through the service control manager\n");
  if (!service.Start() || !service.WaitState(SERVICE_RUNNING, 10000))
    return Fail("the service did not start");
  std::printf("   service running\n");

  winetest::MapLook map;
  if (!winetest::WaitFor([&] { return map.Open(); }, 2000)) return Fail("no block");
  std::printf("4. block \"%s\" open\n", dm::kName);
  ShowBlock(map);
  if (!winetest::WaitFor(winetest::CheckerMutexExists, 5000)) return Fail("no checker");
  const winetest::CheckerProcess checker = winetest::FindChecker();
  std::printf("5. checker running (mutex \"%s\" held), started from %s\n", dm::kCheckerMutex,
              checker.image.c_str());

  std::printf("6. stopping the service\n");
  service.Stop();
  const bool stopped = service.WaitState(SERVICE_STOPPED, 5000);
  const bool ended = WaitForSingleObject(checker.process.Get(), 2000) == WAIT_OBJECT_0;
  std::printf("   service %s, checker %s\n", stopped ? "stopped" : "NOT stopped",
              ended ? "ended" : "STILL RUNNING");
  ShowBlock(map);

  std::printf("7. ZTLBScanDetector.exe -UnregServer: exit code %lu\n",
              static_cast<unsigned long>(winetest::RunToEnd(kDetector, "-UnregServer")));
  return stopped && ended ? 0 : 1;
}
