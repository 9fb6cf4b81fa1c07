#include "overlay/engine/bench/handout_bench.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "common/dib.h"
#include "overlay/engine/handout/lesson_book.h"

namespace zt {

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) {
  return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

constexpr int kPages = 60;

// A screenshot-like overlay, 1920 x 1080, as the save writes it: a JPEG of some 200 to 400 KB.
void WriteOverlay(ImageFiles& images, const std::string& path) {
  const int w = 1920, h = 1080;
  const std::size_t row = DibRowBytes24(w);
  std::vector<std::uint8_t> dib(40 + row * h);
  const BitmapInfoHeader header{40, w, h, 1, 24, kBiRgb, 0, 3780, 3780, 0, 0};
  std::memcpy(dib.data(), &header, 40);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &dib[40 + y * row + 3 * x];
      p[0] = static_cast<std::uint8_t>(x * 7 + y);
      p[1] = static_cast<std::uint8_t>((x ^ y) * 3);
      p[2] = static_cast<std::uint8_t>(y * 5 + (x >> 3));
    }
  const int written = images.WriteImage(dib.data(), 96, 96, 1440, 810, 0, 0, 13, path);
  if (written < 0) {
    std::fprintf(stderr, "handout bench: %s not written (%d)\n", path.c_str(), written);
    std::abort();
  }
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "handout bench: %s\n", what);
  std::abort();
}

std::string Name(int page) { return "P" + std::to_string(1000 + page) + "_Overlaid.jpg"; }

}  // namespace

HandoutBench MeasureHandoutAppend(ImageFiles& images, const std::string& root, int runs) {
  const std::string folder = root + "/handout";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  WriteOverlay(images, folder + "/" + Name(0));
  for (int page = 1; page <= kPages; ++page)
    std::filesystem::copy_file(folder + "/" + Name(0), folder + "/" + Name(page));
  std::filesystem::remove(folder + "/" + Name(kPages));  // page 61 comes with the measured save

  std::unique_ptr<LessonFolder> files = MakeSystemLessonFolder();
  std::unique_ptr<LessonClock> clock = MakeSystemLessonClock();
  constexpr std::int64_t kGap = 3600;
  // The 60 pages in one build from the folder, as the tray's command makes it.
  const HandoutOutcome built = LessonBook(*files, images, *clock).HandoutToView(folder, kGap);
  if (built.result != HandoutResult::Written) Fail("the 60 pages were not built");
  std::string handout;
  if (!files->Read(built.handout, handout)) Fail("the handout cannot be read");

  HandoutBench result{1e30, 1e30, handout.size() / 1e6};
  for (int i = 0; i < runs; ++i) {
    // The program with its lesson and the whole 60-page handout (found once, after a restart);
    // then page 61 is saved.
    std::filesystem::remove(folder + "/" + Name(kPages));
    files->Remove(built.handout);
    if (!files->WriteNew(built.handout, handout)) Fail("the handout cannot be put back");
    LessonBook book(*files, images, *clock);
    if (book.HandoutToView(folder, kGap).result != HandoutResult::Written) Fail("the lesson was not found");
    std::filesystem::copy_file(folder + "/" + Name(0), folder + "/" + Name(kPages));
    const SavedPage saved{folder, folder + "/" + Name(kPages), "P1060", clock->Now()};
    const auto t0 = Clock::now();
    const HandoutOutcome outcome = book.OnOverlaySaved(saved, true, kGap);
    result.appendMs = std::min(result.appendMs, Ms(t0));
    if (outcome.result != HandoutResult::Written || outcome.handout != built.handout)
      Fail("no page was added");

    const std::string copy = folder + "/copy.bin";
    std::filesystem::remove(copy);
    const auto t1 = Clock::now();
    std::string bytes;
    if (!files->Read(built.handout, bytes) || !files->WriteNew(copy, bytes))
      Fail("the handout was not copied");
    result.copyMs = std::min(result.copyMs, Ms(t1));
  }
  std::filesystem::remove_all(folder);
  return result;
}

}  // namespace zt
