// PDFs built to hurt: a deflate bomb, a short image stream, a form that paints itself.
#include <gtest/gtest.h>

#include <zlib.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/cvimgfileio/image_check.h"

namespace zt::imgtest {
namespace {

// A one-page PDF with the given objects from number 4 on; object 4 is the page's XObject /X0.
std::vector<std::uint8_t> MakePdf(const std::vector<std::string>& objects, const std::string& content) {
  std::vector<std::string> all = {"<< /Type /Catalog /Pages 2 0 R >>",
                                  "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"};
  const std::size_t contentObject = objects.size() + 4;
  all.push_back(
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 800] /Resources << /XObject << /X0 4 0 R >> >> "
      "/Contents " +
      std::to_string(contentObject) + " 0 R >>");
  for (const auto& o : objects) all.push_back(o);
  all.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
  std::string pdf = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < all.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + all[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(all.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t o : offsets) {
    char line[32];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(all.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return {pdf.begin(), pdf.end()};
}

std::string Deflated(std::size_t zeros) {
  std::vector<std::uint8_t> raw(zeros, 0);
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(&out[0]), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
  out.resize(size);
  return out;
}

std::string Image(int w, int h, const std::string& data) {
  return "<< /Type /XObject /Subtype /Image /Width " + std::to_string(w) + " /Height " + std::to_string(h) +
         " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode /Length " +
         std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

int LoadBuilt(const std::string& name, const std::vector<std::uint8_t>& pdf, Loaded& img) {
  const std::string path = "written/" + name;
  RemoveFile(path);
  EXPECT_TRUE(WriteBytes(path, pdf));
  Load(path, img);
  return img.rc;
}

TEST(HostilePdf, BuiltPagesLoadOrFailByTheirFlaws) {
  const std::string paint = "q 100 0 0 50 20 30 cm /X0 Do Q";
  {
    Loaded img;  // the well-formed page, so that the failures below are the flaws' doing
    EXPECT_EQ(LoadBuilt("good.pdf", MakePdf({Image(100, 50, Deflated(5000))}, paint), img), IMGFILE_OK);
    EXPECT_EQ(img.resX, 72);
    EXPECT_EQ(img.offX, 20);
    EXPECT_EQ(img.offY, 800 - 30 - 50);
  }
  {
    Loaded img;  // the same image turned a quarter: 100 columns on 50 points, 50 rows on 100
    EXPECT_EQ(LoadBuilt("turned.pdf",
                        MakePdf({Image(100, 50, Deflated(5000))}, "q 0 50 -100 0 120 30 cm /X0 Do Q"), img),
              IMGFILE_OK);
    EXPECT_EQ(img.resX, 144);
    EXPECT_EQ(img.resY, 36);
    EXPECT_EQ(img.offX, 20);
    EXPECT_EQ(img.offY, 800 - 80);
  }
  {
    Loaded img;  // 64 MB of zeros behind a 100 x 50 image
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(LoadBuilt("bomb.pdf", MakePdf({Image(100, 50, Deflated(64u << 20))}, paint), img),
              IMGFILE_ERR_CORRUPT);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
  }
  {
    Loaded img;  // fewer samples than the image needs
    EXPECT_EQ(LoadBuilt("short.pdf", MakePdf({Image(100, 50, Deflated(4999))}, paint), img),
              IMGFILE_ERR_CORRUPT);
  }
  {
    Loaded img;  // a form that paints itself a hundred times and never an image
    std::string body;
    for (int i = 0; i < 100; ++i) body += "/X0 Do\n";
    const std::string form =
        "<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources << /XObject << /X0 4 0 R "
        ">> >> /Length " +
        std::to_string(body.size()) + " >>\nstream\n" + body + "\nendstream";
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(LoadBuilt("forms.pdf", MakePdf({form}, "/X0 Do"), img), IMGFILE_ERR_UNSUPPORTED);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
  }
}

}  // namespace
}  // namespace zt::imgtest
