// The first page's image of a PDF scan, through qpdf: where it is placed (which gives the
// resolution and the page offsets) and its pixels.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

// Only the smart-pointer API, no transition warnings.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include "cvimgfileio/decoded.h"
#include "cvimgfileio/errors.h"
#include "cvimgfileio/size_caps.h"
#include "cvimgfileio/tiff_memory.h"

namespace zt::img {

namespace {

struct Matrix {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
  // this applied first, then m
  Matrix Then(const Matrix& m) const {
    return {a * m.a + b * m.c, a * m.b + b * m.d,       c * m.a + d * m.c,
            c * m.b + d * m.d, e * m.a + f * m.c + m.e, e * m.b + f * m.d + m.f};
  }
};

struct Placement {
  QPDF* pdf = nullptr;  // owner of the streams made for inline images
  QPDFObjectHandle image;
  Matrix ctm;
  bool found = false;
  int formsParsed = 0;
};

// Forms may paint forms; a page that paints the same forms over and over must not make the
// search run for ever.
constexpr int kMaxFormDepth = 8;
constexpr int kMaxFormsParsed = 64;

bool MatrixFrom(std::vector<QPDFObjectHandle> ops, Matrix& m) {
  if (ops.size() < 6) return false;
  double v[6];
  for (int i = 0; i < 6; ++i) {
    QPDFObjectHandle& o = ops[ops.size() - 6 + i];
    if (!o.isNumber()) return false;
    v[i] = o.getNumericValue();
  }
  m = {v[0], v[1], v[2], v[3], v[4], v[5]};
  return true;
}

// Follows q/Q/cm to the first image that the content paints, into form XObjects too.
class PlacementFinder : public QPDFObjectHandle::ParserCallbacks {
 public:
  PlacementFinder(QPDFObjectHandle resources, Matrix base, int depth, Placement& result)
      : resources_(resources), ctm_(base), depth_(depth), result_(result) {}

  void handleObject(QPDFObjectHandle obj) override {
    if (result_.found) return;
    if (obj.isInlineImage()) {
      PaintInline(obj.getInlineImageValue());
      return;
    }
    if (!obj.isOperator()) {
      if (operands_.size() < 64) operands_.push_back(obj);
      return;
    }
    const std::string op = obj.getOperatorValue();
    if (op == "q") {
      if (stack_.size() < 256) stack_.push_back(ctm_);
    } else if (op == "Q") {
      if (!stack_.empty()) ctm_ = stack_.back(), stack_.pop_back();
    } else if (op == "cm") {
      Matrix m;
      if (MatrixFrom(operands_, m)) ctm_ = m.Then(ctm_);
    } else if (op == "Do" && !operands_.empty() && operands_.back().isName()) {
      Paint(operands_.back().getName());
    } else if (op == "ID") {
      return;  // the image's keys stay for the data that follows
    }
    operands_.clear();
  }
  void handleEOF() override {}

 private:
  // An image written into the content (BI ... ID data EI) becomes a stream of its own with
  // the keys spelled out, so that it decodes like any other.
  void PaintInline(const std::string& data) {
    static const std::pair<const char*, const char*> kKeys[] = {
        {"/W", "/Width"},  {"/H", "/Height"},       {"/CS", "/ColorSpace"}, {"/BPC", "/BitsPerComponent"},
        {"/F", "/Filter"}, {"/DP", "/DecodeParms"}, {"/IM", "/ImageMask"},  {"/D", "/Decode"}};
    std::map<std::string, QPDFObjectHandle> keys;
    for (std::size_t i = 0; i + 1 < operands_.size(); i += 2) {
      if (!operands_[i].isName()) continue;
      std::string key = operands_[i].getName();
      for (const auto& k : kKeys)
        if (key == k.first) key = k.second;
      QPDFObjectHandle value = operands_[i + 1];
      // A colour space may be named in the resources.
      if (key == "/ColorSpace" && value.isName() && resources_.isDictionary()) {
        QPDFObjectHandle spaces = resources_.getKey("/ColorSpace");
        if (spaces.isDictionary() && spaces.hasKey(value.getName())) value = spaces.getKey(value.getName());
      }
      keys[key] = value;
    }
    operands_.clear();
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(result_.pdf, data);
    stream.replaceDict(QPDFObjectHandle::newDictionary(keys));
    result_.image = stream;
    result_.ctm = ctm_;
    result_.found = true;
  }

  void Paint(const std::string& name) {
    if (!resources_.isDictionary()) return;
    QPDFObjectHandle xobjects = resources_.getKey("/XObject");
    if (!xobjects.isDictionary()) return;
    QPDFObjectHandle x = xobjects.getKey(name);
    if (!x.isStream()) return;
    QPDFObjectHandle dict = x.getDict();
    QPDFObjectHandle subtype = dict.getKey("/Subtype");
    if (subtype.isName() && subtype.getName() == "/Image") {
      result_.image = x;
      result_.ctm = ctm_;
      result_.found = true;
    } else if (subtype.isName() && subtype.getName() == "/Form" && depth_ < kMaxFormDepth &&
               result_.formsParsed < kMaxFormsParsed) {
      ++result_.formsParsed;
      Matrix form;
      QPDFObjectHandle fm = dict.getKey("/Matrix");
      if (fm.isArray()) MatrixFrom(fm.getArrayAsVector(), form);
      QPDFObjectHandle res = dict.getKey("/Resources");
      PlacementFinder inner(res.isDictionary() ? res : resources_, form.Then(ctm_), depth_ + 1, result_);
      QPDFPageObjectHelper(x).parseContents(&inner);
    }
  }

  QPDFObjectHandle resources_;
  Matrix ctm_;
  int depth_;
  Placement& result_;
  std::vector<QPDFObjectHandle> operands_;
  std::vector<Matrix> stack_;
};

// Collects decoded stream data up to `keep` bytes. A stream that inflates far beyond what the
// image needs is abandoned rather than decoded to the end.
class CappedBuffer : public Pipeline {
 public:
  explicit CappedBuffer(std::size_t keep)
      : Pipeline("capped", nullptr), keep_(keep), limit_(keep + keep / 4 + 65536) {}
  void write(unsigned char const* data, size_t len) override {
    seen_ += len;
    if (seen_ > limit_) throw ImgError{IMGFILE_ERR_CORRUPT};
    const std::size_t take = std::min(len, keep_ - bytes.size());
    bytes.insert(bytes.end(), data, data + take);
  }
  void finish() override {}
  std::vector<std::uint8_t> bytes;

 private:
  std::size_t keep_, limit_;
  std::size_t seen_ = 0;
};

std::vector<std::string> Names(QPDFObjectHandle o) {
  std::vector<std::string> r;
  if (o.isName()) r.push_back(o.getName());
  if (o.isArray())
    for (auto& e : o.getArrayAsVector())
      if (e.isName()) r.push_back(e.getName());
  return r;
}

QPDFObjectHandle LastParms(QPDFObjectHandle o) {
  if (o.isArray() && o.getArrayNItems() > 0) return o.getArrayItem(o.getArrayNItems() - 1);
  return o;
}

int IntKey(QPDFObjectHandle dict, const char* key, int fallback) {
  if (!dict.isDictionary()) return fallback;
  QPDFObjectHandle v = dict.getKey(key);
  return v.isInteger() ? v.getIntValueAsInt() : fallback;
}

bool BoolKey(QPDFObjectHandle dict, const char* key) {
  if (!dict.isDictionary()) return false;
  QPDFObjectHandle v = dict.getKey(key);
  return v.isBool() && v.getBoolValue();
}

// Whether a /Decode array swaps the first component's range ([1 0 ...]).
bool DecodeInverted(QPDFObjectHandle dict) {
  QPDFObjectHandle d = dict.getKey("/Decode");
  return d.isArray() && d.getArrayNItems() >= 2 && d.getArrayItem(0).isNumber() &&
         d.getArrayItem(0).getNumericValue() > d.getArrayItem(1).getNumericValue();
}

struct ColourSpace {
  int components = 0;  // 1 grey, 3 RGB, 4 CMYK; for indexed, the base's
  bool indexed = false;
  std::vector<Rgb> palette;
};

Rgb ToRgb(const std::uint8_t* v, int components) {
  if (components == 1) return {v[0], v[0], v[0]};
  if (components == 3) return {v[0], v[1], v[2]};
  const unsigned k = 255 - v[3];
  return {static_cast<std::uint8_t>((255 - v[0]) * k / 255),
          static_cast<std::uint8_t>((255 - v[1]) * k / 255),
          static_cast<std::uint8_t>((255 - v[2]) * k / 255)};
}

ColourSpace Resolve(QPDFObjectHandle cs, int depth = 0) {
  ColourSpace r;
  std::string name;
  if (cs.isName()) name = cs.getName();
  if (cs.isArray() && cs.getArrayNItems() > 0 && cs.getArrayItem(0).isName())
    name = cs.getArrayItem(0).getName();
  if (name == "/DeviceGray" || name == "/G" || name == "/CalGray") {
    r.components = 1;
  } else if (name == "/DeviceRGB" || name == "/RGB" || name == "/CalRGB" || name == "/Lab") {
    r.components = name == "/Lab" ? 0 : 3;
  } else if (name == "/DeviceCMYK" || name == "/CMYK") {
    r.components = 4;
  } else if (name == "/ICCBased" && cs.getArrayNItems() >= 2 && cs.getArrayItem(1).isStream()) {
    const int n = IntKey(cs.getArrayItem(1).getDict(), "/N", 0);
    r.components = n == 1 || n == 3 || n == 4 ? n : 0;
  } else if ((name == "/Indexed" || name == "/I") && depth == 0 && cs.getArrayNItems() >= 4) {
    const ColourSpace base = Resolve(cs.getArrayItem(1), 1);
    QPDFObjectHandle hival = cs.getArrayItem(2), lookup = cs.getArrayItem(3);
    if (base.components == 0 || base.indexed || !hival.isInteger()) return r;
    const int count = std::clamp(hival.getIntValueAsInt(), 0, 255) + 1;
    std::string table;
    if (lookup.isString()) {
      table = lookup.getStringValue();
    } else if (lookup.isStream()) {
      CappedBuffer buf(4096);
      if (!lookup.pipeStreamData(&buf, 0, qpdf_dl_specialized, true)) return r;
      table.assign(buf.bytes.begin(), buf.bytes.end());
    }
    r.palette.assign(256, Rgb{0, 0, 0});
    for (int i = 0; i < count && static_cast<std::size_t>(i + 1) * base.components <= table.size(); ++i)
      r.palette[i] =
          ToRgb(reinterpret_cast<const std::uint8_t*>(table.data()) + i * base.components, base.components);
    r.components = 1;
    r.indexed = true;
  }
  return r;
}

std::uint32_t Sample(const std::uint8_t* row, std::uint32_t index, int bpc) {
  switch (bpc) {
    case 8:
      return row[index];
    case 16:
      return row[2 * index];  // high byte
    default: {
      const std::uint64_t bit = std::uint64_t{index} * bpc;
      return (row[bit >> 3] >> (8 - bpc - (bit & 7))) & ((1u << bpc) - 1);
    }
  }
}

// CCITT data carries no frame of its own; wrapping it in a one-strip TIFF lets libtiff's
// fax decoder read it.
std::vector<std::uint8_t> WrapFax(const std::string& data, std::uint32_t w, std::uint32_t h,
                                  QPDFObjectHandle parms) {
  const int k = IntKey(parms, "/K", 0);
  std::vector<std::uint8_t> file;
  TiffMemory mem;
  mem.out = &file;
  {
    TiffCloser tif{OpenTiffMemory(mem, "w")};
    if (!tif.tif) Fail(IMGFILE_ERR_NO_MEMORY);
    TIFFSetField(tif.tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif.tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif.tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif.tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif.tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif.tif, TIFFTAG_COMPRESSION, k < 0 ? COMPRESSION_CCITTFAX4 : COMPRESSION_CCITTFAX3);
    if (k >= 0) {
      std::uint32_t options = k > 0 ? GROUP3OPT_2DENCODING : 0;
      if (BoolKey(parms, "/EncodedByteAlign")) options |= GROUP3OPT_FILLBITS;
      TIFFSetField(tif.tif, TIFFTAG_GROUP3OPTIONS, options);
    }
    TIFFSetField(tif.tif, TIFFTAG_ROWSPERSTRIP, h);
    if (TIFFWriteRawStrip(tif.tif, 0, const_cast<char*>(data.data()), static_cast<tmsize_t>(data.size())) <
            0 ||
        !TIFFFlush(tif.tif))
      Fail(IMGFILE_ERR_NO_MEMORY);
  }
  file.resize(static_cast<std::size_t>(mem.size));
  return file;
}

std::string RawData(QPDFObjectHandle image) {
  std::shared_ptr<Buffer> raw = image.getRawStreamData();
  return std::string(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize());
}

// Decodes the image's pixels into out.dib; returns the name of the filter for the description.
std::string DecodeImage(QPDFObjectHandle image, Decoded& out) {
  QPDFObjectHandle dict = image.getDict();
  const int wi = IntKey(dict, "/Width", 0), hi = IntKey(dict, "/Height", 0);
  if (wi <= 0 || hi <= 0) Fail(IMGFILE_ERR_CORRUPT);
  const std::uint32_t w = static_cast<std::uint32_t>(wi), h = static_cast<std::uint32_t>(hi);
  CheckImageSize(w, h);
  const std::vector<std::string> filters = Names(dict.getKey("/Filter"));
  const std::string last = filters.empty() ? "" : filters.back();
  const bool mask = BoolKey(dict, "/ImageMask");
  const bool inverted = DecodeInverted(dict);

  if (last == "/DCTDecode" || last == "/DCT") {
    if (filters.size() > 1) Fail(IMGFILE_ERR_UNSUPPORTED);
    // Decoded where the stream's bytes already are: a scan's JPEG is megabytes.
    const std::shared_ptr<Buffer> raw = image.getRawStreamData();
    DecodeJpeg(raw->getBuffer(), raw->getSize(), out);
    return "DCTDecode";
  }
  if (last == "/CCITTFaxDecode" || last == "/CCF") {
    if (filters.size() > 1) Fail(IMGFILE_ERR_UNSUPPORTED);
    QPDFObjectHandle parms = LastParms(dict.getKey("/DecodeParms"));
    const std::vector<std::uint8_t> tiff = WrapFax(RawData(image), w, h, parms);
    DecodeTiff(tiff.data(), tiff.size(), out);
    // The bits are the fax runs, 1 = black run. What a bit shows depends on BlackIs1 and on
    // the image's decode array.
    const bool blackIs1 = BoolKey(parms, "/BlackIs1");
    for (int b = 0; b < 2; ++b) {
      const int sample = blackIs1 ? b : 1 - b;
      out.dib.SetPalette(b, (sample ^ (inverted ? 1 : 0)) ? Rgb{255, 255, 255} : Rgb{0, 0, 0});
    }
    return "CCITTFaxDecode";
  }
  for (const std::string& f : filters)
    if (f != "/FlateDecode" && f != "/Fl" && f != "/LZWDecode" && f != "/LZW" && f != "/ASCIIHexDecode" &&
        f != "/AHx" && f != "/ASCII85Decode" && f != "/A85" && f != "/RunLengthDecode" && f != "/RL")
      Fail(IMGFILE_ERR_UNSUPPORTED);  // JBIG2, JPEG 2000 and the like

  const int bpc = mask ? 1 : IntKey(dict, "/BitsPerComponent", 8);
  if (bpc != 1 && bpc != 2 && bpc != 4 && bpc != 8 && bpc != 16) Fail(IMGFILE_ERR_UNSUPPORTED);
  ColourSpace cs;
  if (mask) {
    cs.components = 1;
  } else {
    cs = Resolve(dict.getKey("/ColorSpace"));
    if (cs.components == 0) Fail(IMGFILE_ERR_UNSUPPORTED);
  }
  const std::uint64_t rowBytes = (std::uint64_t{w} * cs.components * bpc + 7) / 8;
  const std::uint64_t expected = rowBytes * h;
  if (expected > kMaxCodecAlloc) Fail(IMGFILE_ERR_TOO_LARGE);
  CappedBuffer buf(static_cast<std::size_t>(expected));
  if (!image.pipeStreamData(&buf, 0, qpdf_dl_specialized, true)) Fail(IMGFILE_ERR_CORRUPT);
  if (buf.bytes.size() < expected) Fail(IMGFILE_ERR_CORRUPT);

  const bool twoColours = bpc == 1 && cs.components == 1;
  out.dib.Create(w, h, twoColours ? 1 : 24);
  if (twoColours) {
    // An image mask paints where the sample is 0; a grey one-bit image is black at 0.
    Rgb zero{0, 0, 0}, one{255, 255, 255};
    if (cs.indexed) zero = cs.palette[0], one = cs.palette[1];
    if (inverted) std::swap(zero, one);
    out.dib.SetPalette(0, zero);
    out.dib.SetPalette(1, one);
  }
  const std::uint32_t maxSample = (1u << std::min(bpc, 8)) - 1;
  for (std::uint32_t y = 0; y < h; ++y) {
    const std::uint8_t* src = buf.bytes.data() + rowBytes * y;
    std::uint8_t* dst = out.dib.Row(y);
    if (twoColours) {
      std::copy(src, src + (w + 7) / 8, dst);
      if (w % 8) dst[w / 8] &= static_cast<std::uint8_t>(0xFF00 >> (w % 8));
      continue;
    }
    for (std::uint32_t x = 0; x < w; ++x, dst += 3) {
      Rgb c;
      if (cs.indexed) {
        c = cs.palette[Sample(src, x, bpc) & 255];
      } else {
        std::uint8_t v[4];
        for (int i = 0; i < cs.components; ++i) {
          std::uint32_t s = Sample(src, x * cs.components + i, bpc);
          if (bpc < 8) s = s * 255 / maxSample;
          v[i] = static_cast<std::uint8_t>(inverted ? 255 - s : s);
        }
        c = ToRgb(v, cs.components);
      }
      dst[0] = c.b, dst[1] = c.g, dst[2] = c.r;
    }
  }
  return filters.empty() ? "uncompressed" : last.substr(1);
}

}  // namespace

void DecodePdf(const std::uint8_t* data, std::size_t size, Decoded& out) {
  try {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processMemoryFile("scan", reinterpret_cast<const char*>(data), size);
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    if (pages.empty()) Fail(IMGFILE_ERR_CORRUPT);
    QPDFPageObjectHelper page = pages.front();
    QPDFObjectHandle box = page.getMediaBox();
    if (!box.isRectangle()) Fail(IMGFILE_ERR_CORRUPT);
    const QPDFObjectHandle::Rectangle media = box.getArrayAsRectangle();

    Placement placement;
    placement.pdf = &pdf;
    PlacementFinder finder(page.getAttribute("/Resources", false), Matrix{}, 0, placement);
    page.parseContents(&finder);
    if (!placement.found) Fail(IMGFILE_ERR_UNSUPPORTED);  // a page without a raster image

    const std::string filter = DecodeImage(placement.image, out);

    // The unit square under the image's matrix gives its placed box; its top-left corner is
    // the image's offset on the page.
    const Matrix& m = placement.ctm;
    const double xs[4] = {m.e, m.e + m.a, m.e + m.c, m.e + m.a + m.c};
    const double ys[4] = {m.f, m.f + m.b, m.f + m.d, m.f + m.b + m.d};
    const double left = *std::min_element(xs, xs + 4), top = *std::max_element(ys, ys + 4);
    const double top_ = std::max(media.ury, media.lly), left_ = std::min(media.llx, media.urx);
    // The image's columns run along the matrix's first vector and its rows along the second,
    // so a turned placement still gives each axis its own resolution.
    const double across = std::hypot(m.a, m.b), down = std::hypot(m.c, m.d);
    if (across > 0.01 && down > 0.01) {
      out.resX = DpiFrom(out.dib.Width() * 72.0 / across, 1);
      out.resY = DpiFrom(out.dib.Height() * 72.0 / down, 1);
    }
    const double ox = left - left_, oy = top_ - top;
    out.offsetX = static_cast<int>(std::lround(std::clamp(ox, -1e6, 1e6)));
    out.offsetY = static_cast<int>(std::lround(std::clamp(oy, -1e6, 1e6)));
    char text[160];
    std::snprintf(text, sizeof text, "PDF page 1 of %u, image %ux%u, %s", static_cast<unsigned>(pages.size()),
                  static_cast<unsigned>(out.dib.Width()), static_cast<unsigned>(out.dib.Height()),
                  filter.c_str());
    out.description = text;
  } catch (const ImgError&) {
    throw;
  } catch (const std::bad_alloc&) {
    Fail(IMGFILE_ERR_NO_MEMORY);
  } catch (const std::exception&) {
    Fail(IMGFILE_ERR_CORRUPT);
  }
}

}  // namespace zt::img
