#!/usr/bin/env bash
# The quick loop while working on one corner of the tree: builds only the named targets, for the
# architecture this machine's Wine runs, and runs the tests of one folder of the build under Wine
# in the build's own prefix and Xvfb (several such loops can run side by side in other build dirs).
# Usage: tools/dev-test.sh <build-dir> <test-folder> [target...] [-- ctest-args...]
#   e.g. tools/dev-test.sh build-tree tests/toolkit/tree ControlTreeTest -- -R Scroll
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/wine/env.sh"
wine_env_fixed_layout "$0" "$@"
[ $# -ge 2 ] || { sed -n '2,6p' "$0" >&2; exit 2; }
build=$(realpath -m "$1")
folder=$2
shift 2
targets=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do targets+=("$1"); shift; done
[ "${1:-}" = -- ] && shift

"$root/tools/setup-host.sh" >/dev/null || exit 1
arch=$(wine_env_arch)
wine_env_init "$build" "$arch"
wine_env_traps
"$root/tools/build.sh" "$arch" "$build/$arch" "${targets[@]}" || exit 1
if [ ! -f "$WINEPREFIX/.zel-prefix-made" ]; then
  wine_env_make_prefix && touch "$WINEPREFIX/.zel-prefix-made" || exit 1
fi
wine_env_start || exit 1
cd "$build/$arch/$folder" || exit 1
ctest --output-on-failure --timeout 300 "$@"
