#!/usr/bin/env bash
# Runs the whole suite of one build folder again and again (tools/run-tests.sh) and prints one
# line per run: run number, architecture, passed and failed counts, the failing tests, seconds.
# With --beside, the whole suite of a second build folder runs over and over at the same time,
# until the last run of the first has ended: the loaded machine and two folders' ports at once.
#
#   tools/soak.sh [-n runs] [--beside <build-dir> [--beside-arch i686|x86_64]] [build-dir]
#   e.g. tools/soak.sh -n 5 --beside build64 --beside-arch x86_64 build
#
# The first folder's runs take the architecture ZEL_WINE_ARCH names (or this machine's). Each
# run's whole output stays in <build-dir>/soak/run-<n>.log. Exits non-zero when any run failed.
# Ctrl-C (or TERM) ends both suites with everything they started, Xvfb and wineserver included.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Started in the background of another script, this one has SIGINT ignored, and bash cannot
# trap a signal that was ignored on entry: run again with its default action, so that an
# interrupt still stops the soak.
if [ "$(trap -p INT)" = "trap -- '' SIGINT" ]; then
  exec env --default-signal=INT bash "$0" "$@"
fi
runs=5 beside="" beside_arch=${ZEL_WINE_ARCH:-}
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs=$2; shift 2 ;;
    --beside) beside=$(realpath -m "$2"); shift 2 ;;
    --beside-arch) beside_arch=$2; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    -*) echo "soak: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
build=$(realpath -m "${1:-$root/build}")
[ "$build" != "$beside" ] || { echo "soak: the two build folders must differ" >&2; exit 2; }
. "$root/tools/wine/env.sh"

# Each suite runs in a session of its own: an interrupt ends every process it started (its
# own exit trap then stops its Xvfb and wineserver), and a run that is waited for in the
# background leaves this script free to take the signal at once.
soak_job=""
soak_stop_job() {
  [ -n "$soak_job" ] || return 0
  kill -TERM -- "-$soak_job" 2>/dev/null
  wait "$soak_job" 2>/dev/null
  soak_job=""
}

# One whole run: soak_run <label> <build-dir> <arch> <number> [of]; prints its line.
soak_run() {
  local label=$1 dir=$2 arch=$3 n=$4 of=${5:-}
  local log=$dir/soak/run-$n.log start=$SECONDS status
  mkdir -p "$dir/soak"
  ZEL_WINE_ARCH=$arch ZEL_BUILD_DIR=$dir setsid "$root/tools/run-tests.sh" >"$log" 2>&1 &
  soak_job=$!
  wait "$soak_job"
  status=$?
  soak_job=""
  # ctest's summaries (two when the static checks of the i686 files run first) and its list of
  # failed tests.
  local counts names
  counts=$(awk '/tests passed, [0-9]+ tests? failed out of [0-9]+/ {
                  for (i = 1; i <= NF; i++) { if ($i == "failed") f += $(i - 2); if ($i == "of") t += $(i + 1) }
                  seen = 1 }
                END { if (seen) print t - f, f }' "$log")
  names=$(sed -n '/The following tests FAILED:/,/^Errors while running CTest/p' "$log" \
            | sed -n 's/^[[:space:]]*[0-9]* - \(.*\)$/\1/p' | paste -sd ',' | sed 's/,/, /g')
  local line="soak: $label run $n${of:+/$of} $arch $(basename "$dir"):"
  if [ -z "$counts" ]; then
    line+=" no test summary (status $status, see $log)"
  else
    line+=" ${counts% *} passed, ${counts#* } failed"
    [ -n "$names" ] && line+=" ($names)"
    [ "$status" = 0 ] || [ "${counts#* }" != 0 ] || line+=", status $status (see $log)"
  fi
  grep -q '^wine: address randomisation could not be switched off' "$log" && line+=", address randomisation on"
  echo "$line, $((SECONDS - start)) s"
  [ "$status" = 0 ] && [ -n "$counts" ] && [ "${counts#* }" = 0 ]
}

arch=$(wine_env_arch)
beside_pid=""
stop_file=""
soak_interrupted() {
  trap '' INT TERM
  echo "soak: interrupted; stopping the suites" >&2
  [ -z "$stop_file" ] || touch "$stop_file"
  [ -z "$beside_pid" ] || kill -TERM "$beside_pid" 2>/dev/null
  soak_stop_job
  [ -z "$beside_pid" ] || wait "$beside_pid" 2>/dev/null
  [ -z "$stop_file" ] || rm -f "$stop_file"
  exit 130
}
trap soak_interrupted INT TERM

if [ -n "$beside" ]; then
  [ -n "$beside_arch" ] || beside_arch=$arch
  stop_file=$(mktemp "${TMPDIR:-/tmp}/zel-soak-stop.XXXXXX")
  rm -f "$stop_file"
  (
    # A background list ignores SIGINT: the main script passes an interrupt on as TERM.
    trap 'soak_stop_job; exit 143' TERM
    n=0 failed=0
    while [ ! -e "$stop_file" ]; do
      n=$((n + 1))
      soak_run beside "$beside" "$beside_arch" "$n" || failed=1
    done
    exit $failed
  ) &
  beside_pid=$!
fi

failed=0
for n in $(seq 1 "$runs"); do
  soak_run main "$build" "$arch" "$n" "$runs" || failed=1
done
if [ -n "$beside_pid" ]; then
  # The run of the second folder that is under way finishes; none starts after it.
  touch "$stop_file"
  wait "$beside_pid" || failed=1
  rm -f "$stop_file"
fi
exit $failed
