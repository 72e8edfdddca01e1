#!/usr/bin/env bash
# Runs one Windows program for ctest: run-program.sh <wine-loader> <program> [args...]
#
# The program's output goes through a file, not straight into ctest's pipe: a Wine process
# can leave a background process behind (the desktop, a service) that inherits its standard
# handles, and ctest would then wait for that pipe to close until the test times out.
#
# Every program runs once: a start that fails fails its test, whatever it printed.
set -u
# The status of a case that skipped; the gtest cases' SKIP_RETURN_CODE in cmake/Testing.cmake.
ZEL_SKIP_STATUS=77
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
# ExitProcess) ran no assertion to its end: only gtest's closing line says it did. A case that
# skipped passed nothing: it ends with the skip status, which ctest counts as a skip
# (SKIP_RETURN_CODE), and a filter that ran no case at all is a failure.
if [ $status = 0 ]; then
  case " $* " in
    *" --gtest_filter="*)
      passed=$(sed -n 's/^\[  PASSED  \] \([0-9][0-9]*\) tests\{0,1\}\..*/\1/p' "$out" | tail -1)
      skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9][0-9]*\) tests\{0,1\}, listed below:.*/\1/p' "$out" | tail -1)
      if [ -z "$passed" ]; then
        echo "run-program: $* ended with status 0 before gtest's closing line"
        status=1
      elif [ "$passed" = 0 ] && [ "${skipped:-0}" != 0 ]; then
        echo "run-program: $* skipped"
        status=$ZEL_SKIP_STATUS
      elif [ "$passed" = 0 ]; then
        echo "run-program: $* ran no test case"
        status=1
      fi ;;
  esac
fi
rm -f "$out"
exit $status
