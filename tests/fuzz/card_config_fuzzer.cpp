// An sdwifi.ini of any content through the checker's configuration reading: the values of the
// keys come from the input (one line a key, in the order the reader asks), so escapes, lengths
// and numbers of every kind reach the decoding. Each decoded value fits the 259 characters a
// profile string may have.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "chksdwifi/card_config.h"
#include "chksdwifi/ini_escapes.h"

namespace {

// Answers each key with the next line of the input, as a profile reader would: at most 259
// characters, and a number from the line's leading digits.
class LinesReader final : public zt::sdwifi::ProfileReader {
 public:
  LinesReader(const std::uint8_t* data, std::size_t size) {
    std::string line;
    for (std::size_t i = 0; i < size; ++i) {
      if (data[i] == '\n') {
        m_lines.push_back(line);
        line.clear();
      } else if (data[i] != 0) {
        line += static_cast<char>(data[i]);
      }
    }
    m_lines.push_back(line);
  }
  std::int32_t ReadInt(const std::string&, const char*, const char*, std::int32_t def) const override {
    const std::string v = Next();
    return v.empty() ? def : static_cast<std::int32_t>(std::strtol(v.c_str(), nullptr, 10));
  }
  std::string ReadString(const std::string&, const char*, const char*, const char* def) const override {
    if (m_next >= m_lines.size()) return def;
    return Next().substr(0, 259);
  }

 private:
  std::string Next() const { return m_next < m_lines.size() ? m_lines[m_next++] : std::string(); }
  std::vector<std::string> m_lines;
  mutable std::size_t m_next = 0;
};

void ExpectFits(const std::string& value) {
  if (value.size() > 259 || value.find('\0') != std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const LinesReader reader(data, size);
  const zt::sdwifi::CCardConfig config(reader, "sdwifi.ini");
  const zt::sdwifi::CardSettings settings = zt::sdwifi::ReadCardSettings(config);
  for (const std::string* v : {&settings.folderUrl, &settings.strBeforeFileSize, &settings.strAfterFileSize,
                               &settings.strBeforeTimestamp, &settings.strAfterTimestamp, &settings.fileUrl})
    ExpectFits(*v);
  for (const std::string& v : settings.extensions) ExpectFits(v);
  for (const std::string& v : settings.folders) ExpectFits(v);
  if (settings.extensions.size() > zt::sdwifi::kMaxExtensions ||
      settings.folders.size() > zt::sdwifi::kMaxFolders)
    std::abort();

  // The decoder alone, into buffers of every small capacity: always NUL-terminated inside.
  const std::string raw(reinterpret_cast<const char*>(data), size);
  const std::string text = raw.substr(0, raw.find('\0'));
  for (std::size_t capacity : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{260}}) {
    std::vector<char> out(capacity, 'x');
    const std::size_t n = zt::sdwifi::DecodeIniEscapes(text.c_str(), out.data(), capacity);
    if (n >= capacity || out[n] != '\0') std::abort();
  }
  return 0;
}
