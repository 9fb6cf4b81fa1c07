// The message channel between the tray application and the wireless SD checker: one registered
// window message whose wParam carries the code, and two memory blocks that live in the checker.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zt::sdchannel {

inline constexpr const char kMessageName[] = "ZT_CHK_SDWIFI";
inline constexpr const char kCheckerWindowClass[] = "E1148CB7-F600-44b4-9B63-BD90CE6E3E5E";
inline constexpr const char kCheckerMutex[] = "Global\\ZentabCheckSDWiFi";
// Appended to %PROGRAMFILES% to find the checker's executable.
inline constexpr const char kCheckerRelativePath[] = "\\Corvane\\Zentab SD WiFi\\ZTChkSDWiFi.exe";

// wParam codes.
inline constexpr std::uint32_t kRegister = 1;              // overlay -> checker, lParam: registration block
inline constexpr std::uint32_t kRegistrationTaken = 2;     // checker -> overlay, lParam: same block
inline constexpr std::uint32_t kFileDelivered = 3;         // checker -> overlay, lParam: path block
inline constexpr std::uint32_t kPathRead = 4;              // overlay -> checker, lParam: same path block
inline constexpr std::uint32_t kUnregister = 5;            // overlay -> checker (sent), lParam: frame window
inline constexpr std::uint32_t kDeliveryFailed = 0x10003;  // checker -> overlay, lParam 0

// The checker, built apart, numbers its codes the same.
static_assert(kRegister == 1 && kRegistrationTaken == 2 && kFileDelivered == 3 && kPathRead == 4 &&
              kUnregister == 5 && kDeliveryFailed == 0x10003);

// The overlay side acts on a code only when the high word of wParam is 0.
constexpr bool IsOverlayCode(std::uint32_t wParam) { return (wParam >> 16) == 0; }

inline constexpr std::size_t kPathSize = 260;

// A window handle in a 32-bit field. Window handles hold 32 significant bits in every Windows
// process, and 64-bit code widens them with the sign, so the field carries any window of either
// build and comes back as the same handle. (Addresses are not handles: they travel whole in
// lParam and never through these.)
constexpr std::uint32_t WindowToField(std::uintptr_t window) { return static_cast<std::uint32_t>(window); }
constexpr std::uintptr_t FieldToWindow(std::uint32_t field) {
  return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<std::int32_t>(field)));
}

// Written by the overlay program into memory it allocates inside the checker's process.
// Little-endian 32-bit fields; the handle is a 32-bit window handle (WindowToField).
struct RegistrationBlock {
  std::uint32_t clientWindow;         // where codes 2, 3 and 0x10003 are posted
  std::uint32_t folderMask;           // bit i selects the i-th listed folder (i modulo 32)
  std::uint32_t firstPass;            // 1: deliver the newest listed file on a first pass
  char destinationFolder[kPathSize];  // NUL-terminated, ends in a path separator
};

inline constexpr std::uint32_t kDefaultFolderMask = 0x3F;
inline constexpr std::size_t kRegistrationBlockSize = 272;

static_assert(sizeof(RegistrationBlock) == kRegistrationBlockSize);
static_assert(offsetof(RegistrationBlock, clientWindow) == 0);
static_assert(offsetof(RegistrationBlock, folderMask) == 4);
static_assert(offsetof(RegistrationBlock, firstPass) == 8);
static_assert(offsetof(RegistrationBlock, destinationFolder) == 12);

// Allocated by the checker in its own process: the NUL-terminated full path of a delivered file.
struct PathBlock {
  char path[kPathSize];
};
inline constexpr std::size_t kPathBlockSize = 260;
static_assert(sizeof(PathBlock) == kPathBlockSize);

// Length of a NUL-terminated field that may lack its NUL: never reads past the field.
constexpr std::size_t BoundedLength(const char* field, std::size_t capacity) {
  std::size_t n = 0;
  while (n < capacity && field[n] != '\0') ++n;
  return n;
}

}  // namespace zt::sdchannel
