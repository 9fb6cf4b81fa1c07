// Path helpers for ANSI byte strings in a code page that may have double-byte characters.
// Every scan steps over a double-byte character whole, so that its trail byte (which may be
// 0x5C, the backslash) is never taken for a separator. The lead-byte test is passed in: the
// programs use the system code page's, the tests a fixed table.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zt {

using LeadByteTest = bool (*)(unsigned char);

// No byte is a lead byte (single-byte code pages).
bool NoLeadBytes(unsigned char);
// Lead bytes of Shift-JIS (code page 932): 0x81-0x9F and 0xE0-0xFC.
bool ShiftJisLeadByte(unsigned char b);
// Lead bytes of the system's ANSI code page: IsDBCSLeadByte on Windows, none elsewhere.
bool SystemLeadByte(unsigned char b);

// Byte offset of the last "\", "/" or ":" outside double-byte characters, or npos.
std::size_t FindLastPathSeparator(std::string_view path, LeadByteTest isLead = SystemLeadByte);

// The folder part including its separator ("C:\a\" for "C:\a\b.jpg"), "" when there is none.
std::string FolderOf(std::string_view path, LeadByteTest isLead = SystemLeadByte);
// The part behind the last separator ("b.jpg"), the whole path when there is none.
std::string FileNameOf(std::string_view path, LeadByteTest isLead = SystemLeadByte);

// True when the last character (whole, not a trail byte) is "\".
bool EndsWithBackslash(std::string_view path, LeadByteTest isLead = SystemLeadByte);
// The folder with a "\" added unless its last character is one already ("" becomes "\").
std::string WithBackslash(std::string_view folder, LeadByteTest isLead = SystemLeadByte);

// True for a share's path ("\\\\server\\share\\..."): a folder on another machine.
inline bool IsSharePath(std::string_view path) {
  return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

}  // namespace zt
