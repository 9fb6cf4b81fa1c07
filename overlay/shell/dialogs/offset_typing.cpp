#include "overlay/shell/dialogs/offset_typing.h"

#include <cstdint>
#include <cstdio>

namespace zt::shell {

namespace {

// The leading sign and every digit of text, as a number that saturates instead of overflowing.
std::int64_t KeptNumber(const std::string& text) {
  constexpr std::int64_t kSaturated = 10'000'000'000;
  std::int64_t value = 0;
  for (char c : text)
    if (c >= '0' && c <= '9' && value < kSaturated) value = value * 10 + (c - '0');
  return !text.empty() && text[0] == '-' ? -value : value;
}

int ClampWide(std::int64_t value, IntRange range) {
  if (value < range.low) return range.low;
  if (value > range.high) return range.high;
  return static_cast<int>(value);
}

std::string Formatted(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d", value);
  return buffer;
}

}  // namespace

OffsetTyping FilterOffsetTyping(const std::string& typed, IntRange range) {
  OffsetTyping out;
  if (typed.empty() || typed == "-") return out;
  out.value = ClampWide(KeptNumber(typed), range);
  out.text = Formatted(out.value);
  if (out.text == typed) {
    out.action = OffsetTyping::Action::Accept;
  } else if (typed[0] == '-' && out.value == 0) {
    // The user has typed a sign and a zero; keep the sign so that the number can follow.
    out.action = OffsetTyping::Action::MinusOnly;
    out.text = "-";
  } else {
    out.action = OffsetTyping::Action::Replace;
  }
  return out;
}

int OffsetFromText(const std::string& text, IntRange range) { return ClampWide(KeptNumber(text), range); }

}  // namespace zt::shell
