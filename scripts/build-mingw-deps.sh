#!/usr/bin/env bash
# Cross-builds libjpeg-turbo, libtiff and qpdf (static) for ARCH-w64-mingw32 (ARCH i686 or
# x86_64) from Debian's source packages into PREFIX. Each library is built once; a stamp file
# marks it done.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: build-mingw-deps.sh i686|x86_64 PREFIX"
arch=${1:?$usage}
prefix=${2:?$usage}
case "$arch" in i686|x86_64) ;; *) echo "$usage" >&2; exit 2 ;; esac
triple=$arch-w64-mingw32
toolchain="$here/cmake/mingw-$arch.cmake"
jobs=${ZT_JOBS:-2}
mkdir -p "$prefix/src"

# Look only at the cross prefix: native headers must never leak in.
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PKG_CONFIG_PATH=

fetch() {  # fetch NAME -> prints the unpacked source folder
  local name=$1 dir
  dir=$(find "$prefix/src/$name" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | head -n 1 || true)
  if [ -z "$dir" ]; then
    rm -rf "$prefix/src/$name"; mkdir -p "$prefix/src/$name"
    (cd "$prefix/src/$name" && apt-get source -q --download-only "$name" >&2 \
      && dpkg-source -x --no-check ./*.dsc >&2)
    dir=$(find "$prefix/src/$name" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  fi
  echo "$dir"
}

build() {  # build NAME SRC TARGET... -- CMAKE_ARGS...
  local name=$1 src=$2; shift 2
  local targets=()
  while [ "$1" != "--" ]; do targets+=("$1"); shift; done; shift
  local bdir="$prefix/build/$name"
  rm -rf "$bdir"
  cmake -S "$src" -B "$bdir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  for t in "${targets[@]}"; do cmake --build "$bdir" -j"$jobs" --target "$t" >/dev/null; done
}

# With the codec's own vector code (assembled by nasm): without it JPEG runs several times slower.
# REQUIRE_SIMD makes its absence a build failure; the stamp's name marks a prefix built this way,
# so an older prefix without it is rebuilt.
if [ ! -f "$prefix/.done-libjpeg-turbo-simd" ]; then
  echo "deps: cross-building libjpeg-turbo with its SIMD code for $arch"
  command -v nasm >/dev/null || { echo "deps: nasm is missing (run scripts/setup.sh)" >&2; exit 1; }
  src=$(fetch libjpeg-turbo)
  build libjpeg-turbo "$src" all -- -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm -DWITH_JPEG8=OFF
  cmake --install "$prefix/build/libjpeg-turbo" >/dev/null
  touch "$prefix/.done-libjpeg-turbo-simd"
fi

if [ ! -f "$prefix/.done-tiff" ]; then
  echo "deps: cross-building libtiff for $arch"
  src=$(fetch tiff)
  build tiff "$src" tiff -- -Djpeg=ON -Dzlib=ON -Dold-jpeg=OFF -Djbig=OFF -Dlerc=OFF -Dlzma=OFF \
    -Dzstd=OFF -Dwebp=OFF -Dlibdeflate=OFF -Dpixarlog=OFF -Dcxx=OFF -Dtiff-tools=OFF \
    -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF \
    -DJPEG_INCLUDE_DIR="$prefix/include" -DJPEG_LIBRARY="$prefix/lib/libjpeg.a"
  cmake --install "$prefix/build/tiff" >/dev/null
  touch "$prefix/.done-tiff"
fi

if [ ! -f "$prefix/.done-qpdf" ]; then
  echo "deps: cross-building qpdf for $arch (takes a few minutes)"
  src=$(fetch qpdf)
  build qpdf "$src" libqpdf -- -DBUILD_STATIC_LIBS=ON -DREQUIRE_CRYPTO_NATIVE=ON \
    -DUSE_IMPLICIT_CRYPTO=OFF -DBUILD_DOC=OFF -DINSTALL_MANUAL=OFF -DINSTALL_EXAMPLES=OFF \
    -DCMAKE_CXX_FLAGS="-include cstdint" \
    -DZLIB_H_PATH=/usr/$triple/include -DZLIB_LIB_PATH=/usr/$triple/lib/libz.a \
    -DLIBJPEG_H_PATH="$prefix/include" -DLIBJPEG_LIB_PATH="$prefix/lib/libjpeg.a"
  mkdir -p "$prefix/include/qpdf" "$prefix/lib"
  cp -r "$src/include/qpdf/." "$prefix/include/qpdf/"
  cp "$prefix/build/qpdf/include/qpdf/"*.h "$prefix/include/qpdf/" 2>/dev/null || true
  find "$prefix/build/qpdf" -name 'libqpdf*.a' -exec cp {} "$prefix/lib/libqpdf.a" \;
  touch "$prefix/.done-qpdf"
fi
echo "deps: $arch prefix ready at $prefix"
