// CvImgFileIO.dll: the exports come from the static library through the .def file.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
