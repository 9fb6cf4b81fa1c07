#include "overlay/shell/settings/caption_file_choice.h"

#include <cstdio>

namespace zt::shell {

namespace {

constexpr int kMaxLangIds = 99;

bool ListsLanguage(const std::string& file, std::uint16_t userLangId, const LanguageInfoReader& read) {
  for (int n = 1; n <= kMaxLangIds; ++n) {
    char key[16];
    std::snprintf(key, sizeof key, "langID_%d", n);
    const long id = read(file, key);
    if (id == 0) return false;
    if (static_cast<std::uint16_t>(id) == userLangId) return true;
  }
  return false;
}

}  // namespace

int ChooseCaptionFile(const std::vector<std::string>& files, std::uint16_t userLangId,
                      const LanguageInfoReader& read) {
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (ListsLanguage(files[i], userLangId, read)) return static_cast<int>(i);
  }
  // A file without "primary_langID" (0) serves no language, not even a neutral one: users of
  // custom locales get the language id 0x1000, whose primary part is 0, and must not land on
  // whichever undeclared file the folder happens to list first.
  const unsigned primary = PrimaryLanguageOf(userLangId);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const long value = read(files[i], "primary_langID");
    if (value != 0 && value == static_cast<long>(primary)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace zt::shell
