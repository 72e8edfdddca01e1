#!/usr/bin/env bash
# The whole test command: set-up, dependency builds, compile, and every test under Wine in a
# private prefix with its own Xvfb. Exits with ctest's status.
#
# The programs ship as i686 and are always built so. Where this machine's kernel runs no
# 32-bit code (no 32-bit Wine), the same sources are also built as x86_64 and the tests run
# those under wine64; the checks that only read the i686 files still run on them.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/wine/env.sh"
wine_env_fixed_layout "$0" "$@"
build=${ZEL_BUILD_DIR:-$root/build}
mkdir -p "$build"

# The jobs beside the main line run in sessions of their own, so that an interrupted run can
# end each of them with everything it started.
side_jobs=()
side_job() {
  setsid "$@" &
  side_jobs+=($!)
}
stop_side_jobs() {
  local pid
  for pid in "${side_jobs[@]}"; do kill -TERM -- "-$pid" 2>/dev/null; done
  for pid in "${side_jobs[@]}"; do wait "$pid" 2>/dev/null; done
  side_jobs=()
}
wine_env_traps stop_side_jobs

"$root/tools/setup-host.sh" || exit 1
arch=$(wine_env_arch)
wine_env_init "$build" "$arch"
echo "test: running the tests as $arch programs" >&2

# The prefix is made while the dependencies and the project compile.
side_job bash -c '. "$1" && wine_env_make_prefix' prefix "$root/tools/wine/env.sh" >"$build/prefix.log" 2>&1
prefix_pid=$!
side_job "$root/tools/build.sh" i686 "$build/i686"
i686_pid=$!
status=0
if [ "$arch" != i686 ]; then
  "$root/tools/build.sh" "$arch" "$build/$arch" || status=1
fi
wait "$i686_pid" || status=1
wait "$prefix_pid" || { cat "$build/prefix.log" >&2; echo "test: making the Wine prefix failed" >&2; status=1; }
side_jobs=()
[ $status = 0 ] || exit 1

wine_env_start || exit 1
if [ "$arch" != i686 ]; then
  ( cd "$build/i686" && ctest -L static --output-on-failure ) || status=1
fi
( cd "$build/$arch" && ctest -j "$(nproc)" --output-on-failure --timeout 300 "$@" ) || status=1
exit $status
