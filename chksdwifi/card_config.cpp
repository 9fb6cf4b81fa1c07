#include "chksdwifi/card_config.h"

#include <cstdio>
#include <utility>

#include "chksdwifi/ini_escapes.h"
#include "common/mbcs_path.h"

namespace zt::sdwifi {

std::string ConfigPathForExecutable(const std::string& exePath) {
  const std::size_t sep = FindLastPathSeparator(exePath);
  std::string folder = sep == std::string::npos ? std::string() : exePath.substr(0, sep + 1);
  return folder + kConfigFileName;
}

CCardConfig::CCardConfig(const ProfileReader& reader, std::string iniPath)
    : m_reader(reader), m_strPath(std::move(iniPath)) {}

std::int32_t CCardConfig::ReadInt(const char* key, std::int32_t def) const {
  return m_reader.ReadInt(m_strPath, kConfigSection, key, def);
}

namespace {

std::string Decoded(const std::string& raw) {
  char decoded[kValueBufferSize];
  DecodeIniEscapes(raw.c_str(), decoded, sizeof decoded);
  return decoded;
}

}  // namespace

std::string CCardConfig::ReadRaw(const char* key, const char* def) const {
  std::string raw = m_reader.ReadString(m_strPath, kConfigSection, key, def);
  if (raw.size() >= kValueBufferSize) raw.resize(kValueBufferSize - 1);
  return raw;
}

std::string CCardConfig::ReadString(const char* key, const char* def) const {
  return Decoded(ReadRaw(key, def));
}

void CCardConfig::ReadConfigList(const char* prefix, int maxCount, std::vector<std::string>& list) const {
  list.clear();
  for (int n = 0; n < maxCount && n < 100; ++n) {
    char key[64];
    std::snprintf(key, sizeof key, "%s%02d", prefix, n);
    // The list ends at the first missing or empty value as written; a value that only decodes
    // to nothing (a lone "\") still takes its place.
    const std::string raw = ReadRaw(key, "");
    if (raw.empty()) break;
    list.push_back(Decoded(raw));
  }
}

CardSettings ReadCardSettings(const CCardConfig& config) {
  CardSettings s;
  s.sdType = config.ReadInt("SD_TYPE", 0);
  s.folderUrl = config.ReadString("FOLDER_URL", kDefaultCardUrl);
  s.strBeforeFileSize = config.ReadString("STR_BEFORE_FILE_SIZE", ",");
  s.strAfterFileSize = config.ReadString("STR_AFTER_FILE_SIZE", ",");
  s.strBeforeTimestamp = config.ReadString("STR_BEFORE_TIMESTAMP", ",");
  s.strAfterTimestamp = config.ReadString("STR_AFTER_TIMESTAMP", "\"");
  s.fileUrl = config.ReadString("FILE_URL", kDefaultCardUrl);
  config.ReadConfigList("ZT_EXT_", kMaxExtensions, s.extensions);
  config.ReadConfigList("ZT_FOLDERLIST_", kMaxFolders, s.folders);
  return s;
}

}  // namespace zt::sdwifi
