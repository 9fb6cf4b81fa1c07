#include "chksdwifi/listing_text.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <limits>

namespace zt::sdwifi {

std::size_t FindFrom(std::string_view text, std::string_view needle, std::size_t from, LeadByteTest isLead) {
  if (from > text.size()) return kNoMatch;
  if (needle.empty()) return from;
  const char first = needle[0];
  if (needle.size() > text.size()) return kNoMatch;
  const std::size_t last = text.size() - needle.size();
  std::size_t p = from;
  while (p <= last) {
    const unsigned char b = static_cast<unsigned char>(text[p]);
    if (text[p] == first && std::memcmp(text.data() + p, needle.data(), needle.size()) == 0) return p;
    p += (isLead(b) && p + 1 < text.size()) ? 2 : 1;
  }
  return kNoMatch;
}

std::string_view Cut(std::string_view text, std::int64_t start, std::int64_t count) {
  if (start < 0) start = 0;
  if (count <= 0 || static_cast<std::uint64_t>(start) >= text.size()) return {};
  const std::size_t s = static_cast<std::size_t>(start);
  const std::size_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(count), text.size() - s);
  return text.substr(s, n);
}

bool ReadLeadingInt(std::string_view s, std::int32_t& value) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
  std::int64_t v = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > kLimit) v = kLimit;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<std::int32_t>::max()) v = std::numeric_limits<std::int32_t>::max();
  value = static_cast<std::int32_t>(v);
  return true;
}

std::int32_t LocalTimeToEpoch(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  const std::time_t r = std::mktime(&t);
  if (r == static_cast<std::time_t>(-1)) return -1;
  const long long v = static_cast<long long>(r);
  if (v > std::numeric_limits<std::int32_t>::max() || v < std::numeric_limits<std::int32_t>::min()) return -1;
  return static_cast<std::int32_t>(v);
}

}  // namespace zt::sdwifi
