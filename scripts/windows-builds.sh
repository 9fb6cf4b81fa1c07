# Sourced by test.sh and run.sh: the two Windows builds of the same sources, the choice of the
# one the Wine tests run on, and the timing of each step.
#   i686   build/mingw-i686    what ships: the programs are 32-bit processes on every PC
#   x86_64 build/mingw-x86_64  the tests' stand-in where the kernel runs no 32-bit processes
# Both commands configure a tree the same way (warnings as errors, as CI builds), so that either
# one reuses what the other built instead of rebuilding it.

zt_deps_root=${ZT_DEPS_ROOT:-/var/cache/ztlumbrel}

# zt_step NAME COMMAND...: runs the command under a heading and prints how long it took.
zt_step() {
  local name=$1 start=$SECONDS status=0
  shift
  echo "== $name"
  "$@" || status=$?
  echo "== $name: $((SECONDS - start)) s"
  return $status
}

# zt_build_windows ARCH [TARGET...]: configures build/mingw-ARCH and builds the targets (all
# when none is named).
zt_build_windows() {
  local arch=$1 prefix="$zt_deps_root/mingw-deps-$1"
  shift
  cmake -S . -B "build/mingw-$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" -DZT_DEPS_PREFIX="$prefix" \
    -DZT_WERROR=ON >/dev/null || return
  local targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  cmake --build "build/mingw-$arch" -j"${ZT_JOBS:-2}" "${targets[@]}"
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
