#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chksdwifi/listing_parser.h"
#include "chksdwifi/listing_text.h"
#include "tests/support/fixed_time_zone.h"

namespace zt::sdwifi {
namespace {

// 2006-01-02 15:04:05 CET and 2006-07-01 12:00:00 CEST.
constexpr std::int32_t kWinter = 1136210645;
constexpr std::int32_t kSummer = 1151748000;

std::string CsvLine(const std::string& name, int size, int date, int time) {
  return "cardFiles.push({\"/DCIM," + name + "," + std::to_string(size) + ",32," + std::to_string(date) +
         "," + std::to_string(time) + "\"});\n";
}

struct Collected {
  std::vector<CardFileEntry> files;
  ListedFileSink Sink() {
    return [this](const CardFileEntry& e) { files.push_back(e); };
  }
};

ListingFormat CsvFormat() {
  ListingFormat f;
  f.extensions = {".JPG", ".PDF"};
  f.isLead = NoLeadBytes;
  return f;
}

ListingFormat TextFormat(int type) {
  ListingFormat f;
  f.sdType = type;
  f.extensions = {".PDF"};
  f.strBeforeFileSize = "size=";
  f.strAfterFileSize = ";";
  f.strBeforeTimestamp = "time=";
  f.strAfterTimestamp = ";";
  f.isLead = NoLeadBytes;
  return f;
}

std::string TextLine(const std::string& name, const std::string& size, const std::string& stamp) {
  return "<a href=\"" + name + "\">" + name + "</a> size=" + size + "; time=" + stamp + ";\n";
}

TEST(IsScanFileName, EachFieldIsTwoDigitsInItsRange) {
  EXPECT_TRUE(IsScanFileName("01021530.JPG"));
  EXPECT_TRUE(IsScanFileName("12312399"));
  EXPECT_TRUE(IsScanFileName("01310000"));  // day not checked against the month
  for (const char* bad : {"13021530.JPG", "00021530.JPG", "01001530.JPG", "01321530.JPG", "01022430.JPG",
                          "1 021530.JPG", "0102153A.JPG", " 1021530.JPG", "0102153", "-1021530.JPG"})
    EXPECT_FALSE(IsScanFileName(bad)) << bad;
}

class ListingParser : public FixedTimeZone {};

TEST_F(ListingParser, ReadsCsvListingExtensionByExtension) {
  const std::string listing = CsvLine("01021530.PDF", 5, FatDate(2006, 1, 2), FatTime(15, 4, 4)) +
                              CsvLine("07011200.JPG", 123456, FatDate(2006, 7, 1), FatTime(12, 0, 0)) +
                              CsvLine("README00.JPG", 10, FatDate(2006, 1, 2), 0) +  // not a scan name
                              CsvLine("01021531.JPG", 7, FatDate(2006, 1, 2), FatTime(15, 4, 5));
  Collected got;
  EXPECT_EQ(ParseFolderListing(CsvFormat(), "http://card/DCIM/", listing, got.Sink()), LISTING_COMPLETE);
  ASSERT_EQ(got.files.size(), 3u);
  EXPECT_EQ(got.files[0].fileUrl, "http://card/DCIM/07011200.JPG");
  EXPECT_EQ(got.files[0].size, 123456);
  EXPECT_EQ(got.files[0].time, kSummer);
  EXPECT_EQ(got.files[1].fileUrl, "http://card/DCIM/01021531.JPG");
  EXPECT_EQ(got.files[1].time, kWinter - 1);  // seconds are stored halved: 5 reads as 4
  EXPECT_EQ(got.files[2].fileUrl, "http://card/DCIM/01021530.PDF");
  EXPECT_EQ(got.files[2].time, kWinter - 1);
}

TEST_F(ListingParser, FatWordsRollOverAndKeepTheirLowBits) {
  ListingFormat f = CsvFormat();
  std::int32_t t = 0;
  // Day 0 of February is 31 January; a date word above 16 bits keeps its low 16 bits.
  ASSERT_TRUE(ParseFileTime(f, ",1,32," + std::to_string(FatDate(2006, 2, 0)) + ",0\"", 0, t));
  EXPECT_EQ(t, LocalTimeToEpoch(2006, 1, 31, 0, 0, 0));
  ASSERT_TRUE(ParseFileTime(f, ",1,32," + std::to_string(FatDate(2006, 1, 2) + 65536) + ",0\"", 0, t));
  EXPECT_EQ(t, LocalTimeToEpoch(2006, 1, 2, 0, 0, 0));
  // Year 1980 + 127 lies beyond the 32-bit count.
  ASSERT_TRUE(ParseFileTime(f, ",1,32,65535,0\"", 0, t));
  EXPECT_EQ(t, -1);
  EXPECT_FALSE(ParseFileTime(f, ",1,32,x,0\"", 0, t));  // no number
  EXPECT_FALSE(ParseFileTime(f, ",1,32,100,0", 0, t));  // no closing marker
  EXPECT_FALSE(ParseFileTime(f, ",1,32,100", 0, t));    // too few fields
}

TEST_F(ListingParser, SizeZeroIsSkippedAndUnreadableFieldsStopTheListing) {
  const std::string good = CsvLine("01021530.JPG", 9, FatDate(2006, 1, 2), 0);
  Collected got;
  const std::string zero = CsvLine("01021529.JPG", 0, FatDate(2006, 1, 2), 0);
  EXPECT_EQ(ParseFolderListing(CsvFormat(), "u/", zero + good, got.Sink()), LISTING_COMPLETE);
  ASSERT_EQ(got.files.size(), 1u);
  EXPECT_EQ(got.files[0].fileUrl, "u/01021530.JPG");

  // A negative size is recorded like any other.
  got.files.clear();
  ParseFolderListing(CsvFormat(), "u/", CsvLine("01021530.JPG", -4, FatDate(2006, 1, 2), 0), got.Sink());
  ASSERT_EQ(got.files.size(), 1u);
  EXPECT_EQ(got.files[0].size, -4);

  // A bad date stops the whole listing; files before it stay reported, later ones are not read.
  got.files.clear();
  const std::string bad = "\"/DCIM,01021531.JPG,5,32,xx,0\"\n";
  EXPECT_EQ(
      ParseFolderListing(CsvFormat(), "u/", good + bad + CsvLine("01021532.PDF", 5, 100, 0), got.Sink()),
      LISTING_STOPPED);
  EXPECT_EQ(got.files.size(), 1u);

  // An unreadable size stops it too.
  got.files.clear();
  EXPECT_EQ(ParseFolderListing(CsvFormat(), "u/", "01021530.JPG,big,32,1,1\"" + good, got.Sink()),
            LISTING_STOPPED);
  EXPECT_TRUE(got.files.empty());
}

TEST_F(ListingParser, UnknownTypeStopsAtTheFirstSizedScanFile) {
  ListingFormat f = CsvFormat();
  f.sdType = 3;
  Collected got;
  const std::string listing = CsvLine("01021529.JPG", 0, 100, 0) + CsvLine("01021530.JPG", 9, 100, 0);
  EXPECT_EQ(ParseFolderListing(f, "u/", listing, got.Sink()), LISTING_STOPPED);
  EXPECT_TRUE(got.files.empty());
}

TEST_F(ListingParser, NamesNearTheStartAreCutFromTheStart) {
  std::string name;
  std::size_t field = 0;
  ASSERT_TRUE(FindNextFileName(CsvFormat(), "0102.JPG,5,", ".JPG", 0, name, field));
  EXPECT_EQ(name, "0102.JPG,5,");  // 12 characters from the start
  EXPECT_EQ(field, 8u);
  EXPECT_FALSE(IsScanFileName(name));
  EXPECT_FALSE(FindNextFileName(CsvFormat(), "0102.JPG", ".JPG", 9, name, field));  // beyond the end
}

TEST_F(ListingParser, TextTimestampsFollowTheSecondNaming) {
  for (int type : {1, 2}) {
    const std::string listing = TextLine("01021530.PDF", "5", "Mon Jan 02 15:04:05 2006") +
                                TextLine("07011200.PDF", "77", "Sat Jul  1 12:00:00 2006");
    Collected got;
    EXPECT_EQ(ParseFolderListing(TextFormat(type), "u/", listing, got.Sink()), LISTING_COMPLETE);
    ASSERT_EQ(got.files.size(), 2u) << type;
    EXPECT_EQ(got.files[0].time, kWinter);
    EXPECT_EQ(got.files[0].size, 5);
    EXPECT_EQ(got.files[1].time, kSummer);  // a day written as a blank and 1
    EXPECT_EQ(got.files[1].size, 77);
  }
  // Named once: fields are searched right behind the single naming.
  Collected got;
  ParseFolderListing(TextFormat(1), "u/", "01021530.PDF size=3; time=Mon Jan 02 15:04:05 2006;", got.Sink());
  ASSERT_EQ(got.files.size(), 1u);
  EXPECT_EQ(got.files[0].size, 3);

  // The field offset lies behind the second naming, so the fields of the first line are skipped
  // when the second naming appears only later.
  std::string name;
  std::size_t field = 0;
  const std::string twice = "01021530.PDF x 01021530.PDF size=1;";
  ASSERT_TRUE(FindNextFileName(TextFormat(2), twice, ".PDF", 0, name, field));
  EXPECT_EQ(field, twice.find(" size"));
}

TEST_F(ListingParser, BadTextTimestampsFail) {
  const ListingFormat f = TextFormat(1);
  std::int32_t t = 0;
  auto parse = [&](const std::string& stamp) { return ParseFileTime(f, "time=" + stamp + ";", 0, t); };
  EXPECT_TRUE(parse("Mon Jan 02 15:04:05 2006"));
  EXPECT_EQ(t, kWinter);
  EXPECT_TRUE(parse("Mon Dec 31 23:59:59 1970"));
  EXPECT_FALSE(parse("Mon jan 02 15:04:05 2006"));  // month names are case-sensitive
  EXPECT_FALSE(parse("Mon Jan 02 15:04:05 1969"));
  EXPECT_FALSE(parse("Mon Jan 02 15:04:05 3001"));
  EXPECT_FALSE(parse("Mon Jan 32 15:04:05 2006"));
  EXPECT_FALSE(parse("Mon Jan 02 24:04:05 2006"));
  EXPECT_FALSE(parse("Mon Jan 02 15:60:05 2006"));
  EXPECT_FALSE(parse("Mon Jan 02 15:04:60 2006"));
  EXPECT_FALSE(parse("Mon Jan 02 15-04-05 2006"));                        // no colon
  EXPECT_FALSE(parse("Mon Jan 02"));                                      // no year
  EXPECT_FALSE(ParseFileTime(f, "time=Mon Jan 02 15:04:05 2006", 0, t));  // no closing marker
  // Year 3000 is in range but beyond the 32-bit count.
  EXPECT_TRUE(parse("Mon Jan 02 15:04:05 3000"));
  EXPECT_EQ(t, -1);

  // A bad timestamp stops the listing.
  Collected got;
  const std::string listing = TextLine("01021530.PDF", "5", "Mon Jan 02 15:04:05 1900") +
                              TextLine("01021531.PDF", "5", "Mon Jan 02 15:04:05 2006");
  EXPECT_EQ(ParseFolderListing(f, "u/", listing, got.Sink()), LISTING_STOPPED);
  EXPECT_TRUE(got.files.empty());
}

TEST_F(ListingParser, GarbageListingsReportOnlyScanFilesOfTheFolder) {
  // Listings stitched from the markers' own pieces: whatever they hold, the parser stays inside
  // the text, ends, and reports only scan-file names of this folder.
  const char* const pieces[] = {
      ",",    "\"",    ".JPG",  ".PDF", "0",    "1",  "2",        "9", "12", " ",    ":",
      "Jan ", "time=", "size=", ";",    "\x95", "\\", "01021530", "-", "\n", "65535"};
  unsigned seed = 12345;
  std::size_t found = 0;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const unsigned n = next() % 200;
    for (unsigned i = 0; i < n; ++i) text += pieces[next() % (sizeof pieces / sizeof pieces[0])];
    for (int type : {0, 1, 3}) {
      ListingFormat f = type == 0 ? CsvFormat() : TextFormat(type);
      f.extensions = {".JPG", ".PDF"};
      f.isLead = ShiftJisLeadByte;
      Collected got;
      const int r = ParseFolderListing(f, "u/", text, got.Sink());
      EXPECT_TRUE(r == LISTING_COMPLETE || r == LISTING_STOPPED);
      found += got.files.size();
      for (const CardFileEntry& e : got.files) {
        ASSERT_EQ(e.fileUrl.rfind("u/", 0), 0u);
        EXPECT_TRUE(IsScanFileName(e.fileUrl.substr(2))) << e.fileUrl;
        EXPECT_NE(e.size, 0);
      }
    }
  }
  EXPECT_GT(found, 0u);  // the pieces do make readable entries now and then
}

TEST(ListingText, SearchesKeepDoubleByteCharactersWhole) {
  // 0x95 0x5C: the backslash is a trail byte and must not match.
  const std::string text = "\x95\\a\\";
  EXPECT_EQ(FindFrom(text, "\\", 0, ShiftJisLeadByte), 3u);
  EXPECT_EQ(FindFrom(text, "\\", 0, NoLeadBytes), 1u);
  EXPECT_EQ(FindFrom(text, "", 4, NoLeadBytes), 4u);
  EXPECT_EQ(FindFrom(text, "", 5, NoLeadBytes), kNoMatch);
  EXPECT_EQ(FindFrom("abc", "abcd", 0, NoLeadBytes), kNoMatch);

  std::int32_t v = 0;
  EXPECT_TRUE(ReadLeadingInt("  -12x", v));
  EXPECT_EQ(v, -12);
  EXPECT_TRUE(ReadLeadingInt("99999999999", v));
  EXPECT_EQ(v, 2147483647);
  EXPECT_FALSE(ReadLeadingInt(" +", v));
  EXPECT_FALSE(ReadLeadingInt("", v));
  EXPECT_EQ(Cut("abcdef", -3, 5), "abcde");
  EXPECT_EQ(Cut("abcdef", 4, 9), "ef");
  EXPECT_EQ(Cut("abcdef", 7, 1), "");
}

}  // namespace
}  // namespace zt::sdwifi
