#!/usr/bin/env bash
# `make bench`: builds the benchmark programs for the architecture this machine's Wine runs and
# runs each of them under Wine (in the build's own prefix and Xvfb), then prints one table of
# every row they printed. Figures are this machine's; compare rows of one run only.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/wine/env.sh"
wine_env_fixed_layout "$0" "$@"
build=${ZEL_BUILD_DIR:-$root/build}
mkdir -p "$build"

"$root/tools/setup-host.sh" || exit 1
arch=$(wine_env_arch)
wine_env_init "$build" "$arch"
wine_env_traps
"$root/tools/build.sh" "$arch" "$build/$arch" || exit 1
if [ ! -f "$WINEPREFIX/.zel-prefix-made" ]; then
  wine_env_make_prefix && touch "$WINEPREFIX/.zel-prefix-made" || exit 1
fi
wine_env_start || exit 1

rows=$(mktemp)
status=0
shopt -s nullglob
programs=("$build/$arch"/bench-bin/*.exe)
[ ${#programs[@]} -gt 0 ] || { echo "bench: no benchmark programs were built" >&2; exit 1; }
for program in "${programs[@]}"; do
  echo "bench: running $(basename "$program")" >&2
  out=$(cd "$(dirname "$program")" && "$WINELOADER" "$program" </dev/null 2>&1)
  rc=$?
  printf '%s\n' "$out" | grep '^|' >>"$rows"
  if [ $rc != 0 ]; then
    echo "bench: $(basename "$program") ended with status $rc" >&2
    printf '%s\n' "$out" | tail -20 >&2
    status=1
  fi
done
# Benchmarks that need servers are scripts: bench/<area>/bench_*.py BUILD-DIR, rows likewise.
# The ports of the build's login and statistics hosts, where the road's servers listen.
set -a; . "$build/$arch/test-ports.env"; set +a
export ZEL_TOOLS="$root/tools" PYTHONDONTWRITEBYTECODE=1
for script in "$root"/bench/*/bench_*.py; do
  echo "bench: running $(basename "$script")" >&2
  out=$(python3 "$script" "$build/$arch" </dev/null 2>&1)
  rc=$?
  printf '%s\n' "$out" | grep '^|' >>"$rows"
  if [ $rc != 0 ]; then
    echo "bench: $(basename "$script") ended with status $rc" >&2
    printf '%s\n' "$out" | tail -20 >&2
    status=1
  fi
done
echo
echo "Benchmarks ($arch programs under Wine, $(nproc) cores)"
echo
echo "| area | case | figure | unit | note |"
echo "|---|---|---|---|---|"
cat "$rows"
rm -f "$rows"
exit $status
