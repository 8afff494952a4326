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

# test_signer DIR: a throwaway self-signed RSA certificate (DIR/cert.pem, the root to
# verify against) in a PKCS#12 file with a password file, as a maintainer's would be.
test_signer() {
  mkdir -p "$1" && echo throwaway >"$1/password" &&
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1/key.pem" -out "$1/cert.pem" -days 2 \
      -subj "/CN=Kestrelpane test signer" -addext extendedKeyUsage=codeSigning >/dev/null 2>&1 &&
    openssl pkcs12 -export -inkey "$1/key.pem" -in "$1/cert.pem" -out "$1/cert.p12" -passout "file:$1/password"
}

# package_signed SIGNER [OUT]: scripts/package again, signed by test_signer's certificate,
# into OUT (default: build/package); the program is built already.
package_signed() {
  KP_SIGN_PKCS12=$1/cert.p12 KP_SIGN_PASSWORD_FILE=$1/password KP_PACKAGE_DIR=${2:-build/package} \
    scripts/package >/dev/null 2>&1
}
