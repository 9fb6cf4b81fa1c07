// The card's HTTP GET over WinInet: no cache, binary, read in 1,024-byte chunks until the
// response ends.
#pragma once

#include "chksdwifi/fetch_result.h"

namespace zt::sdwifi {

class WinInetFetcher : public CardFetcher {
 public:
  FetchResult FetchUrl(const std::string& url, const std::string* localPath, std::string* text) override;
};

}  // namespace zt::sdwifi
