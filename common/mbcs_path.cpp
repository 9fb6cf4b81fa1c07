#include "common/mbcs_path.h"

namespace zt {

bool NoLeadBytes(unsigned char) { return false; }

bool ShiftJisLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

namespace {

// Calls visit(offset, isSingleByte) for each character start. A lead byte at the very end has no
// trail byte; it is then treated as a character of its own.
template <typename Visit>
void ForEachCharacter(std::string_view s, LeadByteTest isLead, Visit visit) {
  std::size_t i = 0;
  while (i < s.size()) {
    const bool dbcs = isLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size();
    visit(i, !dbcs);
    i += dbcs ? 2 : 1;
  }
}

}  // namespace

std::size_t FindLastPathSeparator(std::string_view path, LeadByteTest isLead) {
  std::size_t last = std::string_view::npos;
  ForEachCharacter(path, isLead, [&](std::size_t i, bool single) {
    if (single && (path[i] == '\\' || path[i] == '/' || path[i] == ':')) last = i;
  });
  return last;
}

std::string FolderOf(std::string_view path, LeadByteTest isLead) {
  const std::size_t sep = FindLastPathSeparator(path, isLead);
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string FileNameOf(std::string_view path, LeadByteTest isLead) {
  const std::size_t sep = FindLastPathSeparator(path, isLead);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

bool EndsWithBackslash(std::string_view path, LeadByteTest isLead) {
  bool result = false;
  ForEachCharacter(path, isLead, [&](std::size_t i, bool single) { result = single && path[i] == '\\'; });
  return result;
}

std::string WithBackslash(std::string_view folder, LeadByteTest isLead) {
  std::string result(folder);
  if (!EndsWithBackslash(folder, isLead)) result += '\\';
  return result;
}

}  // namespace zt
