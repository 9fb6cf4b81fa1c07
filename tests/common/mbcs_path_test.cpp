// Separator scans must keep double-byte characters whole: in Shift-JIS the trail byte of many
// characters is 0x5C, the backslash.
#include <gtest/gtest.h>

#include "common/mbcs_path.h"

namespace zt {
namespace {

// "表" (0x95 0x5C) and "ソ" (0x83 0x5C) end in a backslash byte.
const std::string kHyo = "\x95\x5C";
const std::string kSo = "\x83\x5C";

TEST(MbcsPath, FindsTheLastOfAnySeparator) {
  EXPECT_EQ(FindLastPathSeparator("C:\\a\\b.jpg", NoLeadBytes), 4u);
  EXPECT_EQ(FindLastPathSeparator("C:\\a/b.jpg", NoLeadBytes), 4u);
  EXPECT_EQ(FindLastPathSeparator("C:b.jpg", NoLeadBytes), 1u);
  EXPECT_EQ(FindLastPathSeparator("b.jpg", NoLeadBytes), std::string::npos);
  EXPECT_EQ(FindLastPathSeparator("", NoLeadBytes), std::string::npos);
}

TEST(MbcsPath, TrailBytesAreNotSeparators) {
  const std::string path = "C:\\dir\\" + kHyo + ".ini";
  EXPECT_EQ(FindLastPathSeparator(path, ShiftJisLeadByte), 6u);
  EXPECT_EQ(FileNameOf(path, ShiftJisLeadByte), kHyo + ".ini");
  EXPECT_EQ(FolderOf(path, ShiftJisLeadByte), "C:\\dir\\");
  // The same bytes read as single-byte text do split at the trail byte.
  EXPECT_EQ(FindLastPathSeparator(path, NoLeadBytes), 8u);
}

TEST(MbcsPath, FolderAndFileNameParts) {
  EXPECT_EQ(FolderOf("C:\\a\\b.jpg", NoLeadBytes), "C:\\a\\");
  EXPECT_EQ(FileNameOf("C:\\a\\b.jpg", NoLeadBytes), "b.jpg");
  EXPECT_EQ(FolderOf("b.jpg", NoLeadBytes), "");
  EXPECT_EQ(FileNameOf("b.jpg", NoLeadBytes), "b.jpg");
  EXPECT_EQ(FileNameOf("C:\\a\\", NoLeadBytes), "");
}

TEST(MbcsPath, EndsWithBackslashLooksAtWholeCharacters) {
  EXPECT_TRUE(EndsWithBackslash("D:\\Boards\\", ShiftJisLeadByte));
  EXPECT_FALSE(EndsWithBackslash("D:\\Boards", ShiftJisLeadByte));
  EXPECT_FALSE(EndsWithBackslash("D:\\" + kSo, ShiftJisLeadByte));
  EXPECT_TRUE(EndsWithBackslash("D:\\" + kSo + "\\", ShiftJisLeadByte));
  EXPECT_TRUE(EndsWithBackslash("D:\\" + kSo, NoLeadBytes));
  EXPECT_FALSE(EndsWithBackslash("", ShiftJisLeadByte));
}

TEST(MbcsPath, WithBackslashAddsOneWhereNoWholeCharacterIsOne) {
  EXPECT_EQ(WithBackslash("D:\\Boards\\", ShiftJisLeadByte), "D:\\Boards\\");
  EXPECT_EQ(WithBackslash("D:\\Boards", ShiftJisLeadByte), "D:\\Boards\\");
  EXPECT_EQ(WithBackslash("D:\\" + kSo, ShiftJisLeadByte), "D:\\" + kSo + "\\");
  EXPECT_EQ(WithBackslash("", ShiftJisLeadByte), "\\");
}

TEST(MbcsPath, ALeadByteAtTheEndStandsAlone) {
  // A truncated double-byte character must not make the scan read past the end.
  const std::string path = "C:\\a\\\x95";
  EXPECT_EQ(FindLastPathSeparator(path, ShiftJisLeadByte), 4u);
  EXPECT_EQ(FileNameOf(path, ShiftJisLeadByte), "\x95");
}

TEST(MbcsPath, ShiftJisLeadByteRanges) {
  EXPECT_FALSE(ShiftJisLeadByte(0x80));
  EXPECT_TRUE(ShiftJisLeadByte(0x81));
  EXPECT_TRUE(ShiftJisLeadByte(0x9F));
  EXPECT_FALSE(ShiftJisLeadByte(0xA0));  // half-width katakana are single bytes
  EXPECT_FALSE(ShiftJisLeadByte(0xDF));
  EXPECT_TRUE(ShiftJisLeadByte(0xE0));
  EXPECT_TRUE(ShiftJisLeadByte(0xFC));
  EXPECT_FALSE(ShiftJisLeadByte(0xFD));
  EXPECT_FALSE(ShiftJisLeadByte('\\'));
}

}  // namespace
}  // namespace zt
