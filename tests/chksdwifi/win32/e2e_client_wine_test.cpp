// The checker end to end: this program plays the tray application's side of the channel against
// the real ZTChkSDWiFi.exe and a simulated card (started by run_e2e.py, steered over HTTP).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "chksdwifi/win32/fetch_win32.h"
#include "common/sd_channel.h"
#include "common/win32/application.h"
#include "common/win32/frame_window.h"
#include "common/win32/handles.h"
#include "tests/support/simulated_card.h"
#include "tests/support/wine_process.h"

namespace zt::sdwifi {
namespace {

namespace sc = sdchannel;
using winetest::Env;
using winetest::Exists;
using winetest::WaitFor;

// The card steered as these cases need it; every request is one CardControl.
class Card {
 public:
  Card() : m_base(Env("ZT_CARD_URL")) {}
  const std::string& Base() const { return m_base; }
  std::string Get(const std::string& what) {
    std::string reply;
    EXPECT_TRUE(winetest::CardControl(what, &reply)) << what;
    return reply;
  }
  void Add(const std::string& name, int size, int minute, const char* mode, const char* folder = "DCIM") {
    Get("add?folder=" + std::string(folder) + "&name=" + name + "&size=" + std::to_string(size) +
        "&minute=" + std::to_string(minute) + "&mode=" + mode);
  }
  void Mode(const std::string& name, const char* mode) { Get("mode?name=" + name + "&mode=" + mode); }
  void Root(const char* mode) { Get(std::string("root?mode=") + mode); }
  int Hits(const std::string& name) { return std::atoi(Get("hits?name=" + name).c_str()); }

 private:
  std::string m_base;
};

class Fetch : public ::testing::Test {
 protected:
  Card card;
  WinInetFetcher fetcher;
  std::string dest = Env("ZT_DEST_FOLDER");
};

TEST_F(Fetch, ResultCodes) {
  ASSERT_FALSE(card.Base().empty()) << "run through run_e2e.py";
  std::string text = "stale";
  EXPECT_EQ(fetcher.FetchUrl(card.Base(), nullptr, &text), FETCH_NOT_FOUND);
  EXPECT_NE(text.find("404 Not Found"), std::string::npos);  // the card is not ready yet
  card.Root("normal");
  EXPECT_EQ(fetcher.FetchUrl(card.Base(), nullptr, &text), FETCH_OK);
  EXPECT_NE(text.find("DCIM"), std::string::npos);
  card.Root("notfound");

  EXPECT_EQ(fetcher.FetchUrl("http://127.0.0.1:1/", nullptr, &text), FETCH_CONNECT_FAILED);
  EXPECT_EQ(fetcher.FetchUrl("not a url", nullptr, &text), FETCH_CONNECT_FAILED);

  const std::string local = dest + "fetched.bin";
  EXPECT_EQ(fetcher.FetchUrl(card.Base() + "DCIM/nothere.JPG", &local, nullptr), FETCH_NOT_FOUND);
  EXPECT_FALSE(Exists(local));

  card.Add("06011000.JPG", 1000, 0, "normal", "OTHER");
  const std::string nowhere = dest + "missing\\x.bin";
  EXPECT_EQ(fetcher.FetchUrl(card.Base() + "OTHER/06011000.JPG", &nowhere, nullptr), FETCH_CREATE_FAILED);
}

TEST_F(Fetch, SlowCardIsReadToTheEnd) {
  // Small pieces with pauses: reads return fewer than 1,024 bytes long before the end.
  card.Add("06011001.JPG", 60000, 0, "slow", "OTHER");
  const std::string local = dest + "slow.bin";
  ASSERT_EQ(fetcher.FetchUrl(card.Base() + "OTHER/06011001.JPG", &local, nullptr), FETCH_OK);
  EXPECT_EQ(winetest::ReadFileBytes(local), winetest::CardFileBytes("06011001.JPG", 60000));
  DeleteFileA(local.c_str());
}

TEST_F(Fetch, DroppedConnectionIsAReadFailure) {
  card.Add("06011002.JPG", 50000, 0, "drop", "OTHER");
  const std::string local = dest + "drop.bin";
  EXPECT_EQ(fetcher.FetchUrl(card.Base() + "OTHER/06011002.JPG", &local, nullptr), FETCH_READ_FAILED);
  EXPECT_FALSE(Exists(local));
}

// The tray application's side of the channel, reduced to what the test needs.
class Client : public app::FrameWindow {
 public:
  Client() : FrameWindow("ZtSdWiFiTestClient") {
    m_nMessage =
        OnRegisteredMessage(sc::kMessageName, [this](WPARAM w, LPARAM l) { return OnChannel(w, l); });
  }
  UINT Message() const { return m_nMessage; }

  bool Register(HANDLE process, HWND checker, std::uint32_t firstPass, const std::string& folder) {
    void* remote = VirtualAllocEx(process, nullptr, sc::kRegistrationBlockSize, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    if (!remote) return false;
    sc::RegistrationBlock block{};
    block.clientWindow = sc::WindowToField(reinterpret_cast<std::uintptr_t>(Hwnd()));
    block.folderMask = sc::kDefaultFolderMask;
    block.firstPass = firstPass;
    folder.copy(block.destinationFolder, sc::kPathSize - 1);
    m_process = process;
    pending.push_back(remote);
    return WriteProcessMemory(process, remote, &block, sizeof block, nullptr) &&
           PostMessageA(checker, m_nMessage, sc::kRegister, reinterpret_cast<LPARAM>(remote));
  }

  std::vector<void*> pending;      // registration blocks not yet taken
  std::vector<std::string> paths;  // delivered paths, in order
  int failures = 0;
  int taken = 0;  // code 2 answers, for any address
  HWND checker = nullptr;

 private:
  LRESULT OnChannel(WPARAM wParam, LPARAM lParam) {
    void* address = reinterpret_cast<void*>(lParam);
    if (wParam == sc::kRegistrationTaken) {
      ++taken;
      auto it = std::find(pending.begin(), pending.end(), address);
      if (it != pending.end()) {
        VirtualFreeEx(m_process, address, 0, MEM_RELEASE);
        pending.erase(it);
      }
    } else if (wParam == sc::kFileDelivered) {
      sc::PathBlock block{};
      const bool read = ReadProcessMemory(m_process, address, &block, sizeof block, nullptr) != FALSE;
      PostMessageA(checker, m_nMessage, sc::kPathRead, lParam);
      if (read) paths.emplace_back(block.path, sc::BoundedLength(block.path, sc::kPathSize));
    } else if (wParam == sc::kDeliveryFailed) {
      ++failures;
    }
    return 0;
  }

  UINT m_nMessage = 0;
  HANDLE m_process = nullptr;
};

std::string DownloadFolder() {
  using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  HMODULE lib = LoadLibraryA("shfolder.dll");
  auto get =
      reinterpret_cast<GetFolderPath>(reinterpret_cast<void*>(GetProcAddress(lib, "SHGetFolderPathA")));
  char base[MAX_PATH] = {};
  if (get) get(nullptr, 0x1C, nullptr, 0, base);
  FreeLibrary(lib);
  return std::string(base) + "\\Corvane\\Zentab SD WiFi";
}

// A checker started for each case, with the test's client window beside it.
class Checker : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(exe.empty());
    ASSERT_EQ(FindWindowA(sc::kCheckerWindowClass, nullptr), nullptr);
    checker = winetest::Start(exe);
    ASSERT_TRUE(checker);
    ASSERT_TRUE(
        WaitFor([&] { return (window = FindWindowA(sc::kCheckerWindowClass, nullptr)) != nullptr; }, 10000));
    GetWindowThreadProcessId(window, &pid);
    process.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    ASSERT_TRUE(process);
    ASSERT_TRUE(client.Create());
    client.checker = window;
  }
  // A case that leaves its checker running ends it here, so that the next one starts its own.
  void TearDown() override {
    if (checker.Runs()) TerminateProcess(checker.process.Get(), 1);
    WaitForSingleObject(checker.process.Get(), 10000);
    WaitFor([] { return FindWindowA(sc::kCheckerWindowClass, nullptr) == nullptr; }, 5000);
  }

  Card card;
  const std::string exe = Env("ZT_CHECKER_EXE"), dest = Env("ZT_DEST_FOLDER");
  winetest::Program checker;
  HWND window = nullptr;
  DWORD pid = 0;
  app::UniqueHandle process;
  Client client;
};

// A second copy ends at once and leaves the first alone. Any local process may post the channel's
// message: addresses that are no readable 272-byte block in the checker are ignored, and the
// checker lives on and takes a real registration.
TEST_F(Checker, IgnoresASecondCopyAndRegistrationsAtAddressesThatAreNoReadableBlock) {
  winetest::Program second = winetest::Start(exe);
  ASSERT_TRUE(second);
  EXPECT_EQ(WaitForSingleObject(second.process.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(FindWindowA(sc::kCheckerWindowClass, nullptr), window);

  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const SIZE_T page = system.dwPageSize;
  auto* freed = static_cast<char*>(VirtualAllocEx(process.Get(), nullptr, page, MEM_COMMIT, PAGE_READWRITE));
  auto* reserved =
      static_cast<char*>(VirtualAllocEx(process.Get(), nullptr, 2 * page, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_TRUE(reserved && VirtualAllocEx(process.Get(), reserved, page, MEM_COMMIT, PAGE_READWRITE));
  auto* guarded = static_cast<char*>(VirtualAllocEx(process.Get(), nullptr, page, MEM_COMMIT, PAGE_NOACCESS));
  ASSERT_TRUE(guarded);
  // Freed last, so that none of the blocks above takes its place.
  ASSERT_TRUE(freed && VirtualFreeEx(process.Get(), freed, 0, MEM_RELEASE));
  const std::uintptr_t bogus[] = {
      1,
      0x1000,
      reinterpret_cast<std::uintptr_t>(freed),
      reinterpret_cast<std::uintptr_t>(reserved + page),
      reinterpret_cast<std::uintptr_t>(reserved + page - 100),  // runs off its page
      reinterpret_cast<std::uintptr_t>(guarded),
      ~std::uintptr_t{0} - 64};
  for (std::uintptr_t address : bogus)
    ASSERT_TRUE(PostMessageA(window, client.Message(), sc::kRegister, static_cast<LPARAM>(address)));
  winetest::Pump(1000);
  ASSERT_EQ(WaitForSingleObject(checker.process.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the checker died";
  EXPECT_EQ(client.taken, 0);
  VirtualFreeEx(process.Get(), reserved, 0, MEM_RELEASE);
  VirtualFreeEx(process.Get(), guarded, 0, MEM_RELEASE);
  ASSERT_TRUE(client.Register(process.Get(), window, 0, dest));
  EXPECT_TRUE(WaitFor([&] { return client.pending.empty(); }, 5000)) << "no code 2";
}

// How the card's answers are read, and that a failed download is forgotten and fetched again, are
// the Fetch cases' and the poller's; here a delivery, a body in tiny pieces and a stalled card.
TEST_F(Checker, DeliversEachNewScanOnceAndEndsWithItsLastClient) {
  // First-pass word 1: the newest file already on the card is delivered too.
  ASSERT_TRUE(client.Register(process.Get(), window, 1, dest));
  ASSERT_TRUE(WaitFor([&] { return client.pending.empty(); }, 5000)) << "no code 2";
  card.Root("normal");
  ASSERT_TRUE(WaitFor([&] { return client.paths.size() >= 1; }, 15000));
  EXPECT_EQ(client.paths[0], dest + "05011000.JPG");

  // Tiny pieces with the length announced: read to the end.
  card.Add("05011004.JPG", 3000, 4, "trickle");
  ASSERT_TRUE(WaitFor([&] { return client.paths.size() >= 2; }, 15000));
  EXPECT_EQ(client.paths[1], dest + "05011004.JPG");

  // A card that stops answering mid-file: after the receive time-out nothing is delivered, and
  // the file arrives whole once the card serves it again.
  card.Add("05011005.JPG", 20000, 5, "stall");
  ASSERT_TRUE(WaitFor([&] { return card.Hits("05011005.JPG") >= 1; }, 15000));
  card.Mode("05011005.JPG", "normal");
  ASSERT_TRUE(WaitFor([&] { return client.paths.size() >= 3; }, 30000));
  EXPECT_EQ(client.paths[2], dest + "05011005.JPG");
  EXPECT_EQ(card.Hits("05011005.JPG"), 2);

  // A few quiet polls: nothing arrives twice.
  winetest::Pump(2500);
  EXPECT_EQ(client.paths.size(), 3u);
  EXPECT_EQ(client.failures, 0);
  const std::pair<const char*, int> expected[] = {
      {"05011000.JPG", 3000}, {"05011004.JPG", 3000}, {"05011005.JPG", 20000}};
  for (const auto& [name, size] : expected)
    EXPECT_EQ(winetest::ReadFileBytes(dest + name), winetest::CardFileBytes(name, size)) << name;

  // Unregistering the last client ends the checker and removes its download folder.
  ASSERT_TRUE(Exists(DownloadFolder()));
  app::UniqueHandle waitable(OpenProcess(SYNCHRONIZE, FALSE, pid));
  SendMessageA(window, client.Message(), sc::kUnregister, reinterpret_cast<LPARAM>(client.Hwnd()));
  EXPECT_EQ(WaitForSingleObject(waitable.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(FindWindowA(sc::kCheckerWindowClass, nullptr), nullptr);
  EXPECT_FALSE(Exists(DownloadFolder()));
}

}  // namespace
}  // namespace zt::sdwifi
