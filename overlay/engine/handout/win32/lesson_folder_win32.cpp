// The save folder on Windows. The handout is replaced by MoveFileEx, one rename in the folder,
// so a crash or a power cut leaves the old or the new file, never a part of one; a viewer that
// holds the file open without sharing its deletion makes the replace fail and changes nothing.
#include <windows.h>

#include <algorithm>

#include "common/mbcs_path.h"
#include "common/win32/directory_walk.h"
#include "common/win32/handles.h"
#include "overlay/engine/handout/lesson_folder.h"

namespace zt {

namespace {

// FILETIME counts 100 ns steps since 1601; the lesson counts seconds since 1970.
std::int64_t UnixSeconds(const FILETIME& ft) {
  const std::int64_t ticks =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  return ticks / 10000000 - 11644473600LL;
}

std::string WithSeparator(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : WithBackslash(folder);
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD put = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &put, nullptr) || put == 0) return false;
    done += put;
  }
  return true;
}

class Win32LessonFolder final : public LessonFolder {
 public:
  bool List(const std::string& folder, std::vector<FolderFile>& files) override {
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    app::ForEachEntry(WithSeparator(folder) + "*", [&](const WIN32_FIND_DATAA& found) {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        files.push_back({found.cFileName, UnixSeconds(found.ftLastWriteTime)});
    });
    return true;
  }

  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool Read(const std::string& path, std::string& bytes) override {
    app::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    return bytes.empty() ||
           (ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) &&
            got == bytes.size());
  }

  bool WriteNew(const std::string& path, const std::string& head, const std::string& tail) override {
    app::UniqueHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const bool written =
        WriteAll(file.Get(), head) && WriteAll(file.Get(), tail) && FlushFileBuffers(file.Get());
    file.Reset();
    if (written) return true;
    DeleteFileA(path.c_str());
    return false;
  }

  bool Replace(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }

  bool RenameToNew(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
  }

  bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }
};

}  // namespace

std::unique_ptr<LessonFolder> MakeSystemLessonFolder() { return std::make_unique<Win32LessonFolder>(); }

}  // namespace zt
