// Checks the shipped language files against every caption the program reads.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/mbcs_path.h"
#include "overlay/shell/settings/caption_keys.h"
#include "overlay/shell/settings/caption_unescape.h"

namespace zt::shell {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  std::size_t b = 0, e = s.size();
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A language file as the profile API sees it: names without surrounding blanks and compared
// without case, values trimmed, the first of duplicate keys wins.
struct IniFile {
  std::map<std::string, std::map<std::string, std::string>> sections;
  std::vector<std::string> duplicates;

  explicit IniFile(const std::string& bytes) {
    std::istringstream lines(bytes);
    std::string line, section;
    while (std::getline(lines, line)) {
      line = Trim(line);
      if (line.empty() || line[0] == ';') continue;
      if (line.front() == '[' && line.back() == ']') {
        section = Lower(Trim(line.substr(1, line.size() - 2)));
        continue;
      }
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      const std::string key = Lower(Trim(line.substr(0, eq)));
      if (!sections[section].emplace(key, Trim(line.substr(eq + 1))).second) duplicates.push_back(key);
    }
  }
  const std::string* Find(const std::string& section, const std::string& key) const {
    const auto s = sections.find(Lower(Trim(section)));
    if (s == sections.end()) return nullptr;
    const auto k = s->second.find(Lower(Trim(key)));
    return k == s->second.end() ? nullptr : &k->second;
  }
};

// The text as it should read, decoded with the file's real lead bytes; empty with a reason in
// *problem when the escapes are not clean (an unknown escape, a lone backslash or lead byte).
std::string ReferenceUnescape(const std::string& raw, LeadByteTest isLead, std::string* problem) {
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(raw[i]);
    if (isLead(b)) {
      if (i + 1 >= raw.size()) *problem = "a lead byte without its second byte";
      out += raw.substr(i, 2);
      ++i;
    } else if (b == '\\') {
      const char e = i + 1 < raw.size() ? raw[i + 1] : '\0';
      const std::string known = "\"\\nrt";
      if (e == '\0' || known.find(e) == std::string::npos) *problem = std::string("unknown escape \\") + e;
      out += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
      ++i;
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

bool ConvertsFromCp932(const std::string& bytes) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = bytes;
  std::vector<char> out(bytes.size() * 4 + 16);
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  return r != static_cast<std::size_t>(-1) && inLeft == 0;
}

long Number(const IniFile& ini, const char* key) {
  const std::string* v = ini.Find(kSectionLanguageInfo, key);
  return v && !v->empty() ? std::stol(*v) : 0;
}

struct ShippedFile {
  const char* name;
  LeadByteTest leadBytes;  // of the code page the file is written in
  bool asciiOnly;          // read the same in every code page
};

class LanguageFile : public ::testing::TestWithParam<ShippedFile> {
 protected:
  std::string bytes = ReadBytes(std::string(ZT_LANG_DIR) + "/" + GetParam().name);
  IniFile ini{bytes};
};

TEST_P(LanguageFile, HasEveryCaptionTheProgramReadsAndEachUnescapesCleanly) {
  ASSERT_FALSE(bytes.empty()) << GetParam().name << " is missing";
  EXPECT_TRUE(ini.duplicates.empty()) << "duplicate key " << ini.duplicates.front();
  for (const Caption& use : kCaptions) {
    const std::string* raw = ini.Find(use.section, use.key);
    if (!raw) {
      ADD_FAILURE() << "[" << use.section << "] \"" << use.key << "\" missing";
      continue;
    }
    EXPECT_FALSE(raw->empty()) << use.key;
    // The profile API reads at most bufferSize - 1 characters; a longer text would be cut.
    EXPECT_LT(raw->size(), use.bufferSize) << use.key << " does not fit its buffer";
    EXPECT_FALSE(raw->size() >= 2 && raw->front() == '"' && raw->back() == '"')
        << use.key << ": the profile API would strip its quotes";
    if (GetParam().asciiOnly) {
      EXPECT_TRUE(
          std::all_of(raw->begin(), raw->end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
          << use.key << " is not plain ASCII";
    }
    std::string problem;
    const std::string expected = ReferenceUnescape(*raw, GetParam().leadBytes, &problem);
    EXPECT_EQ(problem, "") << use.key;
    std::vector<char> out(use.bufferSize);
    const std::size_t n = UnescapeCaption(raw->data(), raw->size(), out.data(), out.size());
    EXPECT_EQ(std::string(out.data(), n), expected) << use.key << " reads differently from how it is written";
  }
}

TEST_P(LanguageFile, DeclaresItsLanguagesAndAUsableFont) {
  EXPECT_NE(Number(ini, "langID_1"), 0);
  EXPECT_NE(Number(ini, "primary_langID"), 0);
  for (int n = 1; n <= 99 && Number(ini, ("langID_" + std::to_string(n)).c_str()) != 0; ++n) {
    const long id = Number(ini, ("langID_" + std::to_string(n)).c_str());
    EXPECT_EQ(id & 0x3FF, Number(ini, "primary_langID")) << "langID_" << n << " is another language";
  }
  const std::string* font = ini.Find(kSectionLanguageInfo, "Font");
  ASSERT_NE(font, nullptr);
  EXPECT_FALSE(font->empty());
  EXPECT_LE(font->size(), 30u);
  const long size = Number(ini, "CharSize");
  EXPECT_GE(size, 60);  // tenths of a point; only the low byte counts
  EXPECT_LE(size, 255);
  EXPECT_NE(ini.Find(kSectionLanguageInfo, "CharSet"), nullptr);
}

TEST_P(LanguageFile, PointsAtTheShippedHelpPage) {
  const std::string* raw = ini.Find(caption::kPathHelp.section, caption::kPathHelp.key);
  ASSERT_NE(raw, nullptr);
  char out[256];
  const std::size_t n = UnescapeCaption(raw->data(), raw->size(), out, sizeof out);
  std::string path(out, n);
  ASSERT_EQ(path.rfind("Help\\", 0), 0u) << path;
  path.replace(0, 5, std::string(ZT_HELP_DIR) + "/");
  EXPECT_FALSE(ReadBytes(path).empty()) << path;
}

INSTANTIATE_TEST_SUITE_P(Shipped, LanguageFile,
                         ::testing::Values(ShippedFile{"English.ini", NoLeadBytes, true},
                                           ShippedFile{"Japanese.ini", ShiftJisLeadByte, false}),
                         [](const auto& info) { return std::string(info.param.name).substr(0, 5); });

TEST(LanguageFiles, EnglishServesEnglishJapaneseIsShiftJisAndNoIdIsClaimedTwice) {
  const IniFile english(ReadBytes(std::string(ZT_LANG_DIR) + "/English.ini"));
  const std::string japaneseBytes = ReadBytes(std::string(ZT_LANG_DIR) + "/Japanese.ini");
  const IniFile japanese(japaneseBytes);
  EXPECT_EQ(Number(english, "primary_langID"), 9);
  EXPECT_EQ(Number(english, "langID_1"), 0x0409);
  EXPECT_EQ(Number(japanese, "primary_langID"), 0x11);
  EXPECT_EQ(Number(japanese, "langID_1"), 0x0411);
  EXPECT_EQ(Number(japanese, "CharSet"), 128);  // SHIFTJIS_CHARSET
  EXPECT_TRUE(ConvertsFromCp932(japaneseBytes));
  EXPECT_NE(japaneseBytes.find("\x90\xDD\x92\xE8"), std::string::npos);  // "settings" in Shift-JIS

  std::set<long> claimed;
  for (const IniFile* ini : {&english, &japanese}) {
    for (int n = 1; n <= 99; ++n) {
      const long id = Number(*ini, ("langID_" + std::to_string(n)).c_str());
      if (id == 0) break;
      EXPECT_TRUE(claimed.insert(id).second) << "language id " << id << " listed twice";
    }
  }
}

}  // namespace
}  // namespace zt::shell
