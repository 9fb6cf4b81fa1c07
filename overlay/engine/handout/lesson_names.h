// The names a lesson gives and recognises in the save folder: its handout, named from the
// lesson's start in local time ("Lesson_20261209_0915.pdf", then "_2", "_3" ... for the files
// that continue it), and the overlays the save writes, which are the lesson's pages.
#pragma once

#include <cstdint>
#include <string>

namespace zt {

// A moment in local time, as the lesson's names and outline show it.
struct LocalTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// "YYYYMMDD_HHMM": sorts as time does, so keys compare as the moments they name.
std::string LessonKey(const LocalTime& t);
// The handout of the lesson with key: number 1 is "Lesson_<key>.pdf", later ones add "_<number>".
std::string HandoutName(const std::string& key, int number);
// The key and number of a handout's name (".pdf" in any case); false for any other name.
bool ParseHandoutName(const std::string& name, std::string& key, int& number);
// True for the name of an overlay as the save writes it: "<scan>_Overlaid" with or without the
// "_NNN" counter, and the extension of a JPEG, PDF or TIFF file in any case.
bool IsOverlayName(const std::string& name);
// The scan's name in an overlay's name: what comes before "_Overlaid".
std::string ScanNameOfOverlay(const std::string& overlayName);
// The PDF's title from the lesson's key, "Lesson 2026-12-09 09:15", and a page's outline entry,
// "09:15:32  SCAN0001".
std::string HandoutTitle(const std::string& key);
std::string OutlineTitle(const LocalTime& capture, const std::string& scanName);

}  // namespace zt
