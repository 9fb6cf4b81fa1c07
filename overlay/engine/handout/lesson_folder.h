// What the lesson needs of the save folder: its list of files with their times, and whole-file
// reads and writes for the handout, which is replaced in one step so that a reader always finds
// either the old or the new version. Paths are ANSI strings with backslashes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "overlay/engine/handout/lesson_rules.h"

namespace zt {

class LessonFolder {
 public:
  virtual ~LessonFolder() = default;

  // The files (no folders) directly in folder; false when it cannot be listed.
  virtual bool List(const std::string& folder, std::vector<FolderFile>& files) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // The whole file; false when it is missing or cannot be read.
  virtual bool Read(const std::string& path, std::string& bytes) = 0;
  // A new file holding head followed by tail, on the disk when this returns; false when path
  // exists or the write fails, and then no file of ours is left under that name.
  virtual bool WriteNew(const std::string& path, const std::string& head, const std::string& tail) = 0;
  bool WriteNew(const std::string& path, const std::string& bytes) {
    return WriteNew(path, bytes, std::string());
  }
  // Renames from to to in one step, replacing to; on false both are as they were (for instance
  // while a program holds to open).
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  // Renames from to to, which must not exist.
  virtual bool RenameToNew(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
};

// The system's. Natively, backslashes in paths are taken as "/".
std::unique_ptr<LessonFolder> MakeSystemLessonFolder();

}  // namespace zt
