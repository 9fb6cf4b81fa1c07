// The few text operations the listing parser is built from. Offsets are byte offsets; searches
// step over double-byte characters whole, so a match never starts on a trail byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/mbcs_path.h"

namespace zt::sdwifi {

inline constexpr std::size_t kNoMatch = std::string_view::npos;

// Position of needle at or after from (from at a character start), kNoMatch when none or when
// from lies beyond the end. An empty needle matches at from.
std::size_t FindFrom(std::string_view text, std::string_view needle, std::size_t from, LeadByteTest isLead);

// count characters from start; a negative start counts as 0, the count is shortened at the end.
std::string_view Cut(std::string_view text, std::int64_t start, std::int64_t count);

// The decimal integer at the beginning of s: leading white space and a sign allowed, the rest
// ignored; saturated to 32 bits. False when no digit follows.
bool ReadLeadingInt(std::string_view s, std::int32_t& value);

// Local date and time to seconds since 1970 under the local time zone's rules (daylight saving
// decided by them); out-of-range parts roll over. -1 when the 32-bit count cannot hold it.
std::int32_t LocalTimeToEpoch(int year, int month, int day, int hour, int minute, int second);

}  // namespace zt::sdwifi
