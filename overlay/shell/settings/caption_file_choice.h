// Which language file serves the user: first a file that lists the user's language id among
// its "langID_1" ... "langID_99" (the list ends at the first 0 or missing entry), then a file
// whose "primary_langID" is the user's primary language; otherwise none (English stays).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zt::shell {

// Reads an integer key of section "Language_Info" of a file of the listing; gives 0 when the
// key is missing.
using LanguageInfoReader = std::function<long(const std::string& fileName, const char* key)>;

// The primary language of a LANGID: its low 10 bits.
inline unsigned PrimaryLanguageOf(std::uint16_t langId) { return langId & 0x3FFu; }

// Index into files (the folder's plain files, in listing order) of the chosen file, or -1.
int ChooseCaptionFile(const std::vector<std::string>& files, std::uint16_t userLangId,
                      const LanguageInfoReader& read);

}  // namespace zt::shell
