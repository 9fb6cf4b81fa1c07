#include "overlay/shell/settings/caption_unescape.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace zt::shell {
namespace {

// Unescapes into a buffer of outSize bytes followed by guard bytes that must stay untouched.
std::string Unescape(const std::string& text, std::size_t outSize = 1024) {
  std::vector<char> out(outSize + 8, '#');
  const std::size_t n = UnescapeCaption(text.data(), text.size(), out.data(), outSize);
  for (std::size_t i = outSize; i < out.size(); ++i)
    EXPECT_EQ(out[i], '#') << "wrote past the buffer at " << i;
  EXPECT_EQ(out[n], '\0');
  EXPECT_EQ(std::strlen(out.data()), n);
  return std::string(out.data(), n);
}

TEST(CaptionUnescape, KnownEscapesBecomeTheirCharactersOthersLoseTheBackslash) {
  EXPECT_EQ(Unescape(R"(Line one\nLine two)"), "Line one\nLine two");
  EXPECT_EQ(Unescape(R"(a\\b)"), "a\\b");
  EXPECT_EQ(Unescape(R"(say \"hi\")"), "say \"hi\"");
  EXPECT_EQ(Unescape(R"(\r\t)"), "\r\t");
  EXPECT_EQ(Unescape(R"(\x\%\ )"), "x% ");
  EXPECT_EQ(Unescape(R"(Help\\ZTLB_help.htm)"), "Help\\ZTLB_help.htm");
  EXPECT_EQ(Unescape("ends with\\"), "ends with");  // nothing follows the backslash
}

TEST(CaptionUnescape, SecondByteOfADoubleByteCharacterIsNeverAnEscape) {
  // 0x95 0x5C is one Shift-JIS character whose second byte is the backslash code.
  EXPECT_EQ(Unescape("\x95\x5C\\n"), "\x95\x5C\n");
  EXPECT_EQ(Unescape("\x95\x5Cn"), "\x95\x5Cn");
  // A backslash before a double-byte character is kept, and that character stays whole.
  EXPECT_EQ(Unescape("Help\\\x95\x5Cn.htm"), "Help\\\x95\x5Cn.htm");
  // 0xFD and 0xFE after a backslash lose it but still pair with the next byte.
  EXPECT_EQ(Unescape("\\\xFE\x5Cn"), "\xFE\x5Cn");
  // A text cut right after a lead byte keeps that byte and ends there.
  EXPECT_EQ(Unescape("ab\x95"), "ab\x95");
}

TEST(CaptionUnescape, StaysInsideTheBufferAndNeverSplitsACharacter) {
  EXPECT_EQ(Unescape("abcd", 4), "abc");
  EXPECT_EQ(Unescape("abc", 4), "abc");
  EXPECT_EQ(Unescape("ab\x95\x5C", 4), "ab");
  EXPECT_EQ(Unescape("a\\\x95\x5C", 4), "a");
  EXPECT_EQ(Unescape("xyz", 1), "");
  char untouched = '#';
  EXPECT_EQ(UnescapeCaption("abc", 3, &untouched, 0), 0u);
  EXPECT_EQ(untouched, '#');
}

TEST(CaptionUnescape, InPlaceGivesTheSameAsASeparateBufferForAnyBytes) {
  std::mt19937 random(7);
  const char alphabet[] = {'\\',   'n',    'r',    't',    '"',    'a',    '\x5C',
                           '\x81', '\x95', '\xE0', '\xFC', '\xFD', '\xFE', ' '};
  for (int round = 0; round < 3000; ++round) {
    std::string text(random() % 40, ' ');
    for (char& c : text) c = alphabet[random() % sizeof alphabet];
    const std::size_t size = 1 + random() % 48;
    const std::string separate = Unescape(text, size);
    EXPECT_LT(separate.size(), size);
    std::vector<char> inPlace(text.begin(), text.end());
    inPlace.resize(std::max(text.size(), size) + 1, '#');
    const std::size_t n = UnescapeCaption(inPlace.data(), text.size(), inPlace.data(), size);
    ASSERT_EQ(std::string(inPlace.data(), n), separate) << "text " << text << " size " << size;
  }
}

}  // namespace
}  // namespace zt::shell
