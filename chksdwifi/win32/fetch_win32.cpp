#include "chksdwifi/win32/fetch_win32.h"

#include "chksdwifi/response_reader.h"

#include <windows.h>
#include <wininet.h>

#include <cstring>

#include "common/win32/handles.h"
#include "common/win32/internet_handle.h"

namespace zt::sdwifi {

namespace {

constexpr char kUserAgent[] = "ZTChkSDWiFi";
// A card that stops answering must not block the checker (and its clients' unregister) forever.
constexpr DWORD kConnectTimeoutMs = 5000;
constexpr DWORD kReceiveTimeoutMs = 10000;

// The local file of a download: deleted again unless the fetch succeeds.
class LocalFile {
 public:
  explicit LocalFile(const std::string* path) : m_path(path) {
    if (path)
      m_file.Reset(CreateFileA(path->c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    m_bCreated = static_cast<bool>(m_file);
  }
  ~LocalFile() {
    m_file.Reset();
    if (m_bCreated && !m_bKeep) DeleteFileA(m_path->c_str());
  }
  LocalFile(const LocalFile&) = delete;
  LocalFile& operator=(const LocalFile&) = delete;

  bool Wanted() const { return m_path != nullptr; }
  bool Created() const { return m_bCreated; }
  bool Write(const char* data, DWORD n) {
    DWORD written = 0;
    return WriteFile(m_file.Get(), data, n, &written, nullptr) != FALSE && written == n;
  }
  void Close() { m_file.Reset(); }
  void Keep() { m_bKeep = true; }

 private:
  const std::string* m_path;
  app::UniqueHandle m_file;
  bool m_bCreated = false;
  bool m_bKeep = false;
};

class InternetBody : public ResponseBody {
 public:
  explicit InternetBody(HINTERNET request) : m_request(request) {}
  bool Read(char* buffer, std::size_t size, std::size_t& got) override {
    DWORD n = 0;
    const BOOL ok = InternetReadFile(m_request, buffer, static_cast<DWORD>(size), &n);
    got = n;
    return ok != FALSE;
  }

 private:
  HINTERNET m_request;
};

}  // namespace

FetchResult WinInetFetcher::FetchUrl(const std::string& url, const std::string* localPath,
                                     std::string* text) {
  app::UniqueInternetHandle session(
      InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  // Without a session nothing can be opened: the poll treats it as an unreachable card.
  if (!session) return FETCH_CONNECT_FAILED;
  DWORD connectTimeout = kConnectTimeoutMs, receiveTimeout = kReceiveTimeoutMs;
  InternetSetOptionA(session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connectTimeout, sizeof connectTimeout);
  InternetSetOptionA(session.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeout, sizeof receiveTimeout);

  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                      INTERNET_FLAG_TRANSFER_BINARY;
  app::UniqueInternetHandle request(InternetOpenUrlA(session.Get(), url.c_str(), nullptr, 0, flags, 1));
  if (!request) return FETCH_CONNECT_FAILED;

  LocalFile file(localPath);
  if (file.Wanted() && !file.Created()) return FETCH_CREATE_FAILED;

  // A declared length tells a dropped connection from the end of the response.
  DWORD declared = 0, declaredSize = sizeof declared;
  const bool hasLength = HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                                        &declared, &declaredSize, nullptr) != FALSE;

  InternetBody body(request.Get());
  const ChunkWriter write = [&file](const char* data, std::size_t n) {
    return file.Write(data, static_cast<DWORD>(n));
  };
  const FetchResult result =
      ReadResponse(body, file.Wanted() ? &write : nullptr, text, hasLength ? std::int64_t{declared} : -1);
  file.Close();
  if (result != FETCH_OK) return result;  // the local file is deleted on the way out
  file.Keep();
  return FETCH_OK;
}

}  // namespace zt::sdwifi
