// The handout as a PDF, read and written with qpdf: one page per overlay, sized to the overlay's
// image, which keeps its own encoding (a JPEG overlay's bytes and a PDF overlay's JPEG stream go
// in as they are; a TIFF overlay's pixels are compressed without loss), an outline entry per page
// and the lesson named in the title. The lesson's key in the document information marks the
// file as this lesson's handout.
#pragma once

#include <string>
#include <vector>

#include "overlay/engine/handout/lesson_folder.h"
#include "overlay/imgfile/image_files.h"

namespace zt {

enum class HandoutCheck {
  Ours,     // the lesson's handout, whole
  Damaged,  // not a PDF that reads without repair
  Foreign,  // a PDF, but not this lesson's handout
};

// What bytes of a file with the handout's name are; for the lesson's handout also the names of
// the overlays its pages were made from, in page order, when pages is given.
HandoutCheck CheckHandout(const std::string& bytes, const std::string& lessonKey,
                          std::vector<std::string>* pages = nullptr);

struct HandoutPage {
  std::string overlayPath;
  std::string name;     // the overlay's name, kept in the document
  std::string outline;  // UTF-8
};

struct HandoutIdentity {
  std::string lessonKey;
  std::string title;  // UTF-8
};

// The handout with base's pages (base empty: a new document) followed by one page per entry of
// pages: in out the bytes that follow base in the new version when appended is true (an
// incremental update), or else the whole new version. An overlay that cannot be made into a page
// (unreadable, not an image) is left out and named in skipped. False when base does not read as
// the lesson's handout or the document cannot be written; out is then unchanged.
bool ComposeHandout(const std::string& base, const HandoutIdentity& identity,
                    const std::vector<HandoutPage>& pages, LessonFolder& folder, ImageFiles& images,
                    std::string& out, bool& appended, std::vector<std::string>& skipped);

}  // namespace zt
