// The lesson's handout as a reader finds it: written through the real image library and save
// folder, read back with qpdf.
#define POINTERHOLDER_TRANSITION 4
#include <gtest/gtest.h>
#include <utime.h>

#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include "overlay/engine/handout/lesson_book.h"
#include "overlay/engine/outputs/output_names.h"
#include "tests/support/test_files.h"

namespace zt {
namespace {

using test::NativePath;

constexpr std::int64_t kMinute = 60, kGap = 60 * kMinute;
constexpr std::int64_t kNine = 1796806830;  // 2026-12-09 09:00:30 UTC

class FakeClock final : public LessonClock {
 public:
  std::int64_t now = kNine;
  std::int64_t Now() override { return now; }
  LocalTime Local(std::int64_t t) override {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    gmtime_r(&tt, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  }
};

// The system's folder, whose replace can be made to fail as it does while a viewer holds the file.
class Folder final : public LessonFolder {
 public:
  bool failReplace = false;
  bool failWrites = false;
  bool List(const std::string& f, std::vector<FolderFile>& files) override { return m_real->List(f, files); }
  bool Exists(const std::string& p) override { return m_real->Exists(p); }
  bool Read(const std::string& p, std::string& bytes) override { return m_real->Read(p, bytes); }
  bool WriteNew(const std::string& p, const std::string& head, const std::string& tail) override {
    return !failWrites && m_real->WriteNew(p, head, tail);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return !failReplace && m_real->Replace(from, to);
  }
  bool RenameToNew(const std::string& from, const std::string& to) override {
    return m_real->RenameToNew(from, to);
  }
  bool Remove(const std::string& p) override { return m_real->Remove(p); }

 private:
  std::unique_ptr<LessonFolder> m_real = MakeSystemLessonFolder();
};

std::string Bytes(const std::string& path) {
  const std::vector<std::uint8_t> b = test::ReadAll(path);
  return std::string(b.begin(), b.end());
}

std::string Raw(QPDFObjectHandle stream) {
  std::shared_ptr<Buffer> b = stream.getRawStreamData();
  return std::string(reinterpret_cast<const char*>(b->getBuffer()), b->getSize());
}

// What a reader sees of a handout: per page its image's raw stream and filter, its outline title.
struct ReadBack {
  std::string title;
  std::vector<std::string> images, filters, outline;
  std::vector<std::string> flatePixels;  // a losslessly kept page's RGB rows, top down
  std::vector<double> aspects;           // page width / height
};

ReadBack ReadHandout(const std::string& path) {
  const std::string bytes = Bytes(path);
  QPDF pdf;
  pdf.setSuppressWarnings(true);
  pdf.setAttemptRecovery(false);  // a handout that needs repair is a fault
  pdf.processMemoryFile("handout", bytes.data(), bytes.size());
  EXPECT_FALSE(pdf.anyWarnings());
  ReadBack r;
  r.title = pdf.getTrailer().getKey("/Info").getKey("/Title").getUTF8Value();
  for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
    QPDFObjectHandle image = page.getImages().begin()->second;
    r.images.push_back(Raw(image));
    r.filters.push_back(image.getDict().getKey("/Filter").getName());
    std::string pixels;
    if (r.filters.back() == "/FlateDecode") {
      std::shared_ptr<Buffer> decoded = image.getStreamData(qpdf_dl_generalized);
      pixels.assign(reinterpret_cast<const char*>(decoded->getBuffer()), decoded->getSize());
    }
    r.flatePixels.push_back(pixels);
    const QPDFObjectHandle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
    r.aspects.push_back((box.urx - box.llx) / (box.ury - box.lly));
  }
  for (QPDFObjectHandle e = pdf.getRoot().getKey("/Outlines").getKey("/First"); e.isDictionary();
       e = e.getKey("/Next"))
    r.outline.push_back(e.getKey("/Title").getUTF8Value());
  return r;
}

// A 40 x 30 bottom-up DIB whose every pixel differs from its neighbours, and its rows as RGB top
// down, as a page kept without loss must hold them.
constexpr int kW = 40, kH = 30;
std::uint8_t Channel(int x, int y, int c, std::uint8_t seed) {
  return static_cast<std::uint8_t>(x * 5 + y * 7 + c * 60 + seed);
}
std::vector<std::uint8_t> Overlay(std::uint8_t seed) {
  std::vector<std::uint8_t> dib(40 + 120 * kH);
  const std::int32_t header[] = {40, kW, kH, 1 | (24 << 16), 0, 0, 0, 0, 0, 0};
  std::memcpy(dib.data(), header, 40);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      for (int c = 0; c < 3; ++c) dib[40 + (kH - 1 - y) * 120 + 3 * x + (2 - c)] = Channel(x, y, c, seed);
  return dib;
}
std::string TopDownRgb(std::uint8_t seed) {
  std::string rgb;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      for (int c = 0; c < 3; ++c) rgb.push_back(static_cast<char>(Channel(x, y, c, seed)));
  return rgb;
}

class LessonBookTest : public ::testing::Test {
 protected:
  // A 40 x 30 overlay in format, dated clock.now, and the book told of it.
  HandoutOutcome Save(const std::string& scan, std::int32_t format, bool collect = true) {
    const char* ext = format == kFormatPdf ? ".pdf" : format == kFormatTiff ? ".tif" : ".jpg";
    const std::string path = dir.Win(scan + "_Overlaid" + ext);
    std::vector<std::uint8_t> dib = Overlay(static_cast<std::uint8_t>(format));
    EXPECT_GE(images->WriteImage(dib.data(), 96, 96, 30, 22, 0, 0, format, path), 0);
    SetTime(path, clock.now);
    return book->OnOverlaySaved({dir.Win(), path, scan, clock.now - 2}, collect, kGap);
  }
  static void SetTime(const std::string& path, std::int64_t t) {
    const utimbuf times{static_cast<std::time_t>(t), static_cast<std::time_t>(t)};
    ::utime(NativePath(path).c_str(), &times);
  }
  std::string Handout(const char* name) const { return dir.Win(name); }

  test::TempDir dir;
  std::unique_ptr<ImageFiles> images = MakeLibraryImageFiles();
  FakeClock clock;
  Folder folder;
  std::unique_ptr<LessonBook> book = std::make_unique<LessonBook>(folder, *images, clock);
  // The program started again: the book knows only what the folder shows.
  void Restart() { book = std::make_unique<LessonBook>(folder, *images, clock); }
};

TEST_F(LessonBookTest, EachSaveAddsAPageHoldingTheOverlaysOwnImageData) {
  EXPECT_EQ(Save("SCAN0001", kFormatJpeg).result, HandoutResult::Written);
  clock.now += 5 * kMinute;
  Save("SCAN0002", kFormatPdf);
  clock.now += 5 * kMinute;
  const HandoutOutcome last = Save("SCAN0003", kFormatTiff);
  ASSERT_EQ(last.result, HandoutResult::Written);
  EXPECT_EQ(last.handout, Handout("Lesson_20261209_0900.pdf"));

  const ReadBack r = ReadHandout(last.handout);
  EXPECT_EQ(r.title, "Lesson 2026-12-09 09:00");
  EXPECT_EQ(r.outline,
            (std::vector<std::string>{"09:00:28  SCAN0001", "09:05:28  SCAN0002", "09:10:28  SCAN0003"}));
  ASSERT_EQ(r.images.size(), 3u);
  EXPECT_EQ(r.images[0], Bytes(dir.Win("SCAN0001_Overlaid.jpg")));
  const std::string overlayPdf = Bytes(dir.Win("SCAN0002_Overlaid.pdf"));
  QPDF source;
  source.processMemoryFile("overlay", overlayPdf.data(), overlayPdf.size());
  EXPECT_EQ(r.images[1], Raw(QPDFPageDocumentHelper(source).getAllPages()[0].getImages().begin()->second));
  EXPECT_EQ(r.filters, (std::vector<std::string>{"/DCTDecode", "/DCTDecode", "/FlateDecode"}));
  EXPECT_EQ(r.flatePixels[2], TopDownRgb(static_cast<std::uint8_t>(kFormatTiff)));
  for (double aspect : r.aspects) EXPECT_NEAR(aspect, 40.0 / 30.0, 0.01);
}

TEST_F(LessonBookTest, ALockedHandoutStaysAsItWasAndTheLessonGoesOnBesideIt) {
  Save("SCAN0001", kFormatJpeg);
  const std::string before = Bytes(Handout("Lesson_20261209_0900.pdf"));
  folder.failReplace = true;
  clock.now += kMinute;
  const HandoutOutcome moved = Save("SCAN0002", kFormatJpeg);
  EXPECT_EQ(moved.result, HandoutResult::MovedOn);
  EXPECT_EQ(moved.replaced, "Lesson_20261209_0900.pdf");
  EXPECT_EQ(Bytes(Handout("Lesson_20261209_0900.pdf")), before);
  EXPECT_EQ(ReadHandout(Handout("Lesson_20261209_0900_2.pdf")).images.size(), 2u);

  clock.now += kMinute;  // still locked: the user has been told already
  EXPECT_EQ(Save("SCAN0003", kFormatJpeg).result, HandoutResult::Written);
  EXPECT_EQ(ReadHandout(Handout("Lesson_20261209_0900_3.pdf")).images.size(), 3u);
  EXPECT_FALSE(test::FileExists(Handout("~Lesson_20261209_0900_2.pdf.new")));
}

TEST_F(LessonBookTest, ADamagedOrForeignFileOfTheNameIsNeverOverwritten) {
  std::string otherLesson;  // a handout, but of another lesson
  for (const char* what : {"truncated", "foreign"}) {
    clock.now += 2 * kGap;  // each case a lesson of its own
    const std::string handout = Save(std::string("A_") + what, kFormatJpeg).handout;
    const std::string whole = Bytes(handout);
    const std::string intruder = otherLesson.empty() ? whole.substr(0, whole.size() / 2) : otherLesson;
    otherLesson = whole;
    test::WriteAll(handout, std::vector<std::uint8_t>(intruder.begin(), intruder.end()));
    clock.now += kMinute;
    const HandoutOutcome outcome = Save(std::string("B_") + what, kFormatJpeg);
    EXPECT_EQ(outcome.result, HandoutResult::MovedOn) << what;
    EXPECT_EQ(Bytes(handout), intruder) << what;
    EXPECT_EQ(ReadHandout(outcome.handout).images.size(), 2u) << what;
  }
}

TEST_F(LessonBookTest, PausesTheNewLessonCommandAndRestartsDecideTheLesson) {
  Save("A", kFormatJpeg);
  clock.now += 61 * kMinute;  // a pause: a new lesson
  EXPECT_EQ(Save("B", kFormatJpeg).handout, Handout("Lesson_20261209_1001.pdf"));
  clock.now += 30;  // C's capture, two seconds before its save, is in the minute B was saved
  book->StartNewLesson();
  EXPECT_EQ(Save("C", kFormatJpeg).handout, Handout("Lesson_20261209_1001_2.pdf"));

  Restart();
  clock.now += 30 * kMinute;  // within the gap
  EXPECT_EQ(Save("D", kFormatJpeg).handout, Handout("Lesson_20261209_1001_2.pdf"));
  EXPECT_EQ(ReadHandout(Handout("Lesson_20261209_1001_2.pdf")).outline,
            (std::vector<std::string>{"10:01:58  C", "10:31:58  D"}));
  EXPECT_EQ(ReadHandout(Handout("Lesson_20261209_0900.pdf")).images.size(), 1u);
}

TEST_F(LessonBookTest, PagesThatWaitedComeInOnceInTheOrderOfTheirSaves) {
  Save("A", kFormatJpeg);
  folder.failWrites = true;  // the disk full for a moment: B waits
  clock.now += kMinute;
  EXPECT_EQ(Save("B", kFormatJpeg).result, HandoutResult::Failed);
  folder.failWrites = false;
  test::WriteAll(dir.Win("C_Overlaid.pdf"), {'%', 'P', 'D', 'F'});  // no image in it: no page
  EXPECT_EQ(book->OnOverlaySaved({dir.Win(), dir.Win("C_Overlaid.pdf"), "C", clock.now}, true, kGap).result,
            HandoutResult::Written);
  Restart();  // B still waits; E is saved, then F, both before the book looks at the folder
  clock.now += kMinute;
  Save("E", kFormatJpeg, false);
  clock.now += kMinute;
  Save("F", kFormatJpeg, false);
  Restart();
  book->OnOverlaySaved({dir.Win(), dir.Win("E_Overlaid.jpg"), "E", clock.now - kMinute}, true, kGap);
  book->OnOverlaySaved({dir.Win(), dir.Win("F_Overlaid.jpg"), "F", clock.now}, true, kGap);
  EXPECT_EQ(ReadHandout(Handout("Lesson_20261209_0900.pdf")).outline,
            (std::vector<std::string>{"09:00:28  A", "09:01:28  B", "09:02:30  E", "09:03:30  F"}));
}

TEST_F(LessonBookTest, WithoutCollectingTheHandoutIsBuiltFromTheFolderWhenAsked) {
  EXPECT_EQ(book->HandoutToView(dir.Win(), kGap).result, HandoutResult::Empty);
  EXPECT_EQ(Save("A", kFormatJpeg, false).result, HandoutResult::NotCollected);
  EXPECT_FALSE(test::FileExists(Handout("Lesson_20261209_0900.pdf")));
  clock.now += kMinute;
  Save("B", kFormatPdf, false);

  Restart();
  const HandoutOutcome view = book->HandoutToView(dir.Win(), kGap);
  ASSERT_EQ(view.result, HandoutResult::Written);
  EXPECT_EQ(ReadHandout(view.handout).outline, (std::vector<std::string>{"09:00:30  A", "09:01:30  B"}));
}

}  // namespace
}  // namespace zt
