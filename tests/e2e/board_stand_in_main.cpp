// A test build of ZTLumbrel.exe: the real program, with the stand-in board on the drive letter
// named by ZT_BOARD_LETTER.
#include <windows.h>

#include <memory>

#include "overlay/shell/frame/win32/image_merge_app.h"
#include "stand_in_board_tree.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char letter[4] = {};
  if (GetEnvironmentVariableA("ZT_BOARD_LETTER", letter, sizeof letter) != 1) return 2;
  return zt::shell::RunImageMergeApp(std::make_unique<zt::shell::StandInBoardTree>(letter[0]));
}
