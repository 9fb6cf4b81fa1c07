#include "overlay/shell/sdlink/win32/checker_channel_win32.h"

#include <string>

#include "common/sd_channel.h"
#include "common/win32/handles.h"
#include "overlay/shell/sdlink/checker_executable.h"

namespace zt::shell {

namespace {

// PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE: memory only, nothing more.
constexpr DWORD kCheckerAccess = 0x38;

HWND ToHwnd(CheckerWindow window) { return reinterpret_cast<HWND>(window); }
void* ToPointer(RemoteAddress address) { return reinterpret_cast<void*>(address); }

class WinCheckerProcess final : public CheckerProcess {
 public:
  explicit WinCheckerProcess(HANDLE process) : m_process(process) {}

  RemoteAddress Allocate(std::size_t size) override {
    return reinterpret_cast<RemoteAddress>(
        VirtualAllocEx(m_process.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  void Free(RemoteAddress block, std::size_t size) override {
    VirtualFreeEx(m_process.Get(), ToPointer(block), size, MEM_DECOMMIT);
    VirtualFreeEx(m_process.Get(), ToPointer(block), 0, MEM_RELEASE);
  }
  bool Write(RemoteAddress block, const void* data, std::size_t size) override {
    SIZE_T written = 0;
    return WriteProcessMemory(m_process.Get(), ToPointer(block), data, size, &written) && written == size;
  }
  bool Read(RemoteAddress block, void* data, std::size_t size) override {
    SIZE_T read = 0;
    return ReadProcessMemory(m_process.Get(), ToPointer(block), data, size, &read) && read == size;
  }

 private:
  app::UniqueHandle m_process;
};

// PROGRAMFILES as this process sees it; empty when unset or longer than a path.
std::string ProgramFilesFolder() {
  char value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("PROGRAMFILES", value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

}  // namespace

WinCheckerChannel::WinCheckerChannel() : m_message(RegisterWindowMessageA(sdchannel::kMessageName)) {}

CheckerWindow WinCheckerChannel::FindChecker() {
  return reinterpret_cast<CheckerWindow>(FindWindowA(sdchannel::kCheckerWindowClass, nullptr));
}

bool WinCheckerChannel::StartChecker() {
  const std::string folder = ProgramFilesFolder();
  const std::optional<std::string> exe = CheckerExecutablePath(folder.c_str());
  if (!exe) return false;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(exe->c_str(), nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                      &startup, &started))
    return false;
  // The checker is found again by its window; its handles are of no further use.
  app::UniqueHandle process(started.hProcess), thread(started.hThread);
  return true;
}

void WinCheckerChannel::Pause(unsigned milliseconds) { Sleep(milliseconds); }

std::unique_ptr<CheckerProcess> WinCheckerChannel::Open(CheckerWindow window) {
  DWORD id = 0;
  if (!GetWindowThreadProcessId(ToHwnd(window), &id) || !id) return nullptr;
  HANDLE process = OpenProcess(kCheckerAccess, FALSE, id);
  if (!process) return nullptr;
  return std::make_unique<WinCheckerProcess>(process);
}

bool WinCheckerChannel::Post(CheckerWindow window, std::uint32_t code, std::uintptr_t lParam) {
  return window && PostMessageA(ToHwnd(window), m_message, code, static_cast<LPARAM>(lParam)) != FALSE;
}

bool WinCheckerChannel::Send(CheckerWindow window, std::uint32_t code, std::uintptr_t lParam) {
  // A checker busy with a slow download answers late; this thread runs the tray and the device
  // watch and must not wait for it. A message that times out still reaches the checker.
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(ToHwnd(window), m_message, code, static_cast<LPARAM>(lParam),
                             SMTO_BLOCK | SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer) != 0;
}

}  // namespace zt::shell
