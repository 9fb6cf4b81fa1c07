#include "overlay/engine/outputs/outbox.h"

#include <algorithm>
#include <utility>

#include "overlay/engine/outputs/output_names.h"

namespace zt {

namespace {

constexpr char kOverlaid[] = "_Overlaid";
constexpr std::uint32_t kMaxSlotsPerSecond = 999;

std::string Join(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

// "<capture time>_<number>": the slots' names; anything else in the outbox is not ours.
bool ParseSlotName(const std::string& name, std::int64_t& time, std::uint32_t& number) {
  const std::size_t bar = name.find('_');
  if (bar == 0 || bar == std::string::npos || bar + 1 == name.size() || bar > 18 || name.size() - bar > 4)
    return false;
  time = 0;
  number = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (i == bar) continue;
    if (name[i] < '0' || name[i] > '9') return false;
    if (i < bar)
      time = time * 10 + (name[i] - '0');
    else
      number = number * 10 + static_cast<std::uint32_t>(name[i] - '0');
  }
  return true;
}

// The scan's name and the outputs' extension, from the overlay's file name "<name>_Overlaid<ext>".
bool ParseOverlayName(const std::string& file, std::string& name, std::string& extension) {
  const std::size_t dot = file.rfind('.');
  const std::string stem = file.substr(0, dot);
  const std::size_t suffix = sizeof kOverlaid - 1;
  if (stem.size() <= suffix || stem.compare(stem.size() - suffix, suffix, kOverlaid) != 0) return false;
  name = stem.substr(0, stem.size() - suffix);
  extension = dot == std::string::npos ? std::string() : file.substr(dot);
  return true;
}

}  // namespace

Outbox::Outbox(FileSystem& fs, std::string folder, LeadByteTest isLead)
    : m_fs(fs), m_folder(std::move(folder)), m_isLead(isLead) {}

std::optional<std::string> Outbox::OpenSlot(std::int64_t captureTime) {
  if (!m_fs.IsDirectory(m_folder)) m_fs.MakeDirectory(m_folder);
  if (!m_fs.IsDirectory(m_folder) || captureTime < 0) return std::nullopt;
  for (std::uint32_t number = 1; number <= kMaxSlotsPerSecond; ++number) {
    const std::string slot = Join(m_folder, std::to_string(captureTime) + "_" + std::to_string(number));
    if (slot.size() >= kMaxPath) return std::nullopt;
    if (!m_fs.Exists(slot) && m_fs.MakeDirectory(slot)) return slot;
  }
  return std::nullopt;
}

void Outbox::DropSlot(const std::string& slot) {
  for (const std::string& folder : {Join(slot, "Original"), slot}) {
    std::vector<FolderEntry> entries;
    m_fs.ListFolder(folder, entries);
    for (const FolderEntry& entry : entries)
      if (!entry.folder) m_fs.RemoveFile(Join(folder, entry.name));
    m_fs.RemoveFolder(folder);
  }
}

std::vector<Outbox::Slot> Outbox::Waiting() {
  std::vector<Slot> slots;
  std::vector<FolderEntry> entries;
  if (!m_fs.ListFolder(m_folder, entries)) return slots;
  for (const FolderEntry& entry : entries) {
    Slot slot;
    if (entry.folder && ParseSlotName(entry.name, slot.captureTime, slot.number)) {
      slot.path = Join(m_folder, entry.name);
      // A slot without a whole save (the program ended while writing it) is left for a person to
      // look at: it waits for nothing.
      if (WholeSave(slot)) slots.push_back(slot);
    }
  }
  std::sort(slots.begin(), slots.end(), [](const Slot& a, const Slot& b) {
    return a.captureTime != b.captureTime ? a.captureTime < b.captureTime : a.number < b.number;
  });
  return slots;
}

bool Outbox::WholeSave(Slot& slot) {
  std::vector<FolderEntry> entries;
  m_fs.ListFolder(slot.path, entries);
  const auto overlay = std::find_if(entries.begin(), entries.end(), [&](const FolderEntry& entry) {
    return !entry.folder && ParseOverlayName(entry.name, slot.name, slot.extension);
  });
  if (overlay == entries.end()) return false;
  slot.files = {Join(slot.path, "Original\\" + slot.name + "_Screenshot" + slot.extension),
                Join(slot.path, "Original\\" + slot.name + slot.extension), Join(slot.path, overlay->name)};
  return m_fs.Exists(slot.files.screenshot) && m_fs.Exists(slot.files.original);
}

bool Outbox::HasWaiting() { return !Waiting().empty(); }

std::vector<DeliveredSave> Outbox::Deliver(const std::string& saveFolder) {
  std::vector<DeliveredSave> delivered;
  for (const Slot& slot : Waiting()) {
    // A folder away takes none of them; one that refuses a save (all its names taken, a path too
    // long there) may still take the next: that one waits, kept.
    if (!m_fs.IsDirectory(saveFolder)) break;
    DeliveredSave one;
    if (DeliverSlot(slot, saveFolder, one)) delivered.push_back(std::move(one));
  }
  return delivered;
}

bool Outbox::DeliverSlot(const Slot& slot, const std::string& saveFolder, DeliveredSave& delivered) {
  const OutputPaths& from = slot.files;
  OutputPaths to;
  if (!ChooseOutputNames(m_fs, saveFolder, slot.name, slot.extension, to, m_isLead)) return false;
  // In the order a save writes them; whatever was copied goes again when a later one fails.
  const std::pair<const std::string*, const std::string*> copies[] = {
      {&from.screenshot, &to.screenshot}, {&from.original, &to.original}, {&from.overlaid, &to.overlaid}};
  std::vector<const std::string*> made;
  for (const auto& [source, target] : copies) {
    if (m_fs.CopyToNew(*source, *target) != CopyResult::kCopied) break;
    made.push_back(target);
  }
  // The save counts as delivered once its overlay has left the outbox: until then a later
  // delivery would copy it again.
  if (made.size() != 3 || !m_fs.RemoveFile(from.overlaid)) {
    for (const std::string* target : made) m_fs.RemoveFile(*target);
    return false;
  }
  DropSlot(slot.path);
  delivered = DeliveredSave{to.overlaid, slot.name, slot.captureTime};
  return true;
}

}  // namespace zt
