# Sourced by test.sh and run.sh: the two Windows builds of the same sources and the choice of the
# one the Wine tests run on.
#   i686   build/mingw-i686    what ships: the programs are 32-bit processes on every PC
#   x86_64 build/mingw-x86_64  the tests' stand-in where the kernel runs no 32-bit processes

zt_deps_root=${ZT_DEPS_ROOT:-/var/cache/ztlumbrel}

# zt_build_windows ARCH WERROR: configures and builds build/mingw-ARCH.
zt_build_windows() {
  local arch=$1 werror=$2 prefix="$zt_deps_root/mingw-deps-$1"
  echo "== Windows build, $arch"
  cmake -S . -B "build/mingw-$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" -DZT_DEPS_PREFIX="$prefix" \
    -DZT_WERROR="$werror" >/dev/null
  cmake --build "build/mingw-$arch" -j"${ZT_JOBS:-2}"
}

# Prints the build whose programs this machine can run under Wine, and on stderr why.
# ZT_WINE_BUILD=i686|x86_64 chooses by hand (x86_64 also runs where 32-bit processes do).
zt_wine_build() {
  case "${ZT_WINE_BUILD:-}" in
    i686|x86_64) echo "$ZT_WINE_BUILD"; echo "chosen by ZT_WINE_BUILD" >&2; return ;;
    "") ;;
    *) echo "ZT_WINE_BUILD must be i686 or x86_64, not '$ZT_WINE_BUILD'" >&2; return 1 ;;
  esac
  if bash scripts/can-run-32bit.sh; then
    echo i686; echo "this machine runs 32-bit processes" >&2
  else
    echo x86_64; echo "this machine runs no 32-bit processes" >&2
  fi
}
