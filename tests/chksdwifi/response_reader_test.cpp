#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "chksdwifi/response_reader.h"

namespace zt::sdwifi {
namespace {

// Hands out a body in pieces of the given sizes (the last size repeats), then 0 bytes.
class PiecewiseBody : public ResponseBody {
 public:
  PiecewiseBody(std::string data, std::vector<std::size_t> pieces, std::size_t failAt = std::string::npos)
      : m_data(std::move(data)), m_pieces(std::move(pieces)), m_failAt(failAt) {}
  bool Read(char* buffer, std::size_t size, std::size_t& got) override {
    EXPECT_GT(size, 0u);
    EXPECT_LE(size, kChunkSize);
    if (m_pos >= m_failAt) return false;
    const std::size_t piece = m_pieces[std::min(m_reads++, m_pieces.size() - 1)];
    got = std::min({piece, size, m_data.size() - m_pos});
    std::memcpy(buffer, m_data.data() + m_pos, got);
    m_pos += got;
    return true;
  }
  int reads() const { return static_cast<int>(m_reads); }

 private:
  std::string m_data;
  std::vector<std::size_t> m_pieces;
  std::size_t m_failAt;
  std::size_t m_pos = 0;
  std::size_t m_reads = 0;
};

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 26);
  return s;
}

TEST(ReadResponse, ShortReadsDoNotEndTheResponse) {
  const std::string data = Pattern(10000);
  for (std::vector<std::size_t> pieces : {std::vector<std::size_t>{1024}, {1}, {300, 7, 1024}, {1023}}) {
    PiecewiseBody body(data, pieces);
    std::string written, text = "stale";
    const ChunkWriter write = [&](const char* d, std::size_t n) {
      written.append(d, n);
      return true;
    };
    EXPECT_EQ(ReadResponse(body, &write, &text, static_cast<std::int64_t>(data.size())), FETCH_OK);
    EXPECT_EQ(written, data);
    EXPECT_EQ(text, data);
  }
}

TEST(ReadResponse, NotFoundPageIsSeenHoweverItWasCut) {
  const std::string page = "<html><body><h1>404 Not Found</h1></body></html>";
  for (std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{1024}}) {
    PiecewiseBody body(page, {piece});
    std::string text;
    EXPECT_EQ(ReadResponse(body, nullptr, &text, -1), FETCH_NOT_FOUND) << piece;
    EXPECT_EQ(text, page);
  }
  // A file whose last bytes carry the text is taken as not found; earlier in the file it is not.
  PiecewiseBody tailHit(Pattern(5000) + "404 Not Found", {1024});
  EXPECT_EQ(ReadResponse(tailHit, nullptr, nullptr, -1), FETCH_NOT_FOUND);
  PiecewiseBody early("404 Not Found" + Pattern(5000), {1024});
  EXPECT_EQ(ReadResponse(early, nullptr, nullptr, -1), FETCH_OK);
  // Behind a NUL byte in the last chunk the text does not count.
  PiecewiseBody behindNul(std::string("x\0", 2) + "404 Not Found", {1024});
  EXPECT_EQ(ReadResponse(behindNul, nullptr, nullptr, -1), FETCH_OK);
}

TEST(ReadResponse, NotFoundIsJudgedOnTheLast1024ByteChunkWhateverTheReads) {
  for (std::vector<std::size_t> pieces : {std::vector<std::size_t>{1024}, {1015, 9}, {1}, {700}}) {
    // The text straddles the chunk boundary: the last chunk holds only its end.
    PiecewiseBody straddling(Pattern(1020) + "404 Not Found", pieces);
    EXPECT_EQ(ReadResponse(straddling, nullptr, nullptr, -1), FETCH_OK) << pieces[0];
    // A body of exactly one chunk: that chunk is the last non-empty one.
    PiecewiseBody wholeChunk(Pattern(1011) + "404 Not Found", pieces);
    EXPECT_EQ(ReadResponse(wholeChunk, nullptr, nullptr, -1), FETCH_NOT_FOUND) << pieces[0];
  }
}

TEST(ReadResponse, FailuresAndTruncation) {
  PiecewiseBody broken(Pattern(3000), {1024}, 2048);
  std::string written;
  const ChunkWriter write = [&](const char* d, std::size_t n) {
    written.append(d, n);
    return true;
  };
  EXPECT_EQ(ReadResponse(broken, &write, nullptr, -1), FETCH_READ_FAILED);

  // The connection closed before the declared length: cut off, not complete.
  PiecewiseBody cut(Pattern(3000), {1024});
  EXPECT_EQ(ReadResponse(cut, &write, nullptr, 4000), FETCH_READ_FAILED);

  PiecewiseBody full(Pattern(3000), {1024});
  const ChunkWriter diskFull = [](const char*, std::size_t) { return false; };
  EXPECT_EQ(ReadResponse(full, &diskFull, nullptr, -1), FETCH_WRITE_FAILED);

  // Text ends at a NUL inside a chunk; the file gets every byte.
  const std::string binary = std::string("ab\0cd", 5);
  for (std::size_t piece : {std::size_t{1024}, std::size_t{1}}) {
    PiecewiseBody withNul(binary, {piece});
    std::string text;
    written.clear();
    EXPECT_EQ(ReadResponse(withNul, &write, &text, 5), FETCH_OK);
    EXPECT_EQ(text, "ab") << piece;
    EXPECT_EQ(written, binary);
  }
}

}  // namespace
}  // namespace zt::sdwifi
