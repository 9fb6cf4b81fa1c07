// Who may reach the drive letter block the service creates, and why: the one place that says it.
#pragma once

namespace zt::detector {

// LocalSystem (the service) and Administrators get every right on the section (0xF001F is
// SECTION_ALL_ACCESS, written out rather than GA: Windows maps GA to the section's own rights as
// it creates the block while Wine keeps GA, so only the written-out mask reads back alike).
// The users who run the tray program, Authenticated Users, get only SECTION_QUERY |
// SECTION_MAP_READ | SECTION_MAP_WRITE (0x7): enough to open it for writing and map it, but no
// WRITE_DAC, WRITE_OWNER or DELETE, so that no user's process can take the block away from the
// service and the tray program. "P" keeps inherited entries out. No owner is named: the creator
// (SYSTEM, for the service) owns it.
inline constexpr char kDriveMapDacl[] = "D:P(A;;0xF001F;;;SY)(A;;0xF001F;;;BA)(A;;0x7;;;AU)";

// Medium integrity with no write up: a low-integrity (sandboxed) process of an authenticated user
// still cannot write the block.
inline constexpr char kDriveMapLabel[] = "S:(ML;;NW;;;ME)";

}  // namespace zt::detector
