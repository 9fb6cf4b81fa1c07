#include "overlay/engine/handout/handout_document.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>

#define POINTERHOLDER_TRANSITION 4  // qpdf: std::shared_ptr throughout
#include <qpdf/Buffer.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "common/dib.h"
#include "overlay/engine/handout/jpeg_header.h"

namespace zt {

namespace {

constexpr char kLessonKeyName[] = "/ZentabLesson";
constexpr char kPagesName[] = "/ZentabPages";  // the overlays' names, one string per page
constexpr double kMaxPagePoints = 14400;       // the largest page a reader must take

// A document read from memory: qpdf reads the bytes lazily, so they live as long as it does,
// either in the caller's hands (handouts) or here (overlays read page by page).
struct ReadDocument {
  std::string owned;
  QPDF pdf;
};

// Reads bytes strictly into doc: a file that would need repair is refused, not repaired.
std::unique_ptr<ReadDocument> Read(const std::string& bytes, const char* description,
                                   std::unique_ptr<ReadDocument> doc = std::make_unique<ReadDocument>()) {
  doc->pdf.setSuppressWarnings(true);
  doc->pdf.setAttemptRecovery(false);
  doc->pdf.processMemoryFile(description, bytes.data(), bytes.size());
  if (doc->pdf.anyWarnings()) throw std::runtime_error("damaged");
  return doc;
}

std::unique_ptr<ReadDocument> ReadOwned(std::string bytes, const char* description) {
  auto doc = std::make_unique<ReadDocument>();
  doc->owned = std::move(bytes);
  // Bound before doc moves into the call: the document, and so its bytes, stay where they are.
  const std::string& owned = doc->owned;
  return Read(owned, description, std::move(doc));
}

// The writer's output, straight into a string.
class StringPipeline final : public Pipeline {
 public:
  explicit StringPipeline(std::string& out) : Pipeline("handout", nullptr), m_out(out) {}
  void write(unsigned char const* data, size_t length) override {
    m_out.append(reinterpret_cast<const char*>(data), length);
  }
  void finish() override {}

 private:
  std::string& m_out;
};

std::string StoredLessonKey(QPDF& pdf) {
  QPDFObjectHandle info = pdf.getTrailer().getKey("/Info");
  if (!info.isDictionary()) return std::string();
  QPDFObjectHandle key = info.getKey(kLessonKeyName);
  return key.isString() ? key.getUTF8Value() : std::string();
}

// An image of the page: its XObject in the handout and its size in points.
struct PageImage {
  QPDFObjectHandle xobject;
  double width = 0, height = 0;
};

void SizeFromPixels(int width, int height, double dpiX, double dpiY, PageImage& image) {
  if (dpiX <= 0 || dpiY <= 0) dpiX = dpiY = 96;
  image.width = width * 72.0 / dpiX;
  image.height = height * 72.0 / dpiY;
  const double scale = kMaxPagePoints / std::max(image.width, image.height);
  if (scale < 1) {
    image.width *= scale;
    image.height *= scale;
  }
}

QPDFObjectHandle ImageStream(QPDF& pdf, const std::string& encoded, const char* filter, int width, int height,
                             const char* colourSpace) {
  QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf);
  stream.replaceStreamData(encoded, QPDFObjectHandle::newName(filter), QPDFObjectHandle::newNull());
  QPDFObjectHandle dict = stream.getDict();
  dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
  dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
  dict.replaceKey("/Width", QPDFObjectHandle::newInteger(width));
  dict.replaceKey("/Height", QPDFObjectHandle::newInteger(height));
  dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName(colourSpace));
  dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
  return stream;
}

// A JPEG overlay: its bytes are the page's image as they are.
bool JpegImage(QPDF& pdf, const std::string& bytes, PageImage& image) {
  JpegInfo info;
  if (!ReadJpegHeader(bytes, info) || (info.components != 1 && info.components != 3)) return false;
  image.xobject = ImageStream(pdf, bytes, "/DCTDecode", info.width, info.height,
                              info.components == 1 ? "/DeviceGray" : "/DeviceRGB");
  SizeFromPixels(info.width, info.height, info.dpiX, info.dpiY, image);
  return true;
}

// A PDF overlay: the image of its first page is copied over with its stream's bytes untouched.
bool PdfImage(QPDF& pdf, std::string bytes, std::vector<std::unique_ptr<ReadDocument>>& sources,
              PageImage& image) {
  sources.push_back(ReadOwned(std::move(bytes), "overlay"));
  std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(sources.back()->pdf).getAllPages();
  if (pages.empty()) return false;
  std::map<std::string, QPDFObjectHandle> images = pages.front().getImages();
  if (images.empty()) return false;
  QPDFObjectHandle source = images.begin()->second;
  QPDFObjectHandle dict = source.getDict();
  if (!dict.getKey("/Width").isInteger() || !dict.getKey("/Height").isInteger()) return false;
  const int width = dict.getKey("/Width").getIntValueAsInt(),
            height = dict.getKey("/Height").getIntValueAsInt();
  JpegInfo info;
  if (dict.getKey("/Filter").isNameAndEquals("/DCTDecode")) {
    std::shared_ptr<Buffer> raw = source.getRawStreamData();
    ReadJpegHeader(std::string(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize()), info);
  }
  image.xobject = pdf.copyForeignObject(source);
  SizeFromPixels(width, height, info.dpiX, info.dpiY, image);
  return true;
}

// A TIFF overlay: its pixels, compressed without loss.
bool TiffImage(QPDF& pdf, const std::string& path, ImageFiles& images, PageImage& image) {
  ScanLoad load;
  if (images.LoadScan(path, load) < 0 || !load.dib) return false;
  const auto* header = static_cast<const BitmapInfoHeader*>(load.dib.Get());
  const int width = header->biWidth, height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  const int bits = header->biBitCount;
  if (width <= 0 || height <= 0 || (bits != 24 && bits != 1)) return false;
  const unsigned colours = bits == 1 ? (header->biClrUsed ? header->biClrUsed : 2) : 0;
  const auto* palette = reinterpret_cast<const std::uint8_t*>(header + 1);
  const std::uint8_t* rows = palette + 4 * colours;
  const std::uint64_t stride = DibRowBytes(width, bits);
  std::string rgb;
  rgb.reserve(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row =
        rows + stride * static_cast<std::uint64_t>(header->biHeight > 0 ? height - 1 - y : y);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* bgr = bits == 24 ? row + 3 * x : palette + 4 * ((row[x / 8] >> (7 - x % 8)) & 1);
      rgb.push_back(static_cast<char>(bgr[2]));
      rgb.push_back(static_cast<char>(bgr[1]));
      rgb.push_back(static_cast<char>(bgr[0]));
    }
  }
  uLongf size = compressBound(static_cast<uLong>(rgb.size()));
  std::string deflated(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&deflated[0]), &size, reinterpret_cast<const Bytef*>(rgb.data()),
                static_cast<uLong>(rgb.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
    return false;
  deflated.resize(size);
  image.xobject = ImageStream(pdf, deflated, "/FlateDecode", width, height, "/DeviceRGB");
  SizeFromPixels(width, height, load.resX, load.resY, image);
  return true;
}

std::string Extension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  std::string ext = dot == std::string::npos ? std::string() : path.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool MakeImage(QPDF& pdf, const std::string& path, LessonFolder& folder, ImageFiles& images,
               std::vector<std::unique_ptr<ReadDocument>>& sources, PageImage& image) try {
  const std::string ext = Extension(path);
  if (ext == ".tif" || ext == ".tiff") return TiffImage(pdf, path, images, image);
  std::string bytes;
  if (!folder.Read(path, bytes)) return false;
  return ext == ".pdf" ? PdfImage(pdf, std::move(bytes), sources, image) : JpegImage(pdf, bytes, image);
} catch (const std::exception&) {
  return false;  // an overlay qpdf cannot read is no page; the handout goes on without it
}

std::string Number(double v) {
  char s[32];
  std::snprintf(s, sizeof s, "%.2f", v);
  return s;
}

QPDFObjectHandle AddPage(QPDF& pdf, const PageImage& image) {
  const std::string w = Number(image.width), h = Number(image.height);
  QPDFObjectHandle content =
      QPDFObjectHandle::newStream(&pdf, "q " + w + " 0 0 " + h + " 0 0 cm /Im0 Do Q\n");
  QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
  xobjects.replaceKey("/Im0", image.xobject);
  QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
  resources.replaceKey("/XObject", xobjects);
  QPDFObjectHandle page = QPDFObjectHandle::newDictionary();
  page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
  page.replaceKey("/MediaBox", QPDFObjectHandle::newFromRectangle(
                                   QPDFObjectHandle::Rectangle(0, 0, image.width, image.height)));
  page.replaceKey("/Resources", resources);
  page.replaceKey("/Contents", content);
  page = pdf.makeIndirectObject(page);
  QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(page), false);
  return page;
}

// Appends an entry for page at the end of the document's outline.
void AddOutlineEntry(QPDF& pdf, const QPDFObjectHandle& page, const std::string& title) {
  QPDFObjectHandle root = pdf.getRoot();
  QPDFObjectHandle outlines = root.getKey("/Outlines");
  if (!outlines.isDictionary()) {
    outlines = QPDFObjectHandle::newDictionary();
    outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    outlines.replaceKey("/Count", QPDFObjectHandle::newInteger(0));
    outlines = pdf.makeIndirectObject(outlines);
    root.replaceKey("/Outlines", outlines);
  }
  QPDFObjectHandle entry = QPDFObjectHandle::newDictionary();
  entry.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
  entry.replaceKey("/Parent", outlines);
  entry.replaceKey("/Dest", QPDFObjectHandle::newArray({page, QPDFObjectHandle::newName("/Fit")}));
  entry = pdf.makeIndirectObject(entry);
  QPDFObjectHandle last = outlines.getKey("/Last");
  if (last.isDictionary()) {
    last.replaceKey("/Next", entry);
    entry.replaceKey("/Prev", last);
  } else {
    outlines.replaceKey("/First", entry);
  }
  outlines.replaceKey("/Last", entry);
  QPDFObjectHandle count = outlines.getKey("/Count");
  outlines.replaceKey("/Count",
                      QPDFObjectHandle::newInteger((count.isInteger() ? count.getIntValue() : 0) + 1));
}

// The names of the overlays the pages were made from, in page order.
std::vector<std::string> PageNames(QPDF& pdf) {
  std::vector<std::string> names;
  QPDFObjectHandle info = pdf.getTrailer().getKey("/Info");
  QPDFObjectHandle list = info.isDictionary() ? info.getKey(kPagesName) : QPDFObjectHandle::newNull();
  if (!list.isArray()) return names;
  for (QPDFObjectHandle item : list.aitems())
    if (item.isString()) names.push_back(item.getStringValue());
  return names;
}

void SetIdentity(QPDF& pdf, const HandoutIdentity& identity, const std::vector<std::string>& pageNames) {
  QPDFObjectHandle info = pdf.getTrailer().getKey("/Info");
  if (!info.isDictionary()) {
    info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    pdf.getTrailer().replaceKey("/Info", info);
  }
  info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(identity.title));
  info.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString("Zentab Lumbrel"));
  info.replaceKey(kLessonKeyName, QPDFObjectHandle::newUnicodeString(identity.lessonKey));
  QPDFObjectHandle names = QPDFObjectHandle::newArray();
  for (const std::string& name : pageNames) names.appendItem(QPDFObjectHandle::newString(name));
  info.replaceKey(kPagesName, names);
  // Readers show the outline beside the first page.
  pdf.getRoot().replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
}

// The document's bytes. Streams are copied as they are: nothing is decoded or compressed again, so
// a rewrite costs about a copy of the file.
std::string Write(QPDF& pdf) {
  std::string out;
  StringPipeline pipeline(out);
  QPDFWriter writer(pdf);
  writer.setOutputPipeline(&pipeline);
  writer.setDecodeLevel(qpdf_dl_none);
  writer.setCompressStreams(false);
  writer.setObjectStreamMode(qpdf_o_preserve);
  writer.write();
  return out;
}

// The handout's objects that an append may change besides adding its own: the catalog, the
// document information, the page tree's root, the outline and its last entry.
std::vector<QPDFObjectHandle> ObjectsAnAppendTouches(QPDF& pdf) {
  QPDFObjectHandle root = pdf.getRoot(), outlines = root.getKey("/Outlines");
  std::vector<QPDFObjectHandle> touched = {root, pdf.getTrailer().getKey("/Info"), root.getKey("/Pages"),
                                           outlines};
  if (outlines.isDictionary()) touched.push_back(outlines.getKey("/Last"));
  return touched;
}

int HighestObject(QPDF& pdf) {
  int highest = 0;
  for (QPDFObjectHandle o : pdf.getAllObjects()) highest = std::max(highest, o.getObjectID());
  return highest;
}

// Where the last cross-reference section of base begins: the number after its final
// "startxref". qpdf has read the file strictly, so the number is there and sound.
std::size_t LastXref(const std::string& base) {
  const std::size_t at = base.rfind("startxref");
  return at == std::string::npos ? std::string::npos : std::strtoul(base.c_str() + at + 9, nullptr, 10);
}

std::string Entry(std::size_t offset, int generation) {
  char line[24];
  std::snprintf(line, sizeof line, "%010lu %05d n \n", static_cast<unsigned long>(offset), generation);
  return line;
}

// The handout as base with an incremental update after it: the new objects and the changed ones,
// a cross-reference section for them and a trailer pointing back at base's, in out (to be written
// after base). Old pages are not written again, so an append costs little more than a copy of
// base. False (and out unchanged) where base's last cross-reference section is a stream, which
// this update does not continue.
bool WriteIncrement(QPDF& pdf, const std::string& base, int highestBefore,
                    const std::vector<QPDFObjectHandle>& touched, std::string& out) {
  const std::size_t previous = LastXref(base);
  if (previous == std::string::npos || base.compare(previous, 4, "xref") != 0) return false;
  std::map<int, QPDFObjectHandle> objects;
  for (QPDFObjectHandle o : touched)
    if (o.isIndirect()) objects[o.getObjectID()] = o;
  for (QPDFObjectHandle o : pdf.getAllObjects())
    if (o.getObjectID() > highestBefore) objects[o.getObjectID()] = o;

  std::string update = base.back() == '\n' ? std::string() : std::string("\n");
  std::map<int, std::pair<std::size_t, int>> offsets;  // object: offset, generation
  for (auto& [id, o] : objects) {
    offsets[id] = {base.size() + update.size(), o.getGeneration()};
    update += std::to_string(id) + " " + std::to_string(o.getGeneration()) + " obj\n";
    if (o.isStream()) {
      std::shared_ptr<Buffer> raw = o.getRawStreamData();
      QPDFObjectHandle dict = o.getDict().shallowCopy();
      dict.replaceKey("/Length", QPDFObjectHandle::newInteger(static_cast<long long>(raw->getSize())));
      update += dict.unparse() + "\nstream\n";
      update.append(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize());
      update += "\nendstream";
    } else {
      update += o.unparseResolved();
    }
    update += "\nendobj\n";
  }
  const std::size_t xref = base.size() + update.size();
  update += "xref\n";
  for (auto it = offsets.begin(); it != offsets.end();) {
    auto end = it;
    int next = it->first;
    while (end != offsets.end() && end->first == next) ++end, ++next;
    update += std::to_string(it->first) + " " + std::to_string(next - it->first) + "\n";
    for (; it != end; ++it) update += Entry(it->second.first, it->second.second);
  }
  QPDFObjectHandle trailer = pdf.getTrailer(), info = trailer.getKey("/Info");
  update += "trailer\n<< /Size " + std::to_string(std::max(highestBefore, offsets.rbegin()->first) + 1) +
            " /Root " + pdf.getRoot().unparse() +
            (info.isNull() ? std::string()
                           : " /Info " + (info.isIndirect() ? info.unparse() : info.unparseResolved())) +
            (trailer.hasKey("/ID") ? " /ID " + trailer.getKey("/ID").unparseResolved() : std::string()) +
            " /Prev " + std::to_string(previous) + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  out.swap(update);
  return true;
}

}  // namespace

HandoutCheck CheckHandout(const std::string& bytes, const std::string& lessonKey,
                          std::vector<std::string>* pages) {
  try {
    std::unique_ptr<ReadDocument> doc = Read(bytes, "handout");
    // Every page must be reachable; a broken page tree is damage.
    QPDFPageDocumentHelper(doc->pdf).getAllPages();
    if (doc->pdf.anyWarnings()) return HandoutCheck::Damaged;
    if (StoredLessonKey(doc->pdf) != lessonKey) return HandoutCheck::Foreign;
    if (pages) *pages = PageNames(doc->pdf);
    return HandoutCheck::Ours;
  } catch (const std::exception&) {
    return HandoutCheck::Damaged;
  }
}

bool ComposeHandout(const std::string& base, const HandoutIdentity& identity,
                    const std::vector<HandoutPage>& pages, LessonFolder& folder, ImageFiles& images,
                    std::string& out, bool& appended, std::vector<std::string>& skipped) {
  try {
    std::unique_ptr<ReadDocument> doc;
    if (base.empty()) {
      doc = std::make_unique<ReadDocument>();
      doc->pdf.setSuppressWarnings(true);
      doc->pdf.emptyPDF();
    } else {
      doc = Read(base, "handout");
      if (StoredLessonKey(doc->pdf) != identity.lessonKey) return false;
    }
    const int highestBefore = base.empty() ? 0 : HighestObject(doc->pdf);
    const std::vector<QPDFObjectHandle> touched = ObjectsAnAppendTouches(doc->pdf);
    std::vector<std::unique_ptr<ReadDocument>> sources;  // overlays whose streams are copied
    std::vector<std::string> names = PageNames(doc->pdf), left;
    for (const HandoutPage& page : pages) {
      PageImage image;
      if (!MakeImage(doc->pdf, page.overlayPath, folder, images, sources, image)) {
        left.push_back(page.name);
        continue;
      }
      AddOutlineEntry(doc->pdf, AddPage(doc->pdf, image), page.outline);
      names.push_back(page.name);
    }
    SetIdentity(doc->pdf, identity, names);
    std::string written;
    const bool increment = !base.empty() && WriteIncrement(doc->pdf, base, highestBefore, touched, written);
    if (!increment) written = Write(doc->pdf);
    if (doc->pdf.anyWarnings()) return false;
    out.swap(written);
    appended = increment;
    skipped.swap(left);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace zt
