// What the link with the wireless SD checker needs of the other process: find its window, start
// it, open it for cross-process memory, and exchange the channel's one registered message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zt::shell {

// A window handle or an address in the checker's address space, as they travel in lParam.
using CheckerWindow = std::uintptr_t;
using RemoteAddress = std::uintptr_t;

// The checker's process, opened for reading, writing and allocating its memory. Destroying it
// closes the process handle.
class CheckerProcess {
 public:
  virtual ~CheckerProcess() = default;
  // A committed, readable and writable block of size bytes inside the checker; 0 on failure.
  virtual RemoteAddress Allocate(std::size_t size) = 0;
  // Decommits size bytes of a block from Allocate and releases it.
  virtual void Free(RemoteAddress block, std::size_t size) = 0;
  virtual bool Write(RemoteAddress block, const void* data, std::size_t size) = 0;
  virtual bool Read(RemoteAddress block, void* data, std::size_t size) = 0;
};

class CheckerChannel {
 public:
  virtual ~CheckerChannel() = default;
  // The checker's hidden window, found by its class; 0 when no checker runs.
  virtual CheckerWindow FindChecker() = 0;
  // Starts the installed checker; false when it cannot be started.
  virtual bool StartChecker() = 0;
  // Blocks the calling thread while a started checker comes up.
  virtual void Pause(unsigned milliseconds) = 0;
  // Opens the process that owns window; null on failure.
  virtual std::unique_ptr<CheckerProcess> Open(CheckerWindow window) = 0;
  // The channel's message with code in wParam: posted (false when the post failed) or sent.
  virtual bool Post(CheckerWindow window, std::uint32_t code, std::uintptr_t lParam) = 0;
  // A send waits at most a few seconds for the checker; false when it did not answer in time.
  virtual bool Send(CheckerWindow window, std::uint32_t code, std::uintptr_t lParam) = 0;
};

}  // namespace zt::shell
