// Not a test: shows the detector service and the scan checker at work in a Wine prefix, step by
// step, for scripts/run.sh. Registers the service, starts it through the service control
// manager, looks at the block and the checker it started, stops it and removes it again.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <string>

#include "common/drive_letter_map.h"
#include "tests/support/wine_process.h"

namespace {

namespace dm = zt::drivemap;
namespace zt_t = zt::testing;

const std::string kDetector = zt_t::DosPath(ZT_DETECTOR_EXE);
const std::string kChecker = zt_t::DosPath(ZT_CHECKER_EXE);

DWORD CheckerProcessId() {
  zt::app::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.Get(), &entry); more;
       more = Process32Next(snapshot.Get(), &entry)) {
    if (lstrcmpiA(entry.szExeFile, "ZTChkScan.exe") == 0) return entry.th32ProcessID;
  }
  return 0;
}

std::string ImageOf(HANDLE process) {
  char image[MAX_PATH] = {};
  DWORD size = sizeof image;
  return QueryFullProcessImageNameA(process, 0, image, &size) ? image : "?";
}

void ShowBlock(const zt_t::MapLook& map) {
  std::printf("   block bytes 0-4:");
  for (std::size_t i = 0; i <= dm::kRestartChecker; ++i) std::printf(" %02X", map[i]);
  std::printf("\n");
}

int Fail(const char* what) {
  std::printf("   FAILED: %s\n", what);
  zt_t::RunToEnd(kDetector, "-UnregServer");
  return 1;
}

}  // namespace

int main() {
  const std::string folder = zt_t::Env("PROGRAMFILES") + "\\Corvane\\Zentab Lumbrel";
  CreateDirectoryA((zt_t::Env("PROGRAMFILES") + "\\Corvane").c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  CopyFileA(kChecker.c_str(), (folder + "\\ZTChkScan.exe").c_str(), FALSE);
  std::printf("1. ZTChkScan.exe laid out in %s\n", folder.c_str());

  std::printf("2. ZTLBScanDetector.exe -Service: exit code %lu\n",
              static_cast<unsigned long>(zt_t::RunToEnd(kDetector, "-Service")));
  SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = scm ? OpenServiceA(scm, "ZTLBScanDetector", SERVICE_ALL_ACCESS) : nullptr;
  if (!service) return Fail("the service is not installed");
  auto state = [&] {
    SERVICE_STATUS s{};
    return QueryServiceStatus(service, &s) ? s.dwCurrentState : 0;
  };

  std::printf("3. starting the service through the service control manager\n");
  if (!StartServiceA(service, 0, nullptr) ||
      !zt_t::WaitFor([&] { return state() == SERVICE_RUNNING; }, 10000)) {
    return Fail("the service did not start");
  }
  std::printf("   service running\n");

  zt_t::MapLook map;
  if (!zt_t::WaitFor([&] { return map.Open(); }, 2000)) return Fail("no block");
  std::printf("4. block \"%s\" open\n", dm::kName);
  ShowBlock(map);
  if (!zt_t::WaitFor(zt_t::CheckerMutexExists, 5000)) return Fail("no checker");
  const DWORD pid = CheckerProcessId();
  zt::app::UniqueHandle checker(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid));
  std::printf("5. checker running (mutex \"%s\" held), process %lu from %s\n", dm::kCheckerMutex,
              static_cast<unsigned long>(pid), ImageOf(checker.Get()).c_str());

  std::printf("6. stopping the service\n");
  SERVICE_STATUS status;
  ControlService(service, SERVICE_CONTROL_STOP, &status);
  const bool stopped = zt_t::WaitFor([&] { return state() == SERVICE_STOPPED; }, 5000);
  const bool ended = WaitForSingleObject(checker.Get(), 2000) == WAIT_OBJECT_0;
  std::printf("   service %s, checker %s\n", stopped ? "stopped" : "NOT stopped",
              ended ? "ended" : "STILL RUNNING");
  ShowBlock(map);
  CloseServiceHandle(service);
  CloseServiceHandle(scm);

  std::printf("7. ZTLBScanDetector.exe -UnregServer: exit code %lu\n",
              static_cast<unsigned long>(zt_t::RunToEnd(kDetector, "-UnregServer")));
  return stopped && ended ? 0 : 1;
}
