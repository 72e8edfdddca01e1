#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (root, or sudo). Quick when
# everything is there already: apt is asked only for what is missing.
set -euo pipefail

packages=(
  cmake ninja-build make python3 dpkg-dev xz-utils bzip2 locales
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  libz-mingw-w64-dev libstb-dev googletest 7zip
  wine wine32:i386 wine64 xvfb xauth x11-utils
  fonts-wine fonts-liberation fonts-wqy-microhei
)

sudo=""
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
  sudo=sudo
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
done

# Source packages are fetched by deps/build-deps.sh: it needs deb-src lines.
src_ok=1
apt-get source --print-uris -qq zlib >/dev/null 2>&1 || src_ok=0

# Wine takes the code page from the locale name; generating it keeps every other program quiet.
locale_ok=1
locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' || locale_ok=0

if [ ${#missing[@]} -eq 0 ] && [ $src_ok = 1 ] && [ $locale_ok = 1 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]:-(source lists only)}" >&2
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
if [ $src_ok = 0 ]; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    $sudo sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
  fi
  if [ -f /etc/apt/sources.list ] && ! grep -q '^deb-src' /etc/apt/sources.list; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $sudo tee -a /etc/apt/sources.list >/dev/null
  fi
fi
$sudo apt-get update -qq || { echo "setup: apt-get update failed" >&2; exit 1; }
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
    || { echo "setup: installing packages failed: ${missing[*]}" >&2; exit 1; }
fi
apt-get source --print-uris -qq zlib >/dev/null 2>&1 \
  || { echo "setup: no deb-src lines found in the apt sources" >&2; exit 1; }
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  if ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen >/dev/null || { echo "setup: generating the zh_CN.UTF-8 locale failed" >&2; exit 1; }
fi
