// Language files of any content: caption texts through the unescaping (into buffers of every
// small size, and in place), and the choice of the language file from the ids the files list.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "overlay/shell/settings/caption_file_choice.h"
#include "overlay/shell/settings/caption_unescape.h"

namespace {

void Unescape(const std::string& text) {
  for (std::size_t outSize :
       {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{16}, text.size() + 1}) {
    std::vector<char> out(outSize, 'x');
    const std::size_t n = zt::shell::UnescapeCaption(text.data(), text.size(), out.data(), outSize);
    if (n >= outSize || out[n] != '\0' || std::strlen(out.data()) > n) std::abort();
  }
  // In place: the result never runs ahead of the text it is read from.
  std::vector<char> same(text.begin(), text.end());
  same.push_back('\0');
  const std::size_t n = zt::shell::UnescapeCaption(same.data(), text.size(), same.data(), same.size());
  if (n > text.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Unescape(text);

  // Up to eight files whose Language_Info values are taken from the input, two bytes a value.
  if (size < 2) return 0;
  const std::uint16_t user = static_cast<std::uint16_t>(data[0] | data[1] << 8);
  std::vector<std::string> files;
  for (int i = 0; i < 1 + data[0] % 8; ++i) files.push_back("file" + std::to_string(i) + ".ini");
  const auto read = [&](const std::string& file, const char* key) -> long {
    const std::size_t at = (std::hash<std::string>()(file + key)) % size;
    return at + 1 < size ? static_cast<long>(data[at] | data[at + 1] << 8) : 0;
  };
  const int chosen = zt::shell::ChooseCaptionFile(files, user, read);
  if (chosen < -1 || chosen >= static_cast<int>(files.size())) std::abort();
  return 0;
}
