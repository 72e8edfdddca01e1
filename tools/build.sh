#!/usr/bin/env bash
# Builds one architecture: dependencies (or their cache), configure, compile.
# Usage: tools/build.sh [i686|x86_64] [build-dir] [target...]   (defaults: i686, build/i686, all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-i686}
build=${2:-$root/build/$arch}
shift $(( $# < 2 ? $# : 2 ))
mkdir -p "$build"

prefix=$("$root/deps/build-deps.sh" "$arch" | tail -1) || exit 1
. "$root/tools/wine/env.sh"
wine_tests=ON
[ "$arch" = i686 ] && [ "$(wine_env_arch)" != i686 ] && wine_tests=OFF
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" -DDEPS_PREFIX="$prefix" -DZEL_WINE_TESTS=$wine_tests >"$build.configure.log" 2>&1 \
  || { # A stop of the project's own (a port that clashes, say) is all that is worth reading.
       sed -n '/^CMake Error/,$p' "$build.configure.log" | grep . >&2 || cat "$build.configure.log" >&2
       echo "build: configuring $arch failed (the whole log: $build.configure.log)" >&2; exit 1; }
cmake --build "$build" -j "$(nproc)" ${1:+--target "$@"} || { echo "build: compiling $arch failed" >&2; exit 1; }
