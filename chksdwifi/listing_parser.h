// Cuts a card's folder listing into scan files with the configured markers. The page's syntax is
// never parsed: names are found by their extensions, sizes and timestamps between markers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "chksdwifi/card_file_entry.h"
#include "common/mbcs_path.h"

namespace zt::sdwifi {

struct ListingFormat {
  std::int32_t sdType = 0;  // 0: FAT date/time words; 1, 2: text timestamp, names listed twice
  std::vector<std::string> extensions;
  std::string strBeforeFileSize = ",";
  std::string strAfterFileSize = ",";
  std::string strBeforeTimestamp = ",";
  std::string strAfterTimestamp = "\"";
  LeadByteTest isLead = SystemLeadByte;
};

// Receives every recognised file with a non-zero size, in listing order per extension.
using ListedFileSink = std::function<void(const CardFileEntry&)>;

enum ListingResult : int { LISTING_COMPLETE = 0, LISTING_STOPPED = 3 };
enum EvaluateResult : int { EVALUATE_STOP = 0, EVALUATE_GO_ON = 1 };

// Searches the whole listing, extension by extension; LISTING_STOPPED when a recognised file's
// size or timestamp could not be read (files found before stay reported).
int ParseFolderListing(const ListingFormat& fmt, const std::string& folderUrl, std::string_view text,
                       const ListedFileSink& sink);

// The next name ending in ext at or after start: the eight characters in front of the extension
// and the extension. fieldOffset is where the file's fields are searched (behind the second
// naming for types 1 and 2).
bool FindNextFileName(const ListingFormat& fmt, std::string_view text, std::string_view ext,
                      std::size_t start, std::string& name, std::size_t& fieldOffset);

// The first eight characters are month, day, hour and a number, each two decimal digits.
bool IsScanFileName(std::string_view name);

int EvaluateListedFile(const ListingFormat& fmt, std::string_view text, std::size_t fieldOffset,
                       const std::string& fileUrl, const ListedFileSink& sink);

bool ParseFileSize(const ListingFormat& fmt, std::string_view text, std::size_t fieldOffset,
                   std::int32_t& size);
bool ParseFileTime(const ListingFormat& fmt, std::string_view text, std::size_t fieldOffset,
                   std::int32_t& time);

}  // namespace zt::sdwifi
