# The checks of a test script that goes on after a failure, sourced under
# `set -uo pipefail`: `fail` says what is wrong and counts it in `failures`;
# the script ends with `exit $((failures > 0))`.
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
