// Preparing a loaded scan: header checks, two-colour expansion, the quarter turn, the ink mask.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "overlay/engine/pixels/resample.h"
#include "overlay/engine/pixels/scan_image.h"
#include "tests/support/test_images.h"

namespace zt {
namespace {

using test::Bgr;

TEST(InkTest, ThresholdIsTwoHundredOnEveryChannel) {
  const std::uint8_t background[] = {200, 200, 200};
  const std::uint8_t lowBlue[] = {199, 255, 255};
  const std::uint8_t lowGreen[] = {255, 199, 255};
  const std::uint8_t lowRed[] = {255, 255, 199};
  EXPECT_TRUE(IsBackground(background));
  EXPECT_TRUE(IsInk(lowBlue));
  EXPECT_TRUE(IsInk(lowGreen));
  EXPECT_TRUE(IsInk(lowRed));
}

TEST(AnyInk, LowestByteOfWholePixelsDecides) {
  const std::uint8_t paper[] = {200, 255, 210, 255, 200, 201};
  const std::uint8_t inked[] = {200, 255, 210, 255, 255, 199};
  EXPECT_FALSE(AnyInk(paper, sizeof paper));
  EXPECT_TRUE(AnyInk(inked, sizeof inked));
  EXPECT_FALSE(AnyInk(inked, 3));
}

TEST(ReadLoadedDib, AcceptsOnlyWhatThePixelStepsHandle) {
  auto packed = test::PackedBytes(*test::Filled(3, 2, test::kWhite));
  ASSERT_TRUE(ReadLoadedDib(packed.data()));
  auto mono = test::Monochrome(9, 2, test::kBlack, test::kWhite, [](int, int) { return false; });
  ASSERT_TRUE(ReadLoadedDib(mono.data()));
  EXPECT_EQ(ReadLoadedDib(mono.data())->pixels, mono.data() + 48);

  auto patched = [](std::vector<std::uint8_t> bytes, auto change) {
    BitmapInfoHeader h;
    std::memcpy(&h, bytes.data(), 40);
    change(h);
    std::memcpy(bytes.data(), &h, 40);
    return bytes;
  };
  EXPECT_FALSE(ReadLoadedDib(nullptr));
  EXPECT_FALSE(ReadLoadedDib(patched(packed, [](BitmapInfoHeader& h) { h.biBitCount = 8; }).data()));
  EXPECT_FALSE(ReadLoadedDib(patched(packed, [](BitmapInfoHeader& h) { h.biBitCount = 32; }).data()));
  EXPECT_FALSE(ReadLoadedDib(patched(packed, [](BitmapInfoHeader& h) { h.biHeight = -2; }).data()));
  EXPECT_FALSE(ReadLoadedDib(patched(packed, [](BitmapInfoHeader& h) { h.biWidth = 0; }).data()));
  EXPECT_FALSE(ReadLoadedDib(patched(packed, [](BitmapInfoHeader& h) { h.biCompression = 1; }).data()));
  EXPECT_FALSE(ReadLoadedDib(patched(packed, [](BitmapInfoHeader& h) { h.biSize = 124; }).data()));
  EXPECT_FALSE(ReadLoadedDib(patched(mono, [](BitmapInfoHeader& h) { h.biClrUsed = 3; }).data()));
  // A size whose 24-bit form cannot be held is refused before anything is allocated.
  EXPECT_FALSE(ReadLoadedDib(patched(mono, [](BitmapInfoHeader& h) {
                               h.biWidth = 100000;
                               h.biHeight = 100000;
                             }).data()));
}

TEST(ExpandMonochrome, MapsBitsToPaletteEntriesFromTheHighBit) {
  const Bgr zero{10, 20, 30};
  const Bgr one{250, 240, 230};
  // Widths around byte and word boundaries: the last byte of a row holds width % 8 pixels.
  for (int width : {1, 7, 8, 9, 31, 32, 33}) {
    auto bit = [](int x, int y) { return (x * 3 + y) % 5 < 2; };
    auto packed = test::Monochrome(width, 3, zero, one, bit);
    auto layout = ReadLoadedDib(packed.data());
    ASSERT_TRUE(layout);
    DibPtr out = ExpandMonochrome(*layout);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Width(), width);
    EXPECT_EQ(out->Height(), 3);
    EXPECT_EQ(out->Header().biBitCount, 24);
    EXPECT_EQ(out->Header().biClrUsed, 0u);
    EXPECT_EQ(out->Header().biSizeImage, out->RowBytes() * 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < width; ++x) ASSERT_EQ(test::PixelAt(*out, x, y), bit(x, y) ? one : zero) << width;
  }
}

// The turned scan alone.
DibPtr TurnQuarterAnticlockwise(const DibView& source) {
  TurnedScan turned;
  return TurnScan(source, turned) ? std::move(turned.scan) : nullptr;
}

TEST(TurnScan, TopEdgeBecomesLeftEdge) {
  // 5 x 3 source: every pixel carries its coordinates.
  DibPtr source = test::MakeImage(5, 3, test::Coded);
  source->Header().biXPelsPerMeter = 7874;
  DibPtr turned = TurnQuarterAnticlockwise(ViewOf(*source));
  ASSERT_TRUE(turned);
  EXPECT_EQ(turned->Width(), 3);
  EXPECT_EQ(turned->Height(), 5);
  EXPECT_EQ(turned->Header().biXPelsPerMeter, 7874);
  EXPECT_EQ(turned->Header().biSizeImage, turned->RowBytes() * 5);
  // Source (x, y) lands at column y, row W-1-x: the top-right corner becomes the top-left.
  EXPECT_EQ(test::PixelAt(*turned, 0, 0), test::Coded(4, 0));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(test::PixelAt(*turned, y, 4 - x), test::Coded(x, y));

  // Sizes that end mid-tile and mid-group, in both directions.
  for (const auto& [w, h] :
       {std::pair<int, int>{70, 45}, std::pair<int, int>{33, 66}, std::pair<int, int>{2, 7},
        std::pair<int, int>{133, 71}, std::pair<int, int>{6, 130}}) {
    DibPtr big = test::MakeImage(w, h, test::Coded);
    DibPtr out = TurnQuarterAnticlockwise(ViewOf(*big));
    ASSERT_TRUE(out) << w << "x" << h;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(test::PixelAt(*out, y, w - 1 - x), test::Coded(x, y)) << w << "x" << h;
  }
}

TEST(TurnScan, ExpandedTwoColourScanTurnsLikeItsTrueColourTwin) {
  auto bit = [](int x, int y) { return x == y || x == 10; };
  auto mono = test::Monochrome(13, 6, test::kWhite, test::kBlack, bit);
  DibPtr expanded = ExpandMonochrome(*ReadLoadedDib(mono.data()));
  DibPtr twin = test::MakeImage(13, 6, [&](int x, int y) { return bit(x, y) ? test::kBlack : test::kWhite; });
  auto twinPacked = test::PackedBytes(*twin);
  DibPtr a = TurnQuarterAnticlockwise(ViewOf(*expanded));
  DibPtr b = TurnQuarterAnticlockwise(ViewOfLoaded(*ReadLoadedDib(twinPacked.data())));
  ASSERT_TRUE(a && b);
  ASSERT_EQ(a->PixelBytes(), b->PixelBytes());
  EXPECT_EQ(0, std::memcmp(a->Pixels(), b->Pixels(), a->PixelBytes()));
}

TEST(MakeInkMask, WhiteWhereInkBlackElsewhere) {
  DibPtr image = test::MakeImage(4, 2, [](int x, int y) {
    const Bgr colours[] = {{200, 200, 200}, {199, 255, 255}, {255, 255, 255}, {0, 0, 0}};
    return colours[(x + y) % 4];
  });
  DibPtr mask = MakeInkMask(*image);
  ASSERT_TRUE(mask);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool ink = (x + y) % 4 == 1 || (x + y) % 4 == 3;
      EXPECT_EQ(test::PixelAt(*mask, x, y), ink ? test::kWhite : test::kBlack);
    }
}

TEST(TurnScan, HalfMaskAndInkCellsAreThoseOfTheTurnedScan) {
  // Averages on both sides of the ink threshold, sparse ink on near-white paper placed at the
  // edges of the 4 x 4 blocks and ink cells, odd sides, and more rows than one band of the turn.
  auto greys = [](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(190 + (x * 7 + y) % 20), 255,
               static_cast<std::uint8_t>(180 + x * y % 40)};
  };
  auto paper = [](int x, int y) {
    if ((x == 3 && y == 16) || (x == 4 && y == 47) || (x == 130 && y == 15) || (x == 131 && y % 9 == 0))
      return Bgr{255, 199, 255};
    return Bgr{static_cast<std::uint8_t>(200 + (x + y) % 56), 230, 201};
  };
  for (const auto& [w, h, colour] : {std::tuple<int, int, std::function<Bgr(int, int)>>{9, 7, greys},
                                     {133, 71, paper},
                                     {260, 35, paper},
                                     {2, 2, greys}}) {
    DibPtr image = test::MakeImage(w, h, colour);
    TurnedScan turned;
    ASSERT_TRUE(TurnScan(ViewOf(*image), turned)) << w << "x" << h;
    ASSERT_TRUE(turned.scan && turned.half && turned.mask);
    DibPtr expectedHalf = HalveImage(*turned.scan);
    DibPtr expectedMask = MakeInkMask(*expectedHalf);
    ASSERT_EQ(turned.half->PixelBytes(), expectedHalf->PixelBytes());
    EXPECT_EQ(0, std::memcmp(&turned.half->Header(), &expectedHalf->Header(), 40));
    EXPECT_EQ(0, std::memcmp(turned.half->Pixels(), expectedHalf->Pixels(), turned.half->PixelBytes()));
    EXPECT_EQ(0, std::memcmp(turned.mask->Pixels(), expectedMask->Pixels(), turned.mask->PixelBytes()));
    const InkCells expectedInk = FindInkCells(*turned.scan);
    EXPECT_EQ(turned.ink.across, expectedInk.across);
    EXPECT_EQ(turned.ink.bands, expectedInk.bands);
    EXPECT_EQ(turned.ink.flags, expectedInk.flags) << w << "x" << h;
  }
  TurnedScan turned;
  EXPECT_FALSE(TurnScan(ViewOf(*test::Filled(1, 6, test::kWhite)), turned));
  EXPECT_FALSE(turned.scan || turned.half || turned.mask);
}

TEST(InkCells, FlagEachBandOfFourRowsAndSixteenColumnsHoldingInk) {
  DibPtr image = test::MakeImage(40, 9, [](int x, int y) {
    return (x == 16 && y == 3) || (x == 39 && y == 8) ? Bgr{255, 255, 199} : test::kWhite;
  });
  const InkCells ink = FindInkCells(*image);
  EXPECT_EQ(ink.across, 3);
  EXPECT_EQ(ink.bands, 3);
  EXPECT_EQ(ink.flags, (std::vector<std::uint8_t>{0, 1, 0, 0, 0, 0, 0, 0, 1}));
}

TEST(DibBlock, RefusesSizesItCannotHold) {
  EXPECT_FALSE(DibBlock::Allocate(0, 5));
  EXPECT_FALSE(DibBlock::Allocate(5, -1));
  EXPECT_FALSE(DibBlock::Allocate(40000, 40000));  // 4.8 GB
  DibPtr small = DibBlock::Allocate(5, 3);
  ASSERT_TRUE(small);
  EXPECT_EQ(small->RowBytes(), 16u);
  EXPECT_EQ(small->Header().biSize, 40u);
  EXPECT_EQ(small->Header().biPlanes, 1);
  EXPECT_EQ(small->Header().biBitCount, 24);
  EXPECT_EQ(small->Header().biSizeImage, 48u);
}

}  // namespace
}  // namespace zt
