#include "chksdwifi/listing_parser.h"

#include "chksdwifi/listing_text.h"

namespace zt::sdwifi {

namespace {

bool TwoDigitField(std::string_view name, std::size_t at, int lo, int hi) {
  const char a = name[at], b = name[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return false;
  const int v = (a - '0') * 10 + (b - '0');
  return v >= lo && v <= hi;
}

bool ReadPart(std::string_view t, std::int64_t start, std::int64_t count, std::int32_t& value) {
  return ReadLeadingInt(Cut(t, start, count), value);
}

bool InRange(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v >= lo && v <= hi; }

// Type 0: name,size,attribute,date,time" with S as a one-character field separator.
bool ParseFatTime(const ListingFormat& fmt, std::string_view text, std::size_t offset, std::int32_t& time) {
  const std::string& s = fmt.strBeforeTimestamp;
  const std::size_t a = FindFrom(text, s, offset, fmt.isLead);
  if (a == kNoMatch) return false;
  const std::size_t b = FindFrom(text, s, a + 1, fmt.isLead);
  if (b == kNoMatch) return false;
  const std::size_t c = FindFrom(text, s, b + 1, fmt.isLead);
  if (c == kNoMatch) return false;
  const std::size_t d = FindFrom(text, s, c + 1, fmt.isLead);
  if (d == kNoMatch) return false;
  const std::size_t e = FindFrom(text, fmt.strAfterTimestamp, d + 1, fmt.isLead);
  if (e == kNoMatch) return false;
  std::int32_t dateValue = 0, timeValue = 0;
  if (!ReadPart(text, static_cast<std::int64_t>(c) + 1, static_cast<std::int64_t>(d) - c - 1, dateValue))
    return false;
  if (!ReadPart(text, static_cast<std::int64_t>(d) + 1, static_cast<std::int64_t>(e) - d - 1, timeValue))
    return false;
  const unsigned date = static_cast<std::uint32_t>(dateValue) & 0xFFFF;
  const unsigned clock = static_cast<std::uint32_t>(timeValue) & 0xFFFF;
  time = LocalTimeToEpoch(static_cast<int>((date >> 9) + 1980), static_cast<int>((date >> 5) & 0xF),
                          static_cast<int>(date & 0x1F), static_cast<int>(clock >> 11),
                          static_cast<int>((clock >> 5) & 0x3F), static_cast<int>((clock & 0x1F) * 2));
  return true;
}

// Types 1 and 2: a weekday and blank behind the marker, then "Jan 02 15:04:05 2006".
bool ParseTextTime(const ListingFormat& fmt, std::string_view text, std::size_t offset, std::int32_t& time) {
  const std::size_t a = FindFrom(text, fmt.strBeforeTimestamp, offset, fmt.isLead);
  if (a == kNoMatch) return false;
  const std::size_t start = a + fmt.strBeforeTimestamp.size() + 4;
  const std::size_t e = FindFrom(text, fmt.strAfterTimestamp, start, fmt.isLead);
  if (e == kNoMatch) return false;
  const std::string_view t =
      Cut(text, static_cast<std::int64_t>(start), static_cast<std::int64_t>(e - start));

  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!ReadPart(t, 16, 4, year)) return false;
  const std::string_view name = Cut(t, 0, 3);
  for (int m = 0; m < 12; ++m)
    if (name == kMonths[m]) month = m + 1;
  if (month == 0) return false;
  if (!ReadPart(t, 4, 2, day)) return false;
  const std::size_t colon = FindFrom(t, ":", 0, fmt.isLead);
  if (colon == kNoMatch || colon < 2) return false;
  const auto c = static_cast<std::int64_t>(colon);
  if (!ReadPart(t, c - 2, 2, hour) || !ReadPart(t, c + 1, 2, minute) || !ReadPart(t, c + 4, 2, second))
    return false;
  if (!InRange(year, 1970, 3000) || !InRange(month, 1, 12) || !InRange(day, 1, 31) || !InRange(hour, 0, 23) ||
      !InRange(minute, 0, 59) || !InRange(second, 0, 59))
    return false;
  time = LocalTimeToEpoch(year, month, day, hour, minute, second);
  return true;
}

}  // namespace

int ParseFolderListing(const ListingFormat& fmt, const std::string& folderUrl, std::string_view text,
                       const ListedFileSink& sink) {
  for (const std::string& ext : fmt.extensions) {
    std::size_t offset = 0;
    std::string name;
    std::size_t fieldOffset = 0;
    while (FindNextFileName(fmt, text, ext, offset, name, fieldOffset)) {
      if (IsScanFileName(name) &&
          EvaluateListedFile(fmt, text, fieldOffset, folderUrl + name, sink) == EVALUATE_STOP)
        return LISTING_STOPPED;
      offset = fieldOffset;
    }
  }
  return LISTING_COMPLETE;
}

bool FindNextFileName(const ListingFormat& fmt, std::string_view text, std::string_view ext,
                      std::size_t start, std::string& name, std::size_t& fieldOffset) {
  // An empty extension would match everywhere without moving on.
  if (ext.empty()) return false;
  const std::size_t i = FindFrom(text, ext, start, fmt.isLead);
  if (i == kNoMatch) return false;
  name = std::string(Cut(text, static_cast<std::int64_t>(i) - 8, static_cast<std::int64_t>(8 + ext.size())));
  fieldOffset = i + ext.size();
  if (fmt.sdType == 1 || fmt.sdType == 2) {
    const std::size_t again = FindFrom(text, name, fieldOffset, fmt.isLead);
    if (again != kNoMatch) fieldOffset = again + name.size();
  }
  return true;
}

bool IsScanFileName(std::string_view name) {
  if (name.size() < 8) return false;
  return TwoDigitField(name, 0, 1, 12) && TwoDigitField(name, 2, 1, 31) && TwoDigitField(name, 4, 0, 23) &&
         TwoDigitField(name, 6, 0, 99);
}

int EvaluateListedFile(const ListingFormat& fmt, std::string_view text, std::size_t fieldOffset,
                       const std::string& fileUrl, const ListedFileSink& sink) {
  std::int32_t size = 0;
  if (!ParseFileSize(fmt, text, fieldOffset, size)) return EVALUATE_STOP;
  if (size == 0) return EVALUATE_GO_ON;
  std::int32_t time = 0;
  if (!ParseFileTime(fmt, text, fieldOffset, time)) return EVALUATE_STOP;
  CardFileEntry entry;
  entry.time = time;
  entry.fileUrl = fileUrl;
  entry.size = size;
  sink(entry);
  return EVALUATE_GO_ON;
}

bool ParseFileSize(const ListingFormat& fmt, std::string_view text, std::size_t fieldOffset,
                   std::int32_t& size) {
  const std::size_t a = FindFrom(text, fmt.strBeforeFileSize, fieldOffset, fmt.isLead);
  if (a == kNoMatch) return false;
  const std::size_t start = a + fmt.strBeforeFileSize.size();
  const std::size_t b = FindFrom(text, fmt.strAfterFileSize, start, fmt.isLead);
  if (b == kNoMatch) return false;
  return ReadPart(text, static_cast<std::int64_t>(start), static_cast<std::int64_t>(b - start), size);
}

bool ParseFileTime(const ListingFormat& fmt, std::string_view text, std::size_t fieldOffset,
                   std::int32_t& time) {
  if (fmt.sdType == 0) return ParseFatTime(fmt, text, fieldOffset, time);
  if (fmt.sdType == 1 || fmt.sdType == 2) return ParseTextTime(fmt, text, fieldOffset, time);
  return false;
}

}  // namespace zt::sdwifi
