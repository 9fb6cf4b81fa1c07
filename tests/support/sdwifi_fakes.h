// In-memory stand-ins for the card, the download files, the client windows and the path blocks.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "chksdwifi/checker_host.h"
#include "chksdwifi/fetch_result.h"

namespace zt::sdwifi {

struct FakeCard : CardFetcher {
  struct Page {
    FetchResult result = FETCH_OK;
    std::string body;
  };
  std::map<std::string, Page> pages;  // missing URLs: not reachable
  std::vector<std::string> fetched;
  std::map<std::string, std::string>* disk = nullptr;  // where downloads land

  FetchResult FetchUrl(const std::string& url, const std::string* localPath, std::string* text) override {
    fetched.push_back(url);
    auto it = pages.find(url);
    if (it == pages.end()) return FETCH_CONNECT_FAILED;
    if (it->second.result == FETCH_OK) {
      if (text) *text = it->second.body;
      if (localPath && disk) (*disk)[*localPath] = it->second.body;
    }
    return it->second.result;
  }
  void Set(const std::string& url, std::string body, FetchResult r = FETCH_OK) {
    pages[url] = {r, std::move(body)};
  }
};

struct FakeFiles : DownloadFiles {
  std::map<std::string, std::string> disk;
  std::set<std::string> folders;  // folders that exist (destination and download folders)
  std::set<std::string> removedFolders;
  std::vector<std::string> deleted;

  static std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of("\\/") + 1);
  }
  bool Copy(const std::string& from, const std::string& to) override {
    if (!disk.count(from) || !folders.count(FolderOf(to))) return false;
    disk[to] = disk[from];
    return true;
  }
  bool Delete(const std::string& path) override {
    deleted.push_back(path);
    return disk.erase(path) > 0;
  }
  std::vector<std::string> List(const std::string& folder) override {
    std::vector<std::string> names = {".", ".."};
    for (const auto& [path, body] : disk)
      if (FolderOf(path) == folder) names.push_back(path.substr(folder.size()));
    return names;
  }
  bool RemoveFolder(const std::string& folder) override {
    removedFolders.insert(folder);
    return folders.erase(folder) > 0;
  }
  std::string SetUpDownloadFolder() override {
    ++setUps;
    if (!downloadFolder.empty()) folders.insert(downloadFolder);
    return downloadFolder;
  }
  std::string downloadFolder;  // what a set-up gives: "" = it cannot be had
  int setUps = 0;
};

struct FakeWindows : ClientMessenger {
  struct Post {
    ClientWindow window;
    std::uint32_t code;
    BlockAddress lParam;
  };
  std::set<ClientWindow> alive;
  std::vector<Post> posts;

  bool WindowExists(ClientWindow w) override { return alive.count(w) > 0; }
  bool PostMessage(ClientWindow w, std::uint32_t code, BlockAddress lParam) {
    posts.push_back({w, code, lParam});
    return alive.count(w) > 0;
  }
  bool Post(ClientWindow w, std::uint32_t code, BlockAddress lParam) override {
    return PostMessage(w, code, lParam);
  }
  std::vector<std::uint32_t> CodesTo(ClientWindow w) const {
    std::vector<std::uint32_t> codes;
    for (const auto& p : posts)
      if (p.window == w) codes.push_back(p.code);
    return codes;
  }
};

struct FakeBlocks : BlockMemory {
  std::map<BlockAddress, std::string> live;
  BlockAddress next = 0x1000;
  bool fail = false;
  int freed = 0;

  BlockAddress Allocate(const sdchannel::PathBlock& block) override {
    if (fail) return 0;
    live[next] = std::string(block.path, strnlen(block.path, sizeof block.path));
    next += 0x1000;
    return next - 0x1000;
  }
  void Free(BlockAddress a) override {
    EXPECT_EQ(live.erase(a), 1u) << "freed twice or never allocated";
    ++freed;
  }
  // Registration blocks are the test's own objects; addresses listed as unreadable stand for
  // what a stray message might carry.
  std::set<BlockAddress> unreadable;
  bool ReadRegistration(BlockAddress a, sdchannel::RegistrationBlock& out) override {
    if (unreadable.count(a)) return false;
    std::memcpy(&out, reinterpret_cast<const void*>(a), sizeof out);
    return true;
  }
};

}  // namespace zt::sdwifi
