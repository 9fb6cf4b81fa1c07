#include "overlay/engine/handout/lesson_names.h"

#include <cctype>
#include <cstdio>

namespace zt {

namespace {

constexpr char kPrefix[] = "Lesson_";
constexpr std::size_t kKeyLength = 13;  // YYYYMMDD_HHMM

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) return false;
  return true;
}

bool AllDigits(const std::string& s, std::size_t from, std::size_t count) {
  if (from + count > s.size()) return false;
  for (std::size_t i = from; i < from + count; ++i)
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

bool IsKey(const std::string& s) {
  return s.size() == kKeyLength && AllDigits(s, 0, 8) && s[8] == '_' && AllDigits(s, 9, 4);
}

}  // namespace

std::string LessonKey(const LocalTime& t) {
  char key[32];
  std::snprintf(key, sizeof key, "%04d%02d%02d_%02d%02d", t.year, t.month, t.day, t.hour, t.minute);
  return key;
}

std::string HandoutName(const std::string& key, int number) {
  return kPrefix + key + (number > 1 ? "_" + std::to_string(number) : std::string()) + ".pdf";
}

bool ParseHandoutName(const std::string& name, std::string& key, int& number) {
  const std::size_t prefix = sizeof kPrefix - 1;
  if (name.compare(0, prefix, kPrefix) != 0 || !EndsWithNoCase(name, ".pdf")) return false;
  const std::string stem = name.substr(prefix, name.size() - prefix - 4);
  if (!IsKey(stem.substr(0, kKeyLength))) return false;
  if (stem.size() == kKeyLength) {
    key = stem;
    number = 1;
    return true;
  }
  // "_2" to "_9999", no leading zero, so each number has one name.
  const std::size_t digits = stem.size() - kKeyLength - 1;
  if (stem[kKeyLength] != '_' || digits < 1 || digits > 4 || stem[kKeyLength + 1] == '0' ||
      !AllDigits(stem, kKeyLength + 1, digits))
    return false;
  const int n = std::stoi(stem.substr(kKeyLength + 1));
  if (n < 2) return false;
  key = stem.substr(0, kKeyLength);
  number = n;
  return true;
}

bool IsOverlayName(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string ext = name.substr(dot);
  if (!EndsWithNoCase(ext, ".jpg") && !EndsWithNoCase(ext, ".jpeg") && !EndsWithNoCase(ext, ".pdf") &&
      !EndsWithNoCase(ext, ".tif") && !EndsWithNoCase(ext, ".tiff"))
    return false;
  std::string stem = name.substr(0, dot);
  // The counter "_001" to "_999" comes after "_Overlaid".
  if (stem.size() > 4 && stem[stem.size() - 4] == '_' && AllDigits(stem, stem.size() - 3, 3))
    stem.resize(stem.size() - 4);
  constexpr char kOverlaid[] = "_Overlaid";
  const std::size_t n = sizeof kOverlaid - 1;
  return stem.size() > n && stem.compare(stem.size() - n, n, kOverlaid) == 0;
}

std::string ScanNameOfOverlay(const std::string& overlayName) {
  const std::size_t at = overlayName.rfind("_Overlaid");
  return at == std::string::npos ? overlayName : overlayName.substr(0, at);
}

std::string HandoutTitle(const std::string& key) {
  if (!IsKey(key)) return "Lesson " + key;
  return "Lesson " + key.substr(0, 4) + "-" + key.substr(4, 2) + "-" + key.substr(6, 2) + " " +
         key.substr(9, 2) + ":" + key.substr(11, 2);
}

std::string OutlineTitle(const LocalTime& capture, const std::string& scanName) {
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", capture.hour, capture.minute, capture.second);
  return scanName.empty() ? std::string(time) : std::string(time) + "  " + scanName;
}

}  // namespace zt
