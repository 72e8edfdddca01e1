#!/usr/bin/env bash
# Runs one Windows program for ctest: run-program.sh <wine-loader> <program> [args...]
#
# The program's output goes through a file, not straight into ctest's pipe: a Wine process
# can leave a background process behind (the desktop, a service) that inherits its standard
# handles, and ctest would then wait for that pipe to close until the test times out.
set -u
loader=$1
shift
out=$(mktemp "${TMPDIR:-/tmp}/zel-test-output.XXXXXX") || exit 1
"$loader" "$@" </dev/null >"$out" 2>&1
status=$?
cat "$out"
if [ $status != 0 ] && [ ! -s "$out" ]; then
  echo "run-program: $* ended with status $status and printed nothing"
fi
rm -f "$out"
exit $status
