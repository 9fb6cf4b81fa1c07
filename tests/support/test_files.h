// Files for the engine's tests: a temporary folder, and an image-file stand-in whose scan files
// are "TDIB", the load values and a packed DIB, and whose written images are the DIB's bytes.
#pragma once

#include <gtest/gtest.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "overlay/engine/pixels/dib_block.h"
#include "overlay/imgfile/image_files.h"

namespace zt::test {

// The engine's paths use backslashes; natively they name "/" paths.
inline std::string NativePath(std::string path) {
#ifndef _WIN32
  for (char& c : path)
    if (c == '\\') c = '/';
#endif
  return path;
}

class TempDir {
 public:
  TempDir() {
    static int counter = 0;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = std::filesystem::temp_directory_path() /
             ("zt-engine-" + std::to_string(stamp) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(m_path);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // Paths are handed to the engine with backslashes, as on Windows.
  std::string Win(const std::string& relative = std::string()) const {
    std::string path = m_path.string();
    for (char& c : path)
      if (c == '/') c = '\\';
    return relative.empty() ? path : path + "\\" + relative;
  }

 private:
  std::filesystem::path m_path;
};

inline std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline bool FileExists(const std::string& path) { return std::filesystem::exists(NativePath(path)); }

struct LoadValues {
  std::uint16_t resX = 200, resY = 200;
  std::int32_t offX = 36, offY = 18;
};

inline std::vector<std::uint8_t> ScanFileBytes(const std::vector<std::uint8_t>& packed, LoadValues v = {}) {
  std::vector<std::uint8_t> bytes = {'T', 'D', 'I', 'B'};
  bytes.resize(16);
  std::memcpy(&bytes[4], &v.resX, 2);
  std::memcpy(&bytes[6], &v.resY, 2);
  std::memcpy(&bytes[8], &v.offX, 4);
  std::memcpy(&bytes[12], &v.offY, 4);
  bytes.insert(bytes.end(), packed.begin(), packed.end());
  return bytes;
}

struct WriteCall {
  unsigned short resX, resY;
  int pageWidth, pageHeight, offsetX, offsetY, format;
  std::string path;
  int width, height;
};

class FakeImageFiles final : public ImageFiles {
 public:
  int LoadScan(const std::string& path, ScanLoad& out) override {
    ++loads;
    out = ScanLoad();
    const std::vector<std::uint8_t> bytes = ReadAll(path);
    if (afterRead) afterRead(path);
    if (bytes.empty()) return -2;
    if (bytes.size() < 16 + 40 || std::memcmp(bytes.data(), "TDIB", 4) != 0) return -4;
    BitmapInfoHeader h;
    std::memcpy(&h, &bytes[16], 40);
    const std::uint64_t need =
        40 + h.biClrUsed * 4ull +
        DibRowBytes(h.biWidth, h.biBitCount) * std::uint64_t(h.biHeight > 0 ? h.biHeight : 0);
    if (bytes.size() < 16 + need) return -4;  // truncated
    auto* block = new std::uint8_t[bytes.size() - 16];
    std::memcpy(block, &bytes[16], bytes.size() - 16);
    out.dib = PackedDib(block, [](void* p) { delete[] static_cast<std::uint8_t*>(p); });
    std::memcpy(&out.resX, &bytes[4], 2);
    std::memcpy(&out.resY, &bytes[6], 2);
    std::memcpy(&out.pageOffsetX, &bytes[8], 4);
    std::memcpy(&out.pageOffsetY, &bytes[12], 4);
    return 0;
  }

  int WriteImage(const void* dib, unsigned short resX, unsigned short resY, int pageWidth, int pageHeight,
                 int offsetX, int offsetY, int format, const std::string& path) override {
    BitmapInfoHeader h;
    std::memcpy(&h, dib, 40);
    // The engine writes the screenshot on a worker beside the overlay.
    std::lock_guard<std::mutex> lock(m_mutex);
    writes.push_back(
        {resX, resY, pageWidth, pageHeight, offsetX, offsetY, format, path, h.biWidth, h.biHeight});
    const bool fails = (failWritesFrom >= 0 && static_cast<int>(writes.size()) > failWritesFrom) ||
                       (!failWritesTo.empty() && path == failWritesTo);
    if (fails) {
      // A write that broke off half-way leaves a partial file for the caller to remove.
      if (leavePartial) WriteAll(path, {1, 2, 3});
      return -8;
    }
    if (FileExists(path)) return kWriteTargetExists;
    const auto* bytes = static_cast<const std::uint8_t*>(dib);
    WriteAll(path, std::vector<std::uint8_t>(bytes, bytes + 40 + DibImageBytes24(h.biWidth, h.biHeight)));
    return 0;
  }

  // The write to path; fails the test when there is none.
  const WriteCall& WriteTo(const std::string& path) const {
    for (const WriteCall& call : writes)
      if (call.path == path) return call;
    ADD_FAILURE() << "nothing written to " << path;
    static const WriteCall none{};
    return none;
  }

  int loads = 0;
  std::function<void(const std::string&)> afterRead;  // runs once the file's bytes are read
  std::vector<WriteCall> writes;                      // in the order the calls came
  int failWritesFrom = -1;                            // writes after this many fail
  std::string failWritesTo;                           // writes to this path fail
  bool leavePartial = false;

 private:
  std::mutex m_mutex;
};

}  // namespace zt::test
