// Results of one HTTP GET from the card.
#pragma once

#include <string>

namespace zt::sdwifi {

enum FetchResult : int {
  FETCH_OK = 0,              // read completely (and written to the local file)
  FETCH_READ_FAILED = 1,     // reading failed; a partly written local file was deleted
  FETCH_WRITE_FAILED = 2,    // writing the local file failed; it was deleted
  FETCH_CREATE_FAILED = 3,   // the local file could not be created
  FETCH_CONNECT_FAILED = 4,  // the URL could not be opened (card not reachable, bad URL, no session)
  FETCH_NOT_FOUND = 5,       // the end of the response carries "404 Not Found"; a local file was deleted
};

// The card's HTTP GET. localPath and text may each be null.
class CardFetcher {
 public:
  virtual ~CardFetcher() = default;
  virtual FetchResult FetchUrl(const std::string& url, const std::string* localPath, std::string* text) = 0;
};

}  // namespace zt::sdwifi
