#!/usr/bin/env bash
# Builds the third-party libraries for i686 MinGW from Debian's source packages and keeps the
# result in a cache outside the checkout. Prints the prefix on its last line of stdout.
#
#   deps/build-deps.sh [i686|x86_64]          build (or reuse) and print the prefix
#   deps/build-deps.sh [i686|x86_64] --key    print only the cache key
#
# The programs ship as i686. The x86_64 build exists for machines that cannot execute 32-bit
# code at all (their tests then run the same sources as 64-bit programs under wine64).
#
# The cache key covers this script (with its edit of googletest), the toolchain files, the source
# package versions and the installed version of every package the build reads from (compilers,
# MinGW headers and libraries, googletest's and stb's sources, the build tools), so an upgrade of
# any of them builds anew. A miss is built into a temporary folder and renamed into place: an
# interrupted run never leaves a half-built cache behind.
#
# The cache belongs to whoever runs the build: root keeps it in /var/cache/zelloader-deps, any
# other user in $XDG_CACHE_HOME/zelloader-deps (~/.cache/zelloader-deps), so that a user with
# sudo needs it for the packages only. ZEL_DEPS_CACHE names another folder. ZEL_DEPS_JOBS limits
# the compile jobs of each library (default: one per processor).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ -n "${ZEL_DEPS_CACHE:-}" ]; then
  cache_root=$ZEL_DEPS_CACHE
elif [ "$(id -u)" = 0 ]; then
  cache_root=/var/cache/zelloader-deps
else
  cache_root=${XDG_CACHE_HOME:-${HOME:?HOME is not set}/.cache}/zelloader-deps
fi
arch=${1:-i686}
case "$arch" in i686|x86_64) ;; *) echo "deps: unknown architecture $arch" >&2; exit 1;; esac
shift || true
triple=$arch-w64-mingw32
cc=$triple-gcc-posix
cxx=$triple-g++-posix
jobs=${ZEL_DEPS_JOBS:-$(nproc)}

# Source packages. zlib is asked for by its release version: the security suite's can vanish.
sources=(libjsoncpp-dev curl 7zip zlib=1:1.2.13.dfsg-1)

die() { echo "deps: $*" >&2; exit 1; }

mingw=${arch/_/-}
command -v "$cxx" >/dev/null || die "missing compiler $cxx (package g++-mingw-w64-$mingw-posix)"
command -v apt-get >/dev/null || die "apt-get is needed to fetch source packages"

uris=$(apt-get source --print-uris -qq "${sources[@]}" 2>&1) \
  || die "cannot resolve source packages (are deb-src lines enabled?): $uris"
dscs=$(printf '%s\n' "$uris" | grep -o "[^/' ]*\.dsc'" | tr -d "'" | sort)
[ "$(printf '%s\n' "$dscs" | grep -c .)" = 4 ] || die "expected four source packages, got: $dscs"

# The installed packages the build reads from. googletest and stb are copied as sources, the
# MinGW packages give the compilers, headers, runtime and zlib, and the build tools shape the
# result too.
packages=(googletest libstb-dev libz-mingw-w64-dev "mingw-w64-$mingw-dev" "binutils-mingw-w64-$mingw"
          "gcc-mingw-w64-$mingw-posix" "g++-mingw-w64-$mingw-posix" "gcc-mingw-w64-$mingw-posix-runtime"
          cmake ninja-build make)
versions=$(dpkg-query -W -f='${Package} ${Version} ${Status}\n' "${packages[@]}" 2>&1) \
  || die "cannot read the versions of the packages the build needs (tools/setup-host.sh installs them): $versions"
printf '%s\n' "$versions" | grep -v ' install ok installed$' | grep . >&2 \
  && die "some packages the build needs are not installed (tools/setup-host.sh installs them)"

toolchain=$here/../cmake/mingw-$arch.cmake
key=$( { cat "$0" "$toolchain" "$here/../cmake/mingw-common.cmake"; printf '%s\n' "$dscs" "$versions"
         "$cxx" --version | head -1; } | sha256sum | cut -c1-16)
if [ "${1:-}" = "--key" ]; then echo "$key"; exit 0; fi

prefix=$cache_root/$arch-$key
if [ -f "$prefix/.complete" ]; then
  echo "deps: reusing $prefix" >&2
  echo "$prefix"
  exit 0
fi

# One build per key at a time: a second caller waits for the first and then reuses its result.
mkdir -p "$cache_root"
exec 9>"$cache_root/.lock-$arch-$key"
flock 9
if [ -f "$prefix/.complete" ]; then
  echo "deps: reusing $prefix" >&2
  echo "$prefix"
  exit 0
fi
work=$(mktemp -d "$cache_root/.build-$arch-$key.XXXXXX")
trap 'rm -rf "$work"' EXIT
out=$work/prefix
mkdir -p "$out/include" "$out/lib" "$out/bin" "$work/src" "$work/logs"
echo "deps: building into $work (logs in $work/logs)" >&2

# 1. Fetch and unpack the sources.
( cd "$work/src" && apt-get source --download-only -qq "${sources[@]}" >"$work/logs/fetch.log" 2>&1 ) \
  || { tail -5 "$work/logs/fetch.log" >&2; die "fetching sources failed"; }
unpack() { # tarball-glob folder
  local tb
  tb=$(ls "$work"/src/$1 | head -1) || die "no source tarball $1"
  mkdir -p "$work/src/$2"
  tar -C "$work/src/$2" --strip-components=1 -xf "$tb"
}
unpack 'libjsoncpp_*.orig.tar.*' jsoncpp
unpack 'curl_*.orig.tar.*' curl
unpack '7zip_*.orig.tar.*' 7zip
unpack 'zlib_*.orig.tar.*' zlib

cmake_common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_INSTALL_PREFIX="$out" -DBUILD_SHARED_LIBS=OFF)

build_jsoncpp() {
  cmake -S "$work/src/jsoncpp" -B "$work/b-jsoncpp" "${cmake_common[@]}" \
    -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
    -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF
  cmake --build "$work/b-jsoncpp" -j "$jobs" && cmake --install "$work/b-jsoncpp"
}

build_curl() {
  cmake -S "$work/src/curl" -B "$work/b-curl" "${cmake_common[@]}" \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON \
    -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
    -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF -DENABLE_UNIX_SOCKETS=OFF \
    -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
    -DCURL_STATICLIB=ON -DENABLE_MANUAL=OFF
  cmake --build "$work/b-curl" -j "$jobs" && cmake --install "$work/b-curl"
}

build_gtest() {
  [ -f /usr/src/googletest/CMakeLists.txt ] || { echo "missing /usr/src/googletest (package googletest)"; return 1; }
  # On Windows googletest keeps its thread-local values in a registry of its own, and the
  # first value a thread uses (the first SCOPED_TRACE or failed assertion, say) starts a thread
  # that waits for that thread to end. One still alive when the process ends can make 32-bit
  # Wine die with a Unix SIGSEGV after the test printed PASSED, and a worker's first value can
  # come just before the end as well as the main thread's. The build starts no watcher for any
  # thread: the values of a thread that ended stay until the process ends (a few bytes each, and
  # the values themselves are back at their defaults by then, as the scopes that set them have
  # closed). The edit is checked, so a googletest of another shape stops the build.
  cp -r /usr/src/googletest "$work/src/googletest"
  local port=$work/src/googletest/googletest/src/gtest-port.cc
  [ "$(grep -c 'StartWatcherThreadFor(current_thread);' "$port")" = 1 ] \
    || { echo "googletest: no single watcher start found in $port"; return 1; }
  sed -i 's|^\( *\)StartWatcherThreadFor(current_thread);$|\1/* zel: no watcher thread */|' "$port"
  [ "$(grep -c 'StartWatcherThreadFor(current_thread)' "$port")" = 0 ] \
    && [ "$(grep -c '/\* zel: no watcher thread \*/' "$port")" = 1 ] \
    || { echo "googletest: the watcher thread could not be switched off in $port"; return 1; }
  cmake -S "$work/src/googletest" -B "$work/b-gtest" "${cmake_common[@]}" -Dgtest_force_shared_crt=ON
  cmake --build "$work/b-gtest" -j "$jobs" && cmake --install "$work/b-gtest"
}

build_minizip() {
  # zlib itself comes from libz-mingw-w64-dev; minizip is built from the zlib source's contrib.
  [ -f /usr/$triple/lib/libz.a ] || { echo "missing /usr/$triple/lib/libz.a (package libz-mingw-w64-dev)"; return 1; }
  local m=$work/src/zlib/contrib/minizip o=$work/b-minizip
  mkdir -p "$o" "$out/include/minizip"
  for f in ioapi unzip zip iowin32; do
    "$cc" -O2 -c "$m/$f.c" -o "$o/$f.o" -I/usr/$triple/include -DNOCRYPT=0 || return 1
  done
  $triple-ar rcs "$out/lib/libminizip.a" "$o"/*.o
  cp "$m"/{ioapi,unzip,zip,iowin32,crypt}.h "$out/include/minizip/"
}

build_stb() {
  [ -f /usr/include/stb/stb_image.h ] || { echo "missing /usr/include/stb/stb_image.h (package libstb-dev)"; return 1; }
  mkdir -p "$out/include/stb"
  cp /usr/include/stb/stb_image.h "$out/include/stb/"
}

build_7zip() {
  # 7z.dll for the updater and the console program for benchmarks, with 7-Zip's own makefiles.
  local args=(-f makefile.gcc IS_MINGW=1 MSYSTEM=1 DISABLE_RAR=1 CC="$cc" CXX="$cxx"
              RC=$triple-windres CFLAGS_WARN_WALL=)
  ( cd "$work/src/7zip/CPP/7zip/Bundles/Format7zF" && make -j "$jobs" "${args[@]}" ) || return 1
  ( cd "$work/src/7zip/CPP/7zip/UI/Console" && make -j "$jobs" "${args[@]}" ) || return 1
  mkdir -p "$out/bin"
  cp "$work/src/7zip/CPP/7zip/Bundles/Format7zF/_o/7z.dll" "$out/bin/"
  cp "$work/src/7zip/CPP/7zip/UI/Console/_o/7z.exe" "$out/bin/"
}

# 2. Build everything at once; each step logs on its own.
steps=(jsoncpp curl gtest minizip stb 7zip)
declare -A pids
for s in "${steps[@]}"; do
  ( "build_$s" ) >"$work/logs/$s.log" 2>&1 &
  pids[$s]=$!
done
failed=()
for s in "${steps[@]}"; do
  wait "${pids[$s]}" || failed+=("$s")
done
if [ ${#failed[@]} -gt 0 ]; then
  for s in "${failed[@]}"; do
    echo "deps: building $s failed; last lines of its log:" >&2
    tail -15 "$work/logs/$s.log" >&2
  done
  die "dependency build failed: ${failed[*]}"
fi

# 3. Publish the prefix in one rename.
touch "$out/.complete"
rm -rf "$prefix"
mv "$out" "$prefix"
echo "deps: built $prefix" >&2
echo "$prefix"
