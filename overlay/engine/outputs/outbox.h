// Saves that could not reach the save folder (a share offline for a moment, a laptop off the
// network) wait on this PC, in a folder of the user's own: each save in a slot of its own, named
// for its capture time and laid out as the save folder is ("Original\" with the screenshot and
// the scan's copy, the overlay beside it). Once the save folder takes files again each waiting
// save moves there, oldest first, byte for byte, under the first names free there.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/mbcs_path.h"
#include "overlay/engine/outputs/file_system.h"
#include "overlay/engine/outputs/output_names.h"

namespace zt {

// The outbox's name in the settings folder.
inline constexpr char kOutboxFolderName[] = "Outbox";

// A save that has reached the save folder.
struct DeliveredSave {
  std::string overlayPath;  // where its overlay is now
  std::string scanName;
  std::int64_t captureTime = 0;
};

class Outbox {
 public:
  // folder: the outbox itself, without a trailing backslash; made when the first slot is.
  Outbox(FileSystem& fs, std::string folder, LeadByteTest isLead = SystemLeadByte);

  // An empty slot for a save captured at captureTime; nothing when it cannot be made.
  std::optional<std::string> OpenSlot(std::int64_t captureTime);
  // Takes a slot away with what a failed save left in it.
  void DropSlot(const std::string& slot);
  bool HasWaiting();
  // Moves the waiting saves into saveFolder, oldest first, each under the first free triple of
  // names there; a name taken meanwhile is never written over. A save the folder does not take
  // waits on; none goes while the folder is away. A slot that does not hold a whole save is left
  // alone and waits for nothing.
  std::vector<DeliveredSave> Deliver(const std::string& saveFolder);

 private:
  struct Slot {
    std::string path;
    std::int64_t captureTime = 0;
    std::uint32_t number = 0;
    std::string name, extension;  // the scan's name and the outputs' extension
    OutputPaths files;            // the save's three files in the slot
  };
  // The slots that hold a whole save, oldest first.
  std::vector<Slot> Waiting();
  // Finds the save's files in the slot; false when it does not hold all three.
  bool WholeSave(Slot& slot);
  // false: the save folder did not take this save, and nothing of it was left there.
  bool DeliverSlot(const Slot& slot, const std::string& saveFolder, DeliveredSave& delivered);

  FileSystem& m_fs;
  std::string m_folder;
  LeadByteTest m_isLead;
};

}  // namespace zt
