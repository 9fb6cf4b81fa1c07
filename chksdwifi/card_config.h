// The card's configuration: sdwifi.ini beside the executable, section "SD_WiFi". Read once when
// the poller is built; the program never writes the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zt::sdwifi {

inline constexpr char kConfigFileName[] = "sdwifi.ini";
inline constexpr char kConfigSection[] = "SD_WiFi";
// Default of FOLDER_URL and FILE_URL: the card's own host name.
inline constexpr char kDefaultCardUrl[] = "http://sdcard.local/";
inline constexpr int kMaxExtensions = 99;
inline constexpr int kMaxFolders = 32;
// Profile strings are read into 260-byte buffers: at most 259 characters.
inline constexpr std::size_t kValueBufferSize = 260;

// The platform's private-profile reader (surrounding blanks and one pair of quotes removed).
class ProfileReader {
 public:
  virtual ~ProfileReader() = default;
  virtual std::int32_t ReadInt(const std::string& file, const char* section, const char* key,
                               std::int32_t def) const = 0;
  // The raw value, at most 259 bytes; def when the key is missing.
  virtual std::string ReadString(const std::string& file, const char* section, const char* key,
                                 const char* def) const = 0;
};

// "C:\Program Files\x\ZTChkSDWiFi.exe" -> "C:\Program Files\x\sdwifi.ini". The folder ends at the
// last "\", "/" or ":" outside double-byte characters.
std::string ConfigPathForExecutable(const std::string& exePath);

class CCardConfig {
 public:
  CCardConfig(const ProfileReader& reader, std::string iniPath);

  const std::string& Path() const { return m_strPath; }
  std::int32_t ReadInt(const char* key, std::int32_t def) const;
  // The value (or the default) with its escapes decoded.
  std::string ReadString(const char* key, const char* def) const;
  // list = decoded values of prefix00, prefix01, ... up to maxCount keys; the first missing or
  // empty key ends the list.
  void ReadConfigList(const char* prefix, int maxCount, std::vector<std::string>& list) const;

 private:
  // The value as the reader gives it, cut to 259 characters.
  std::string ReadRaw(const char* key, const char* def) const;

  const ProfileReader& m_reader;
  std::string m_strPath;
};

// Everything the poller and the parser take from the file.
struct CardSettings {
  std::int32_t sdType = 0;
  std::string folderUrl = kDefaultCardUrl;
  std::string strBeforeFileSize = ",";
  std::string strAfterFileSize = ",";
  std::string strBeforeTimestamp = ",";
  std::string strAfterTimestamp = "\"";
  std::string fileUrl = kDefaultCardUrl;
  std::vector<std::string> extensions;
  std::vector<std::string> folders;
};

// Reads the keys in their fixed order: SD_TYPE, FOLDER_URL, the four markers, FILE_URL, the
// extension list, the folder list.
CardSettings ReadCardSettings(const CCardConfig& config);

}  // namespace zt::sdwifi
