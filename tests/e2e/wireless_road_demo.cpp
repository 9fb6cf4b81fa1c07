// The wireless road shown end to end, as a user meets it: ZTLumbrel and the SD checker installed
// below %PROGRAMFILES%, a slide on the screen, a scan with marker ink arriving on a simulated
// wireless card, and the three files that come out. Run by scripts/run.sh (and once by CTest)
// through tests/e2e/run_e2e.py, which starts the card and passes ZT_CARD_URL,
// ZT_CHECKER_EXE (beside it the sdwifi.ini for the card) and ZT_LUMBREL_EXE (the build folder's
// ZTLumbrel.exe, its library, Lang\ and Help\ beside it). Ends with 0 when every step worked,
// otherwise with 1 and the step that failed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/sd_channel.h"
#include "common/win32/application.h"
#include "common/win32/directory_walk.h"
#include "common/win32/gdi_handles.h"
#include "common/win32/handles.h"
#include "cvimgfileio/cvimgfileio.h"
#include "overlay/shell/frame/win32/main_frame.h"
#include "overlay/shell/resource.h"
#include "overlay/shell/settings/win32/app_settings.h"
#include "tests/support/dib_section.h"
#include "tests/support/lumbrel_look.h"
#include "tests/support/png_file.h"
#include "tests/support/shell_wine_fixture.h"
#include "tests/support/simulated_card.h"
#include "tests/support/wine_process.h"

namespace zt::shell::demo {
namespace {

using winetest::Env;
using winetest::WaitFor;

class StepFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void Require(bool ok, const std::string& what) {
  if (!ok) throw StepFailed(what);
}

void Say(const std::string& line) {
  std::printf("wireless road demo: %s\n", line.c_str());
  std::fflush(stdout);
}

std::string FolderOfPath(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

// ---- Installing as the installer does -----------------------------------------------------------

// Files copied below %PROGRAMFILES%; the destructor deletes exactly those and the folders it
// made, so nothing else that lives there is touched.
class Installation {
 public:
  Installation() = default;
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;
  ~Installation() {
    for (auto it = m_files.rbegin(); it != m_files.rend(); ++it) DeleteFileA(it->c_str());
    for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it) RemoveDirectoryA(it->c_str());
  }

  void Folder(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    Require(CreateDirectoryA(path.c_str(), nullptr) != FALSE, "cannot make " + path);
    m_folders.push_back(path);
  }

  void File(const std::string& from, const std::string& to) {
    Require(CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE, "cannot install " + from + " as " + to);
    m_files.push_back(to);
  }

  // Every file of a folder (no subfolders) into a folder of that name below to.
  void FolderOfFiles(const std::string& from, const std::string& to) {
    Folder(to);
    const bool found = app::ForEachEntry(from + "\\*", [&](const WIN32_FIND_DATAA& entry) {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        File(from + "\\" + entry.cFileName, to + "\\" + entry.cFileName);
    });
    Require(found, "nothing to install in " + from);
  }

 private:
  std::vector<std::string> m_files;
  std::vector<std::string> m_folders;
};

// ---- The slide on the screen ----------------------------------------------------------------------

constexpr RECT kSlide{160, 120, 1440, 960};
constexpr int kTitleHeight = 100;
constexpr int kBaseline = 880;  // screen row of the bars' foot
struct Bar {
  int left, height;
  COLORREF colour;
  const char* label;
};
constexpr Bar kBars[] = {{300, 300, RGB(230, 120, 40), "Q1"},
                         {520, 420, RGB(60, 170, 90), "Q2"},
                         {740, 560, RGB(50, 110, 210), "Q3"},
                         {960, 380, RGB(150, 80, 180), "Q4"}};
constexpr int kBarWidth = 140;
constexpr COLORREF kSlidePaper = RGB(246, 244, 236);
constexpr COLORREF kTitleBand = RGB(20, 90, 120);

void PaintSlide(HWND w) {
  app::PaintDc paint(w);
  const HDC dc = paint.Get();
  RECT client;
  GetClientRect(w, &client);
  app::Brush paper(CreateSolidBrush(kSlidePaper)), band(CreateSolidBrush(kTitleBand));
  FillRect(dc, &client, paper.Get());
  RECT title{0, 0, client.right, kTitleHeight};
  FillRect(dc, &title, band.Get());
  SetBkMode(dc, TRANSPARENT);
  app::Font big(
      CreateFontA(56, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, "Arial"));
  app::Font small(
      CreateFontA(32, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, "Arial"));
  {
    app::SelectGuard font(dc, big.Get());
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, 40, 20, "Sales by quarter", 16);
  }
  app::SelectGuard font(dc, small.Get());
  SetTextColor(dc, RGB(40, 40, 40));
  for (const Bar& bar : kBars) {
    app::Brush fill(CreateSolidBrush(bar.colour));
    RECT r{bar.left - kSlide.left, kBaseline - bar.height - kSlide.top, bar.left + kBarWidth - kSlide.left,
           kBaseline - kSlide.top};
    FillRect(dc, &r, fill.Get());
    TextOutA(dc, r.left + kBarWidth / 2 - 18, r.bottom + 12, bar.label, 2);
  }
}

LRESULT CALLBACK SlideProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_PAINT) {
    PaintSlide(w);
    return 0;
  }
  return DefWindowProcA(w, message, wParam, lParam);
}

// A topmost window that never takes the focus from ZTLumbrel's dialogs.
class Slide {
 public:
  Slide() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &SlideProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZtDemoSlide";
    RegisterClassA(&wc);
    m_hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, "",
                             WS_POPUP, kSlide.left, kSlide.top, kSlide.right - kSlide.left,
                             kSlide.bottom - kSlide.top, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(m_hwnd);
  }
  ~Slide() { DestroyWindow(m_hwnd); }
  Slide(const Slide&) = delete;
  Slide& operator=(const Slide&) = delete;
  bool Shown() const { return m_hwnd && IsWindowVisible(m_hwnd); }

 private:
  HWND m_hwnd = nullptr;
};

// ---- The whiteboard scan ------------------------------------------------------------------------

// The board writes its scans upright on a portrait page; ZTLumbrel turns them a quarter turn
// anticlockwise. The ink is drawn on the landscape board as the user sees it, then stored turned
// the other way. At the default calibration the landscape board covers the screen's height, so a
// board point is the screen point divided by kBoardToScreen.
constexpr int kBoardWidth = 1200, kBoardHeight = 900;
constexpr double kBoardToScreen = 1080.0 / kBoardHeight;
constexpr COLORREF kMarker = RGB(25, 35, 120);
constexpr POINT kArrowFrom{1000, 290}, kArrowTo{790, 380};  // board pixels

POINT OnBoard(int screenX, int screenY) {
  return {static_cast<LONG>(screenX / kBoardToScreen), static_cast<LONG>(screenY / kBoardToScreen)};
}

void DrawInk(HDC dc) {
  RECT board{0, 0, kBoardWidth, kBoardHeight};
  app::Brush whiteboard(CreateSolidBrush(RGB(244, 244, 244)));
  FillRect(dc, &board, whiteboard.Get());
  app::Pen marker(CreatePen(PS_SOLID, 9, kMarker));
  app::SelectGuard pen(dc, marker.Get());
  app::SelectGuard brush(dc, GetStockObject(HOLLOW_BRUSH));
  // A ring round the best bar.
  const Bar& best = kBars[2];
  const POINT ringFrom = OnBoard(best.left - 45, kBaseline - best.height - 45);
  const POINT ringTo = OnBoard(best.left + kBarWidth + 45, kBaseline + 30);
  Ellipse(dc, ringFrom.x, ringFrom.y, ringTo.x, ringTo.y);
  // An arrow from the note to the ring.
  MoveToEx(dc, kArrowFrom.x, kArrowFrom.y, nullptr);
  LineTo(dc, kArrowTo.x, kArrowTo.y);
  LineTo(dc, kArrowTo.x + 40, kArrowTo.y - 2);
  MoveToEx(dc, kArrowTo.x, kArrowTo.y, nullptr);
  LineTo(dc, kArrowTo.x + 18, kArrowTo.y - 36);
  // The note.
  app::Font hand(
      CreateFontA(64, 0, 0, 0, FW_BOLD, TRUE, 0, 0, ANSI_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, "Arial"));
  app::SelectGuard font(dc, hand.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kMarker);
  TextOutA(dc, 860, 205, "best one!", 9);
}

// Draws the board, turns it to the stored portrait page and writes it as the board's JPEG.
void WriteBoardScan(const std::string& path) {
  void* bits = nullptr;
  const app::Bitmap section = winetest::TopDownSection(nullptr, kBoardWidth, kBoardHeight, 24, &bits);
  app::UniqueDc dc(CreateCompatibleDC(nullptr));
  Require(section && bits && dc, "cannot draw the board");
  {
    app::SelectGuard selected(dc.Get(), section.Get());
    DrawInk(dc.Get());
    GdiFlush();
  }
  const int boardRow = (kBoardWidth * 3 + 3) & ~3;
  // The page: kBoardHeight wide, kBoardWidth high. Turning it anticlockwise must give the board
  // back: page column x, top-down row y becomes board column y, row (page width - 1 - x).
  const int pageWidth = kBoardHeight, pageHeight = kBoardWidth;
  const int pageRow = (pageWidth * 3 + 3) & ~3;
  std::vector<unsigned char> dib(sizeof(BITMAPINFOHEADER) + static_cast<size_t>(pageRow) * pageHeight);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = pageWidth;
  header.biHeight = pageHeight;  // bottom-up
  header.biPlanes = 1;
  header.biBitCount = 24;
  std::copy_n(reinterpret_cast<const unsigned char*>(&header), sizeof header, dib.begin());
  const auto* board = static_cast<const unsigned char*>(bits);
  for (int y = 0; y < pageHeight; ++y) {
    unsigned char* out = dib.data() + sizeof header + static_cast<size_t>(pageHeight - 1 - y) * pageRow;
    for (int x = 0; x < pageWidth; ++x) {
      const unsigned char* in = board + static_cast<size_t>(pageWidth - 1 - x) * boardRow + y * 3;
      std::copy_n(in, 3, out + x * 3);
    }
  }
  DeleteFileA(path.c_str());
  Require(IMGFILE_WriteDib2File(dib.data(), 96, 96, 0, 0, 0, 0, IMGFILE_FORMAT_JPEG, path.c_str(), 0) ==
              IMGFILE_OK,
          "cannot write the scan " + path);
}

// ---- The card and ZTLumbrel ---------------------------------------------------------------------

void CardControl(const std::string& what) {
  Require(winetest::CardControl(what), "the simulated card does not answer " + what);
}

std::string ImageOf(DWORD process) {
  app::UniqueHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  char path[MAX_PATH] = {};
  DWORD size = sizeof path;
  return handle && QueryFullProcessImageNameA(handle.Get(), 0, path, &size) ? std::string(path, size) : "";
}

std::string Describe(COLORREF c) {
  char text[40];
  std::snprintf(text, sizeof text, "rgb(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return c == CLR_INVALID ? "nothing" : text;
}

// Cleans up whatever the steps leave: a program still running is ended, the settings go.
struct Leftovers {
  winetest::Program program;
  ~Leftovers() {
    if (program.Runs()) TerminateProcess(program.process.Get(), 1);
    winetest::ResetStore();
  }
};

int Run() {
  const std::string built = Env("ZT_LUMBREL_EXE"), checkerBuilt = Env("ZT_CHECKER_EXE");
  Require(!Env("ZT_CARD_URL").empty() && !built.empty() && !checkerBuilt.empty(),
          "run through tests/e2e/run_e2e.py with --lumbrel");
  const std::string work = FolderOfPath(checkerBuilt);
  const std::string corvane = Env("PROGRAMFILES") + "\\Corvane";
  const std::string lumbrelFolder = corvane + "\\Zentab Lumbrel",
                    checkerFolder = corvane + "\\Zentab SD WiFi";

  Leftovers leftovers;
  Installation installed;
  installed.Folder(corvane);
  installed.Folder(lumbrelFolder);
  const std::string builtFolder = FolderOfPath(built);
  installed.File(built, lumbrelFolder + "\\ZTLumbrel.exe");
  installed.File(builtFolder + "CvImgFileIO.dll", lumbrelFolder + "\\CvImgFileIO.dll");
  installed.FolderOfFiles(builtFolder + "Lang", lumbrelFolder + "\\Lang");
  installed.FolderOfFiles(builtFolder + "Help", lumbrelFolder + "\\Help");
  installed.Folder(checkerFolder);
  installed.File(checkerBuilt, checkerFolder + "\\ZTChkSDWiFi.exe");
  installed.File(work + "sdwifi.ini", checkerFolder + "\\sdwifi.ini");
  Say("installed in " + lumbrelFolder + " and " + checkerFolder);

  // Auto-save into a folder of the work area, at the default calibration.
  winetest::ResetStore();
  const std::string saves = work + "saves";
  CreateDirectoryA(saves.c_str(), nullptr);
  std::string downloads;
  {
    CAppSettings settings;
    Require(settings.SaveAllSettings(winetest::SavingInto(saves)), "cannot store the settings");
    downloads = settings.SdDownloadFolder();
  }

  Slide slide;
  Require(slide.Shown(), "the slide does not show");
  winetest::Pump(300);

  Require(FindWindowA(sdchannel::kCheckerWindowClass, nullptr) == nullptr, "an SD checker already runs");
  leftovers.program = winetest::Start(lumbrelFolder + "\\ZTLumbrel.exe");
  const winetest::Program& program = leftovers.program;
  Require(static_cast<bool>(program), "cannot start ZTLumbrel.exe from " + lumbrelFolder);
  Say("started ZTLumbrel.exe from Program Files");

  // Without a board ZTLumbrel opens its settings dialog once; the user closes it, and the
  // calibration hint that came with it.
  HWND dialog = nullptr;
  Require(WaitFor([&] { return (dialog = winetest::SettingsDialogOf(program.id)) != nullptr; }, 20000),
          "ZTLumbrel opened no settings dialog at start");
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  Require(WaitFor([&] { return !IsWindow(dialog); }, 5000), "the settings dialog does not close");
  if (HWND hint = winetest::DialogOf(program.id, IDC_CALIB_TEXT)) PostMessageA(hint, WM_COMMAND, IDOK, 0);
  Say("closed the start-up settings dialog");

  // ZTLumbrel starts the installed checker and registers with it.
  Require(WaitFor([] { return winetest::CheckerProcessId() != 0; }, 10000),
          "ZTLumbrel started no SD checker");
  const DWORD checkerId = winetest::CheckerProcessId();
  const std::string checkerImage = ImageOf(checkerId);
  Require(lstrcmpiA(checkerImage.c_str(), (checkerFolder + "\\ZTChkSDWiFi.exe").c_str()) == 0,
          "the checker runs from " + checkerImage);
  app::UniqueHandle checker(OpenProcess(SYNCHRONIZE, FALSE, checkerId));
  Require(static_cast<bool>(checker), "cannot watch the checker");
  Say("ZTLumbrel started " + checkerImage);
  winetest::Pump(1000);
  // The card comes up; the checker's first look learns what is already on it.
  CardControl("root?mode=normal");
  winetest::Pump(2500);

  const std::string name = "05011130.JPG";
  const std::string scan = work + name;
  WriteBoardScan(scan);
  const std::vector<std::string> outputs = winetest::ScanOutputs(saves, name);
  const ULONGLONG arrival = GetTickCount64();
  CardControl("add?folder=DCIM&name=" + name + "&minute=30&file=" + winetest::UnixPath(scan));
  Say("a whiteboard scan is on the card: " + name);
  Require(WaitFor([&] { return winetest::AllExist(outputs); }, 30000),
          "the scan did not become the three files in " + saves);
  Say("the three files, " + std::to_string(GetTickCount64() - arrival) +
      " ms after the scan reached the card:");
  winetest::Pump(500);  // the files are complete
  for (const std::string& output : outputs) Say("  " + output + "  (" + winetest::UnixPath(output) + ")");

  const winetest::Picture overlay = winetest::LoadPicture(outputs[0]);
  Require(overlay.Loaded(), "CvImgFileIO cannot read " + outputs[0]);
  const std::string png = ZT_ARTIFACT_DIR "/wireless_overlay.png";
  Require(winetest::WritePng(overlay.width, overlay.height, overlay.pixels, png), "cannot write " + png);
  Say("the overlay as a picture: " + winetest::UnixPath(png));
  // The marker ink lies over the slide: the arrow's shaft is ink, a bar away from the ink shows.
  const POINT shaft{static_cast<LONG>((kArrowFrom.x + kArrowTo.x) / 2 * kBoardToScreen),
                    static_cast<LONG>((kArrowFrom.y + kArrowTo.y) / 2 * kBoardToScreen)};
  const COLORREF ink = overlay.AtScreen(shaft.x, shaft.y);
  Require(winetest::Near(ink, kMarker, 48),
          "the overlay shows " + Describe(ink) + " where the arrow's ink is");
  const COLORREF bar = overlay.AtScreen(kBars[0].left + kBarWidth / 2, kBaseline - kBars[0].height / 2);
  Require(winetest::Near(bar, kBars[0].colour, 24),
          "the overlay shows " + Describe(bar) + " on the slide's first bar");

  // Exit from the tray menu: ZTLumbrel unregisters, the checker ends, the downloads go.
  const HWND frame = FindWindowA(kFrameClassName, nullptr);
  Require(frame != nullptr, "ZTLumbrel's frame has gone");
  PostMessageA(frame, WM_COMMAND, ID_TRAY_EXIT, 0);
  Require(WaitForSingleObject(program.process.Get(), 15000) == WAIT_OBJECT_0, "ZTLumbrel does not exit");
  Require(WaitForSingleObject(checker.Get(), 10000) == WAIT_OBJECT_0, "the checker outlives ZTLumbrel");
  Require(winetest::FolderIsEmpty(downloads), "ZTLumbrel left downloads in " + downloads);
  Say("exited from the tray menu; the checker ended and the download folder is empty");
  return 0;
}

}  // namespace
}  // namespace zt::shell::demo

int main() {
  try {
    const int code = zt::shell::demo::Run();
    zt::shell::demo::Say("removed what it installed; done");
    return code;
  } catch (const std::exception& e) {
    zt::shell::demo::Say(std::string("FAILED: ") + e.what());
    return 1;
  }
}
