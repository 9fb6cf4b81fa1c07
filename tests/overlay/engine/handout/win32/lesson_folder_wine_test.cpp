// The lesson's handout in a Windows save folder: written beside the handout and renamed over it,
// listed and read back, here with qpdf; in the Japanese code page also in a folder whose name
// ends in a character whose second byte is a backslash, for a scan named in that code page.
#define POINTERHOLDER_TRANSITION 4
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include "common/ansi_text.h"
#include "common/win32/directory_walk.h"
#include "overlay/engine/handout/lesson_book.h"
#include "tests/support/jpeg_scan.h"

namespace zt {
namespace {

std::string ExeFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string exe = path;
  return exe.substr(0, exe.find_last_of('\\') + 1);
}

void RemoveFolder(const std::string& folder) {
  app::ForEachEntry(folder + "\\*", [&](const WIN32_FIND_DATAA& f) {
    if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + "\\" + f.cFileName).c_str());
  });
  RemoveDirectoryA(folder.c_str());
}

void TwoPagesInto(const std::string& folder, const std::string& scan) {
  RemoveFolder(folder);
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  std::unique_ptr<ImageFiles> images = MakeLibraryImageFiles();
  std::unique_ptr<LessonFolder> files = MakeSystemLessonFolder();
  std::unique_ptr<LessonClock> clock = MakeSystemLessonClock();
  LessonBook book(*files, *images, *clock);
  HandoutOutcome outcome;
  for (const std::string& name : {scan + "1", scan + "2"}) {
    const std::string overlay = folder + "\\" + name + "_Overlaid.jpg";
    ASSERT_EQ(winetest::WriteJpegScan(overlay, 64, 48, 0xF0, {{5, 5, 20, 20}}), IMGFILE_OK);
    outcome = book.OnOverlaySaved({folder, overlay, name, clock->Now()}, true, 3600);
    ASSERT_EQ(outcome.result, HandoutResult::Written) << overlay;
  }
  EXPECT_EQ(outcome.handout.rfind(folder + "\\Lesson_", 0), 0u) << outcome.handout;
  std::string bytes;
  ASSERT_TRUE(files->Read(outcome.handout, bytes));
  QPDF pdf;
  pdf.processMemoryFile("handout", bytes.data(), bytes.size());
  EXPECT_EQ(QPDFPageDocumentHelper(pdf).getAllPages().size(), 2u);
  const std::string title = pdf.getRoot().getKey("/Outlines").getKey("/Last").getKey("/Title").getUTF8Value();
  EXPECT_EQ(title.substr(title.size() - AnsiToUtf8(scan + "2").size()), AnsiToUtf8(scan + "2"));
  RemoveFolder(folder);
}

TEST(LessonFolder, HoldsTheLessonsHandout) { TwoPagesInto(ExeFolder() + "lesson saves", "SCAN"); }

TEST(DoubleByteJapanese, FolderAndScanNamesOfTheCodePage) {
  ASSERT_EQ(GetACP(), 932u);
  // A folder "class table" whose last character's second byte is 0x5C, and a scan "board".
  TwoPagesInto(ExeFolder() + "\x8e\xf6\x8b\xc6\x95\x5c", "\x94\xc2\x8f\x91");
}

}  // namespace
}  // namespace zt
