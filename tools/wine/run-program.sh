#!/usr/bin/env bash
# Runs one Windows program for ctest: run-program.sh <wine-loader> <program> [args...]
#
# The program's output goes through a file, not straight into ctest's pipe: a Wine process
# can leave a background process behind (the desktop, a service) that inherits its standard
# handles, and ctest would then wait for that pipe to close until the test times out.
#
# Every program runs once: a start that fails fails its test, whatever it printed.
set -u
loader=$1
shift
out=$(mktemp "${TMPDIR:-/tmp}/zel-test-output.XXXXXX") || exit 1
"$loader" "$@" </dev/null >"$out" 2>&1
status=$?
cat "$out"
# A program that fails before it prints anything leaves ctest nothing to show: say so.
if [ $status != 0 ] && [ ! -s "$out" ]; then
  echo "run-program: $* ended with status $status and printed nothing"
fi
# A test case that ends early with status 0 (a crash that Wine turns into a quiet exit, a stray
# ExitProcess) ran no assertion to its end: only gtest's closing line says it did.
if [ $status = 0 ]; then
  case " $* " in
    *" --gtest_filter="*)
      if ! grep -q '^\[  PASSED  \]' "$out"; then
        echo "run-program: $* ended with status 0 before gtest's closing line"
        status=1
      fi ;;
  esac
fi
rm -f "$out"
exit $status
