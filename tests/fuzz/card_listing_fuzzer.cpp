// A card's folder listing of any bytes through the listing parser, in each card type's format:
// the first byte picks the type and whether double-byte characters count, the rest is the page.
// Every file reported lies in the listed folder and has a size.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "chksdwifi/listing_parser.h"

namespace {

bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool NoLead(unsigned char) { return false; }

zt::sdwifi::ListingFormat FormatFor(std::uint8_t choice) {
  zt::sdwifi::ListingFormat f;
  f.sdType = choice % 3;
  f.extensions = {".JPG", ".PDF", ".TIF", ".BMP"};
  if (f.sdType != 0) {  // the text listings: markers as sdwifi.ini sets them for these cards
    f.strBeforeFileSize = "size=";
    f.strAfterFileSize = ";";
    f.strBeforeTimestamp = "time=";
    f.strAfterTimestamp = ";";
  }
  f.isLead = choice & 0x80 ? ShiftJisLead : NoLead;
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const zt::sdwifi::ListingFormat format = FormatFor(data[0]);
  const std::string_view page(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string folder = "http://card/DCIM/";
  zt::sdwifi::ParseFolderListing(format, folder, page, [&](const zt::sdwifi::CardFileEntry& e) {
    if (e.size == 0 || e.fileUrl.compare(0, folder.size(), folder) != 0) std::abort();
  });
  return 0;
}
