# Writes OUT, the notices shipped beside the programs: the licences of the libraries linked into
# them, from the sources the build used (DEPS/src, unpacked by scripts/build-mingw-deps.sh) and
# from Debian's records of the mingw-w64 packages.
#   cmake -D OUT=<file> -D DEPS=<prefix> -P notices.cmake
set(sections
  "libjpeg-turbo (JPEG reading and writing)|${DEPS}/src/libjpeg-turbo/libjpeg-turbo-*/LICENSE.md"
  "libjpeg-turbo: the Independent JPEG Group's licence|${DEPS}/src/libjpeg-turbo/libjpeg-turbo-*/README.ijg"
  "libtiff (TIFF reading and writing)|${DEPS}/src/tiff/tiff-*/LICENSE.md"
  "qpdf (PDF reading and writing)|${DEPS}/src/qpdf/qpdf-*/LICENSE.txt"
  "qpdf: notice|${DEPS}/src/qpdf/qpdf-*/NOTICE.md"
  "zlib (compression)|/usr/share/doc/libz-mingw-w64-dev/copyright"
  "mingw-w64 runtime (C runtime start-up, threads)|/usr/share/doc/mingw-w64-common/copyright")

set(text "Zentab Lumbrel contains the following libraries. Their licences follow.\n")
foreach(section IN LISTS sections)
  string(REPLACE "|" ";" parts "${section}")
  list(GET parts 0 title)
  list(GET parts 1 pattern)
  file(GLOB found ${pattern})
  list(LENGTH found n)
  if(NOT n EQUAL 1)
    message(FATAL_ERROR "notices: expected one file for '${title}' at ${pattern}, found ${n}")
  endif()
  file(READ ${found} licence)
  string(REPEAT "=" 78 rule)
  string(APPEND text "\n${rule}\n${title}\n${rule}\n\n${licence}")
endforeach()
# Windows users open this with Notepad: CR LF line ends.
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT} "${text}")
