// The search for the board's drive over made-up device trees.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "overlay/shell/device_watch/board_drive_finder.h"

namespace zt::shell {
namespace {

struct Node {
  std::string id;
  DeviceNode parent = 0;
  std::vector<DeviceNode> children;
  std::optional<std::vector<std::string>> interfaces = std::vector<std::string>{};
  std::vector<std::string> removalRelations;
  bool idFails = false;
};

class FakeTree final : public DeviceTree {
 public:
  DeviceNode Add(DeviceNode parent, const std::string& id) {
    const DeviceNode n = m_next++;
    nodes[n].id = id;
    nodes[n].parent = parent;
    if (parent) nodes[parent].children.push_back(n);
    return n;
  }
  // A node with a volume interface that resolves to volume.
  DeviceNode AddVolume(DeviceNode parent, const std::string& id, const std::string& volume) {
    const DeviceNode n = Add(parent, id);
    const std::string iface = "\\\\?\\STORAGE#" + id + "#{53f5630d}";
    nodes[n].interfaces = std::vector<std::string>{iface};
    volumes[iface + "\\"] = volume;
    return n;
  }
  void AddDrive(char letter, bool removable, const std::string& volume) {
    drives |= 1u << (letter - 'A');
    const std::string root = std::string(1, letter) + ":\\";
    if (removable) removableRoots.insert(root);
    volumes[root] = volume;
  }

  std::uint32_t LogicalDrives() override { return drives; }
  bool IsRemovable(const std::string& root) override { return removableRoots.count(root) > 0; }
  std::optional<std::string> VolumeName(const std::string& mountPoint) override {
    const auto it = volumes.find(mountPoint);
    if (it == volumes.end()) return std::nullopt;
    return it->second;
  }
  std::vector<UsbDevice> UsbDevices() override { return usb; }
  std::optional<DeviceNode> FirstChild(DeviceNode n) override {
    if (nodes[n].children.empty()) return std::nullopt;
    return nodes[n].children.front();
  }
  std::optional<DeviceNode> NextSibling(DeviceNode n) override {
    const DeviceNode p = nodes[n].parent;
    if (!p) return std::nullopt;
    const std::vector<DeviceNode>& c = nodes[p].children;
    for (std::size_t i = 0; i + 1 < c.size(); ++i)
      if (c[i] == n) return c[i + 1];
    return std::nullopt;
  }
  std::optional<DeviceNode> Parent(DeviceNode n) override {
    if (!nodes[n].parent) return std::nullopt;
    return nodes[n].parent;
  }
  std::optional<std::string> InstanceId(DeviceNode n) override {
    visited.push_back(n);
    if (nodes[n].idFails) return std::nullopt;
    return nodes[n].id;
  }
  std::optional<std::vector<std::string>> VolumeInterfaces(const std::string& id) override {
    for (auto& [n, node] : nodes)
      if (node.id == id) return node.interfaces;
    return std::nullopt;
  }
  std::optional<std::vector<std::string>> RemovalRelations(const std::string& id) override {
    for (auto& [n, node] : nodes)
      if (node.id == id) return node.removalRelations;
    return std::nullopt;
  }

  std::map<DeviceNode, Node> nodes;
  std::map<std::string, std::string> volumes;
  std::set<std::string> removableRoots;
  std::uint32_t drives = 0;
  std::vector<UsbDevice> usb;
  std::vector<DeviceNode> visited;

 private:
  DeviceNode m_next = 1;
};

constexpr char kBoardVolume[] = "\\\\?\\Volume{aaaa0001-0000-0000-0000-000000000000}\\";
constexpr char kStickVolume[] = "\\\\?\\Volume{bbbb0002-0000-0000-0000-000000000000}\\";

// A board whose storage function has no volume interface of its own: the volume is found through
// its removal relations, as on a real system.
DeviceNode AddBoard(FakeTree& t, const char* hardwareId, const std::string& volume, const char* serial) {
  const DeviceNode root = t.nodes.empty() ? t.Add(0, "ROOT") : 1;
  const DeviceNode board = t.Add(root, std::string("USB\\VID_2E5B\\") + serial);
  t.usb.push_back({board, hardwareId});
  const DeviceNode storage = t.Add(board, std::string("USBSTOR\\DISK&VEN_ZENTAB\\") + serial + "&0");
  const DeviceNode volumeNode = t.AddVolume(root, std::string("STORAGE\\VOLUME\\") + serial, volume);
  t.nodes[storage].removalRelations = {t.nodes[volumeNode].id};
  return board;
}

TEST(BoardDriveFinder, TheLowestRemovableDriveOfTheBoardWinsOverFixedDrivesAndForeignSticks) {
  FakeTree t;
  AddBoard(t, "USB\\VID_2E5B&PID_0C23&REV_0100", kBoardVolume, "SN001");
  // A foreign stick with its own volume, on a lower letter.
  const DeviceNode stick = t.Add(1, "USB\\VID_0781\\X");
  t.usb.insert(t.usb.begin(), {stick, "USB\\VID_0781&PID_5567&REV_0100"});
  t.AddVolume(stick, "USBSTOR\\DISK&VEN_OTHER\\X&0", kStickVolume);
  t.AddDrive('C', false, kBoardVolume);  // fixed: never the board's, whatever it reports
  t.AddDrive('D', true, kStickVolume);
  t.AddDrive('F', true, kBoardVolume);
  t.AddDrive('E', true, kBoardVolume);  // same board, lower letter

  const BoardDrive found = CBoardDriveFinder(t).Find();
  EXPECT_TRUE(found.found);
  EXPECT_EQ(found.letter, 'E');
  EXPECT_EQ(found.boardId, "SN001&0");

  // Without the board, the stick alone is no board.
  FakeTree only;
  const DeviceNode lone = only.Add(0, "USB\\VID_0781\\X");
  only.usb.push_back({lone, "USB\\VID_0781&PID_5567"});
  only.AddVolume(lone, "USBSTOR\\X", kStickVolume);
  only.AddDrive('D', true, kStickVolume);
  EXPECT_FALSE(CBoardDriveFinder(only).Find().found);
}

TEST(BoardDriveFinder, KnowsTheBoardsProductIdsInAnyCase) {
  EXPECT_TRUE(IsBoardHardwareId("USB\\VID_2E5B&PID_0C21&REV_0001"));
  EXPECT_TRUE(IsBoardHardwareId("usb\\vid_2e5b&pid_0c23"));
  EXPECT_TRUE(IsBoardHardwareId("USB\\VID_2E5B&PID_0C25"));
  EXPECT_FALSE(IsBoardHardwareId("USB\\VID_2E5B&PID_0C22"));
  EXPECT_FALSE(IsBoardHardwareId("USB\\VID_2E5C&PID_0C21"));
  EXPECT_FALSE(IsBoardHardwareId(""));
}

TEST(BoardDriveFinder, TheWalkStaysInTheBoardsSubtreeAndStopsAtAFailingNode) {
  FakeTree t;
  const DeviceNode root = t.Add(0, "ROOT");
  const DeviceNode board = t.Add(root, "USB\\VID_2E5B\\SN9");
  t.usb.push_back({board, "USB\\VID_2E5B&PID_0C25"});
  // Depth first: the storage function and its partition hold other volumes; the board's volume
  // hangs off the storage function's sibling, reached by climbing back up.
  const DeviceNode storage = t.AddVolume(board, "USBSTOR\\DISK\\SN9&0", kStickVolume);
  const DeviceNode part = t.AddVolume(storage, "STORAGE\\PART1", "\\\\?\\Volume{cccc}\\");
  t.AddVolume(board, "USBSTOR\\DISK\\SN9&1", "\\\\?\\VOLUME{AAAA0001-0000-0000-0000-000000000000}\\");
  t.AddDrive('E', true, kBoardVolume);

  BoardDrive found = CBoardDriveFinder(t).Find();
  EXPECT_TRUE(found.found);  // case makes no difference to a volume path
  EXPECT_EQ(found.boardId, "SN9&0");
  EXPECT_EQ(found.letter, 'E');

  // Only outside the subtree: not found, and the walk never looked above the board.
  FakeTree outside;
  const DeviceNode r = outside.Add(0, "ROOT");
  const DeviceNode b = outside.Add(r, "USB\\VID_2E5B\\SN8");
  outside.usb.push_back({b, "USB\\VID_2E5B&PID_0C21"});
  const DeviceNode s = outside.AddVolume(b, "USBSTOR\\SN8&0", kStickVolume);
  outside.AddVolume(r, "STORAGE\\ELSEWHERE", kBoardVolume);
  outside.AddDrive('E', true, kBoardVolume);
  EXPECT_FALSE(CBoardDriveFinder(outside).Find().found);
  for (const DeviceNode n : outside.visited) EXPECT_TRUE(n == s) << n;

  // A node that cannot be read ends the walk before the board's volume: this drive does not match.
  t.nodes[part].idFails = true;
  EXPECT_FALSE(CBoardDriveFinder(t).Find().found);
  // So does a node whose volume cannot be told.
  t.nodes[part].idFails = false;
  t.nodes[part].interfaces = std::nullopt;
  EXPECT_FALSE(CBoardDriveFinder(t).Find().found);
}

}  // namespace
}  // namespace zt::shell
