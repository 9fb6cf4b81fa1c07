// CPU cost of one poll over a root listing and folder listings naming 5,000 files, all known
// from the previous poll, against a plain read of the same listings in the same run.
//   sdwifi_poll_bench [seconds per measurement]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "chksdwifi/card_poller.h"

namespace zt::sdwifi {
namespace {

// Keeps the baseline's reads from being optimised away.
volatile std::size_t g_sink = 0;

constexpr int kFolders = 5;
constexpr int kFilesPerFolder = 1000;

struct Card : CardFetcher {
  std::map<std::string, std::string> pages;
  FetchResult FetchUrl(const std::string& url, const std::string*, std::string* text) override {
    auto it = pages.find(url);
    if (it == pages.end()) return FETCH_NOT_FOUND;
    if (text) *text = it->second;
    return FETCH_OK;
  }
};

struct NoFiles : DownloadFiles {
  bool Copy(const std::string&, const std::string&) override { return true; }
  bool Delete(const std::string&) override { return true; }
  std::vector<std::string> List(const std::string&) override { return {}; }
  bool RemoveFolder(const std::string&) override { return true; }
  std::string SetUpDownloadFolder() override { return "D:\\dl\\"; }
};

struct NoWindows : ClientMessenger {
  bool WindowExists(ClientWindow) override { return true; }
  bool Post(ClientWindow, std::uint32_t, BlockAddress) override { return true; }
};

struct NoBlocks : BlockMemory {
  BlockAddress Allocate(const sdchannel::PathBlock&) override { return 1; }
  void Free(BlockAddress) override {}
  bool ReadRegistration(BlockAddress, sdchannel::RegistrationBlock&) override { return false; }
};

// CPU milliseconds per call of f, measured for at least the given seconds.
template <typename F>
double CpuMsPerCall(F f, double seconds) {
  long calls = 0;
  const std::clock_t start = std::clock();
  std::clock_t now = start;
  do {
    f();
    ++calls;
    now = std::clock();
  } while (static_cast<double>(now - start) / CLOCKS_PER_SEC < seconds);
  return 1000.0 * static_cast<double>(now - start) / CLOCKS_PER_SEC / static_cast<double>(calls);
}

int Run(double seconds) {
  CardSettings settings;
  settings.folderUrl = "http://card/";
  settings.fileUrl = "http://card/";
  settings.extensions = {".JPG", ".PDF"};
  Card card;
  std::string root;
  for (int f = 0; f < kFolders; ++f) {
    const std::string folder = "FOLDER" + std::to_string(f);
    settings.folders.push_back(folder);
    root += "cardFiles.push({\"/," + folder + ",0,16,22689,0\"});\n";
    std::string listing;
    for (int i = 0; i < kFilesPerFolder; ++i) {
      char line[128];
      // Names MMDDHHNN: month, day, hour and number vary so that every name is distinct.
      std::snprintf(line, sizeof line, "cardFiles.push({\"/%s,%02d%02d%02d%02d.JPG,%d,32,%d,%d\"});\n",
                    folder.c_str(), 1 + f, 1 + i / 100 % 28, i / 10 % 10, i % 100, 100000 + i, 22689 + i % 28,
                    20000 + i);
      listing += line;
    }
    card.pages["http://card/" + folder + "/"] = listing;
  }
  card.pages["http://card/"] = root;

  NoFiles files;
  NoWindows windows;
  NoBlocks blocks;
  CCardPoller poller(settings, "D:\\dl\\", card, files, windows, blocks);
  sdchannel::RegistrationBlock client{};
  client.clientWindow = 1;
  client.folderMask = sdchannel::kDefaultFolderMask;
  poller.RegisterClient(reinterpret_cast<BlockAddress>(&client));
  poller.PollCard();  // first pass: every file becomes known
  if (poller.KnownFiles().Size() != static_cast<std::size_t>(kFolders * kFilesPerFolder)) {
    std::fprintf(stderr, "expected %d known files, got %zu\n", kFolders * kFilesPerFolder,
                 poller.KnownFiles().Size());
    return 1;
  }

  // Baseline: fetch the same pages and look at every byte once.
  std::size_t sink = 0;
  const double readMs = CpuMsPerCall(
      [&] {
        std::string text;
        card.FetchUrl(settings.folderUrl, nullptr, &text);
        sink += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        for (const std::string& folder : settings.folders) {
          card.FetchUrl(settings.fileUrl + folder + "/", nullptr, &text);
          sink += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        }
      },
      seconds);
  const double pollMs = CpuMsPerCall([&] { poller.PollCard(); }, seconds);

  std::printf("files listed: %d (all known)\n", kFolders * kFilesPerFolder);
  std::printf("plain read of the listings: %.3f ms CPU\n", readMs);
  std::printf("poll:                       %.3f ms CPU (target <= 20 ms)\n", pollMs);
  std::printf("ratio poll / plain read:    %.1f\n", pollMs / readMs);
  g_sink = sink;
  return pollMs <= 20.0 ? 0 : 2;
}

}  // namespace
}  // namespace zt::sdwifi

int main(int argc, char** argv) { return zt::sdwifi::Run(argc > 1 ? std::atof(argv[1]) : 1.0); }
