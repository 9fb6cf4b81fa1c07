#include <cstdio>
#include <string>

#include "cvimgfileio/byte_buffer.h"
#include "cvimgfileio/dib_input.h"
#include "cvimgfileio/errors.h"

namespace zt::img {

namespace {

// A PDF number without locale surprises and without exponent notation.
std::string Num(double v) {
  char s[48];
  std::snprintf(s, sizeof s, "%.4f", v);
  std::string r = s;
  while (!r.empty() && r.back() == '0') r.pop_back();
  if (!r.empty() && r.back() == '.') r.pop_back();
  return r == "-0" ? "0" : r;
}

void Append(std::vector<std::uint8_t>& out, const std::string& s) {
  out.insert(out.end(), s.begin(), s.end());
}

}  // namespace

// One page of pageWidth x pageHeight points holding the image as a DCT-compressed XObject,
// placed offsetX/offsetY points from the top-left corner at (pixels x 72 / resolution) points.
void EncodePdf(const DibInput& dib, unsigned resX, unsigned resY, int pageWidth, int pageHeight, int offsetX,
               int offsetY, ByteBuffer& out) {
  ByteBuffer jpeg;
  EncodeJpeg(dib, resX, resY, 90, jpeg);

  const double w = dib.Width() * 72.0 / resX, h = dib.Height() * 72.0 / resY;
  const double x = offsetX, y = pageHeight - offsetY - h;
  const std::string content =
      "q\n" + Num(w) + " 0 0 " + Num(h) + " " + Num(x) + " " + Num(y) + " cm\n/Im0 Do\nQ\n";

  // The file is written as three pieces: this head, the JPEG block as the encoder left it, and
  // the tail; offsets count the bytes of all of them.
  std::vector<std::uint8_t>& pdf = out.bytes;
  std::size_t offsets[6] = {};
  Append(pdf, "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  offsets[1] = pdf.size();
  Append(pdf, "1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
  offsets[2] = pdf.size();
  Append(pdf, "2 0 obj\n<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n");
  offsets[3] = pdf.size();
  Append(pdf, "3 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(pageWidth) + " " +
                  std::to_string(pageHeight) +
                  "] /Resources << /XObject << /Im0 4 0 R >> /ProcSet [/PDF /ImageC] >> /Contents 5 0 R >>\n"
                  "endobj\n");
  offsets[4] = pdf.size();
  Append(pdf, "4 0 obj\n<< /Type /XObject /Subtype /Image /Width " + std::to_string(dib.Width()) +
                  " /Height " + std::to_string(dib.Height()) +
                  " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /DCTDecode /Length " +
                  std::to_string(jpeg.Size()) + " >>\nstream\n");
  const std::size_t jpegEnd = pdf.size() + jpeg.Size();
  std::vector<std::uint8_t>& tail = out.tail;
  Append(tail, "\nendstream\nendobj\n");
  offsets[5] = jpegEnd + tail.size();
  Append(tail, "5 0 obj\n<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                   "endstream\nendobj\n");
  const std::size_t xref = jpegEnd + tail.size();
  Append(tail, "xref\n0 6\n0000000000 65535 f \n");
  for (int i = 1; i <= 5; ++i) {
    char line[24];
    std::snprintf(line, sizeof line, "%010lu 00000 n \n", static_cast<unsigned long>(offsets[i]));
    Append(tail, line);
  }
  Append(tail, "trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
  out.mallocData = jpeg.mallocData;
  out.mallocSize = jpeg.mallocSize;
  jpeg.mallocData = nullptr;
}

}  // namespace zt::img
