#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "chksdwifi/card_config.h"
#include "chksdwifi/ini_escapes.h"

namespace zt::sdwifi {
namespace {

std::string Decode(const std::string& raw, std::size_t capacity = 260) {
  std::vector<char> out(capacity, 'X');
  DecodeIniEscapes(raw.c_str(), out.data(), out.size());
  return out.data();
}

TEST(DecodeIniEscapes, EscapesStandForTheirCharacters) {
  EXPECT_EQ(Decode("\\\""), "\"");
  EXPECT_EQ(Decode("a\\\\b"), "a\\b");
  EXPECT_EQ(Decode("\\q"), "q");
  EXPECT_EQ(Decode("x\\n\\r\\t"), "x\n\r\t");
  EXPECT_EQ(Decode("end\\"), "end");  // a lone backslash at the end produces nothing
  EXPECT_EQ(Decode(""), "");
}

TEST(DecodeIniEscapes, KeepsDoubleByteCharactersWhole) {
  // 0x95 0x5C is one Shift-JIS character whose trail byte is a backslash.
  EXPECT_EQ(Decode("\x95\x5C\x6E"), "\x95\x5C\x6E");
  // A backslash followed by a lead byte: both kept, the byte after is read normally.
  EXPECT_EQ(Decode("\\\x95\\n"), "\\\x95\n");
  // 0xFD-0xFE are lead bytes after a normal byte but not behind a backslash.
  EXPECT_EQ(Decode("\\\xFD"), "\xFD");
  EXPECT_EQ(Decode("\xFE\\"), "\xFE\\");
}

TEST(DecodeIniEscapes, NeverWritesPastTheBuffer) {
  std::vector<char> out(5, 'X');
  out.push_back('Z');  // guard byte outside the capacity passed
  EXPECT_EQ(DecodeIniEscapes("abcdefgh", out.data(), 5), 4u);
  EXPECT_EQ(std::string(out.data()), "abcd");
  EXPECT_EQ(out[5], 'Z');
}

class FakeProfile : public ProfileReader {
 public:
  std::map<std::string, std::string> values;
  mutable std::vector<std::string> keysRead;
  mutable std::string lastFile;

  std::int32_t ReadInt(const std::string& file, const char* section, const char* key,
                       std::int32_t def) const override {
    Note(file, section, key);
    auto it = values.find(key);
    return it == values.end() ? def : std::stoi(it->second);
  }
  std::string ReadString(const std::string& file, const char* section, const char* key,
                         const char* def) const override {
    Note(file, section, key);
    auto it = values.find(key);
    return it == values.end() ? def : it->second;
  }

 private:
  void Note(const std::string& file, const char* section, const char* key) const {
    EXPECT_STREQ(section, "SD_WiFi");
    lastFile = file;
    keysRead.push_back(key);
  }
};

TEST(CardConfig, MissingFileGivesEveryDefault) {
  FakeProfile profile;
  CCardConfig config(profile, "C:\\x\\sdwifi.ini");
  const CardSettings s = ReadCardSettings(config);
  EXPECT_EQ(s.sdType, 0);
  EXPECT_EQ(s.folderUrl, kDefaultCardUrl);
  EXPECT_EQ(s.fileUrl, kDefaultCardUrl);
  EXPECT_EQ(s.strBeforeFileSize, ",");
  EXPECT_EQ(s.strAfterFileSize, ",");
  EXPECT_EQ(s.strBeforeTimestamp, ",");
  EXPECT_EQ(s.strAfterTimestamp, "\"");
  EXPECT_TRUE(s.extensions.empty());
  EXPECT_TRUE(s.folders.empty());
  EXPECT_EQ(profile.lastFile, "C:\\x\\sdwifi.ini");
  const std::vector<std::string> order = {"SD_TYPE",
                                          "FOLDER_URL",
                                          "STR_BEFORE_FILE_SIZE",
                                          "STR_AFTER_FILE_SIZE",
                                          "STR_BEFORE_TIMESTAMP",
                                          "STR_AFTER_TIMESTAMP",
                                          "FILE_URL",
                                          "ZT_EXT_00",
                                          "ZT_FOLDERLIST_00"};
  EXPECT_EQ(profile.keysRead, order);
}

TEST(CardConfig, ValuesAreDecodedAndListsEndAtTheFirstGap) {
  FakeProfile profile;
  profile.values = {{"SD_TYPE", "2"},
                    {"STR_AFTER_TIMESTAMP", "\\\""},
                    {"ZT_EXT_00", ".JPG"},
                    {"ZT_EXT_02", ".PDF"},
                    {"ZT_FOLDERLIST_00", ""},
                    {"ZT_FOLDERLIST_01", "DCIM"},
                    {"FOLDER_URL", "http://10.0.0.1/"}};
  const CardSettings s = ReadCardSettings(CCardConfig(profile, "sdwifi.ini"));
  EXPECT_EQ(s.sdType, 2);
  EXPECT_EQ(s.folderUrl, "http://10.0.0.1/");
  EXPECT_EQ(s.strAfterTimestamp, "\"");
  EXPECT_EQ(s.extensions, std::vector<std::string>{".JPG"});
  EXPECT_TRUE(s.folders.empty());  // an empty first key empties the list

  // Emptiness is judged on the value as written: a lone backslash holds its place.
  FakeProfile escaped;
  escaped.values = {{"ZT_EXT_00", "\\"}, {"ZT_EXT_01", ".JPG"}};
  EXPECT_EQ(ReadCardSettings(CCardConfig(escaped, "sdwifi.ini")).extensions,
            (std::vector<std::string>{"", ".JPG"}));
}

TEST(CardConfig, ListsStopAtTheirLimitsAndLongValuesAreCut) {
  FakeProfile profile;
  for (int n = 0; n < 100; ++n) {
    char key[32];
    std::snprintf(key, sizeof key, "ZT_EXT_%02d", n);
    profile.values[key] = ".E" + std::to_string(n);
    std::snprintf(key, sizeof key, "ZT_FOLDERLIST_%02d", n);
    profile.values[key] = "F" + std::to_string(n);
  }
  profile.values["FILE_URL"] = std::string(300, 'u');
  const CardSettings s = ReadCardSettings(CCardConfig(profile, "sdwifi.ini"));
  ASSERT_EQ(s.extensions.size(), 99u);
  EXPECT_EQ(s.extensions.back(), ".E98");
  ASSERT_EQ(s.folders.size(), 32u);
  EXPECT_EQ(s.folders.back(), "F31");
  for (const std::string& k : profile.keysRead) {
    EXPECT_NE(k, "ZT_EXT_99");
    EXPECT_NE(k, "ZT_FOLDERLIST_32");
  }
  EXPECT_EQ(s.fileUrl.size(), 259u);
}

TEST(CardConfig, FileLiesBesideTheExecutable) {
  EXPECT_EQ(ConfigPathForExecutable("C:\\Program Files\\Corvane\\ZTChkSDWiFi.exe"),
            "C:\\Program Files\\Corvane\\sdwifi.ini");
  EXPECT_EQ(ConfigPathForExecutable("C:ZTChkSDWiFi.exe"), "C:sdwifi.ini");
  EXPECT_EQ(ConfigPathForExecutable("ZTChkSDWiFi.exe"), "sdwifi.ini");
}

}  // namespace
}  // namespace zt::sdwifi
