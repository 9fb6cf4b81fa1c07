// The write call: round trips through the load call, PDF placement, exclusive create and the
// failures that must leave nothing behind. Files go to the samples' "written" folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/dib.h"
#include "cvimgfileio/byte_buffer.h"
#include "cvimgfileio/dib_input.h"
#include "tests/cvimgfileio/image_check.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace zt::imgtest {
namespace {

std::string Target(const std::string& name) {
  const std::string path = "written/" + name;
  RemoveFile(path);
  return path;
}

int Write(const std::vector<std::uint8_t>& dib, int format, const std::string& path, unsigned short res = 150,
          int pageW = 842, int pageH = 595, int offX = 0, int offY = 0) {
  return IMGFILE_WriteDib2File(dib.data(), res, res, pageW, pageH, offX, offY, format, path.c_str(), 0);
}

TEST(WriteRoundTrip, TiffIsLosslessAndKeepsTheResolution) {
  for (int width : {1, 2, 3, 4, 5, 301}) {
    const auto dib = MakeDib(width, 37);
    const std::string path = Target("round" + std::to_string(width) + ".tif");
    ASSERT_EQ(Write(dib, IMGFILE_FORMAT_TIFF, path, 300), IMGFILE_OK);
    const Loaded img(path);
    ASSERT_EQ(img.rc, IMGFILE_OK);
    EXPECT_EQ(img.Bits(), 24);
    EXPECT_EQ(MaxDiff(img, dib), 0) << "width " << width;
    EXPECT_EQ(img.resX, 300);
    EXPECT_EQ(img.resY, 300);
  }
}

TEST(WriteRoundTrip, JpegStaysCloseAndCarriesTheDensity) {
  const auto dib = MakeDib(203, 101);
  const std::string path = Target("round.jpg");
  ASSERT_EQ(Write(dib, IMGFILE_FORMAT_JPEG, path, 200), IMGFILE_OK);
  const Loaded img(path);
  ASSERT_EQ(img.rc, IMGFILE_OK);
  EXPECT_LE(MaxDiff(img, dib), 12);
  EXPECT_EQ(img.resX, 200);
  EXPECT_EQ(img.resY, 200);
}

TEST(WriteRoundTrip, AJpegFileLargerThanItsFirstBlockIsTheSame) {
  // The encoder's block starts at 16 bytes and doubles several times on the way.
  const auto dib = MakeDib(203, 101);
  const img::DibInput in(dib.data());
  img::ByteBuffer grown, reserved;
  img::EncodeJpeg(in, 200, 200, 90, grown, 16);
  img::EncodeJpeg(in, 200, 200, 90, reserved);
  ASSERT_GT(grown.Size(), 16u << 6);
  ASSERT_EQ(grown.Size(), reserved.Size());
  EXPECT_EQ(0, std::memcmp(grown.Data(), reserved.Data(), grown.Size()));
  // Ends as a JPEG file does.
  EXPECT_EQ(grown.Data()[grown.Size() - 2], 0xFF);
  EXPECT_EQ(grown.Data()[grown.Size() - 1], 0xD9);
}

TEST(WriteRoundTrip, TopDownSourceRowsKeepTheirOrder) {
  auto dib = MakeDib(16, 9);
  const auto bottomUp = dib;
  // Same picture stored top-down: reverse the rows and negate the height.
  const std::size_t row = DibRowBytes24(16);
  for (int y = 0; y < 9; ++y)
    std::memcpy(dib.data() + 40 + row * y, bottomUp.data() + 40 + row * (8 - y), row);
  reinterpret_cast<BitmapInfoHeader*>(dib.data())->biHeight = -9;
  const std::string path = Target("topdown.tif");
  ASSERT_EQ(Write(dib, IMGFILE_FORMAT_TIFF, path), IMGFILE_OK);
  const Loaded img(path);
  ASSERT_EQ(img.rc, IMGFILE_OK);
  EXPECT_EQ(MaxDiff(img, bottomUp), 0);
}

// A 300 x 150 image at 150 dpi is 144 x 72 points, placed 36 points right of and 50 points
// below the page's top-left corner.
TEST(WritePdf, PlacesTheImageAtItsOffsetAndResolution) {
  const auto dib = MakeDib(300, 150);
  const std::string path = Target("placed.pdf");
  ASSERT_EQ(Write(dib, IMGFILE_FORMAT_PDF, path, 150, 842, 595, 36, 50), IMGFILE_OK);
  const Loaded img(path);
  ASSERT_EQ(img.rc, IMGFILE_OK);
  EXPECT_EQ(img.resX, 150);
  EXPECT_EQ(img.resY, 150);
  EXPECT_EQ(img.offX, 36);
  EXPECT_EQ(img.offY, 50);
  EXPECT_LE(MaxDiff(img, dib), 12);
  const std::string text(reinterpret_cast<const char*>(ReadBytes(path).data()), 512);
  EXPECT_NE(text.find("/MediaBox [0 0 842 595]"), std::string::npos);
}

#ifndef _WIN32
TEST(WritePdf, PassesTheStructureCheck) {
  const auto dib = MakeDib(1920 / 8, 1080 / 8);
  const std::string path = Target("checked.pdf");
  ASSERT_EQ(Write(dib, IMGFILE_FORMAT_PDF, path, 96, 180, 101, -10, 400), IMGFILE_OK);
  EXPECT_EQ(std::system(("qpdf --check " + path + " > /dev/null").c_str()), 0);
}

// A file-size limit makes the write fail half-way, as a full volume would: the partial file
// must go.
TEST(WriteTarget, AWriteThatFailsHalfWayRemovesItsFile) {
  const auto dib = MakeDib(400, 300);
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int rc[3];
  const int formats[3] = {IMGFILE_FORMAT_JPEG, IMGFILE_FORMAT_TIFF, IMGFILE_FORMAT_PDF};
  for (int i = 0; i < 3; ++i) rc[i] = Write(dib, formats[i], Target("limited" + std::to_string(i)));
  setrlimit(RLIMIT_FSIZE, &old);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(rc[i], IMGFILE_ERR_WRITE) << formats[i];
    EXPECT_FALSE(FileExists("written/limited" + std::to_string(i))) << formats[i];
  }
}
#endif

TEST(WriteTarget, AnExistingFileIsNeverOverwritten) {
  const auto dib = MakeDib(8, 8);
  for (int format : {IMGFILE_FORMAT_JPEG, IMGFILE_FORMAT_TIFF, IMGFILE_FORMAT_PDF}) {
    const std::string path = Target("exists" + std::to_string(format));
    ASSERT_TRUE(WriteBytes(path, {'k', 'e', 'e', 'p'}));
    EXPECT_EQ(Write(dib, format, path), IMGFILE_ERR_TARGET_EXISTS);
    EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
  }
}

TEST(WriteTarget, FailuresLeaveNoFileBehind) {
  const auto dib = MakeDib(8, 8);
  EXPECT_EQ(Write(dib, IMGFILE_FORMAT_JPEG, "written/no such folder/x.jpg"), IMGFILE_ERR_WRITE);

  const std::string path = Target("refused.jpg");
  EXPECT_EQ(Write(dib, 7, path), IMGFILE_ERR_ARGUMENT);  // unknown format
  auto bad = dib;
  reinterpret_cast<BitmapInfoHeader*>(bad.data())->biBitCount = 8;
  EXPECT_EQ(Write(bad, IMGFILE_FORMAT_JPEG, path), IMGFILE_ERR_ARGUMENT);
  reinterpret_cast<BitmapInfoHeader*>(bad.data())->biBitCount = 24;
  reinterpret_cast<BitmapInfoHeader*>(bad.data())->biWidth = 0;
  EXPECT_EQ(Write(bad, IMGFILE_FORMAT_TIFF, path), IMGFILE_ERR_ARGUMENT);
  reinterpret_cast<BitmapInfoHeader*>(bad.data())->biWidth = 70000;
  EXPECT_EQ(Write(bad, IMGFILE_FORMAT_TIFF, path), IMGFILE_ERR_TOO_LARGE);
  EXPECT_EQ(Write(dib, IMGFILE_FORMAT_PDF, path, 96, 0, 595), IMGFILE_ERR_ARGUMENT);  // no page
  EXPECT_EQ(IMGFILE_WriteDib2File(nullptr, 96, 96, 10, 10, 0, 0, IMGFILE_FORMAT_JPEG, path.c_str(), 0),
            IMGFILE_ERR_ARGUMENT);
  EXPECT_EQ(IMGFILE_WriteDib2File(dib.data(), 96, 96, 10, 10, 0, 0, IMGFILE_FORMAT_JPEG, nullptr, 0),
            IMGFILE_ERR_ARGUMENT);
  EXPECT_FALSE(FileExists(path));
}

// An unknown resolution is written as 96 dpi instead of dividing by zero in the placement.
TEST(WriteTarget, ZeroResolutionMeansTheDefault) {
  const auto dib = MakeDib(96, 48);
  const std::string path = Target("zero.pdf");
  ASSERT_EQ(Write(dib, IMGFILE_FORMAT_PDF, path, 0, 612, 792), IMGFILE_OK);
  const Loaded img(path);
  ASSERT_EQ(img.rc, IMGFILE_OK);
  EXPECT_EQ(img.resX, 96);
}

}  // namespace
}  // namespace zt::imgtest
