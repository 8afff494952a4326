# Check helpers for the packaging tests: one line per check, a closing count, and an
# exit code that says whether all passed. Sourced, not run.
kp_passed=0
kp_failed=0

pass() { echo "ok - $1"; kp_passed=$((kp_passed + 1)); }
fail() { echo "FAIL - $1"; kp_failed=$((kp_failed + 1)); }

# check DESCRIPTION COMMAND...: passes when the command succeeds.
check() {
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then pass "$what"; else fail "$what"; fi
}

# check_not DESCRIPTION COMMAND...: passes when the command fails; shows what it printed.
check_not() {
  local what=$1 out; shift
  if out=$("$@" 2>&1); then fail "$what"; printf '%s\n' "$out" | head -n 5 | sed 's/^/  /'; else pass "$what"; fi
}

# check_equal DESCRIPTION EXPECTED ACTUAL
check_equal() {
  if [ "$2" = "$3" ]; then pass "$1"; else fail "$1 (expected '$2', got '$3')"; fi
}

finish() {
  echo "$1: $kp_passed passed, $kp_failed failed"
  [ "$kp_failed" -eq 0 ] && [ "$kp_passed" -gt 0 ]
  exit $?
}
