#!/usr/bin/env bash
# Installs what is missing, builds the native core (with sanitizers) and the Windows
# program, and runs every test: natively, and the Windows executables under Wine; then
# makes the release packages and tests them.
#   ./test.sh            everything
#   ./test.sh host       only the native build and tests
#   ./test.sh windows    only the Windows build and its tests under Wine
#   ./test.sh --help     the usage
set -euo pipefail
cd "$(dirname "$0")"

usage() {
  cat <<'TEXT'
usage: ./test.sh [all|host|windows]
  all (the default)  the native build and tests, the fuzzer's short run, the Windows
                     build and its tests under Wine, the acceptance suite and the packages
  host               only the native build, its tests and the fuzzer's short run
  windows            only the Windows build, its tests, the acceptance suite and the packages
Exit code 0 when everything passed, 1 when something failed, 2 for a wrong argument.
TEXT
}
which=${1:-all}
case "$which:$#" in
  all:[01] | host:1 | windows:1) ;;
  -h:1 | --help:1) usage; exit 0 ;;
  *) usage >&2; exit 2 ;;
esac

scripts/bootstrap

jobs=$(nproc)
status=0
scripts/layer-check || status=1

if [ "$which" = all ] || [ "$which" = host ]; then
  cmake --preset host >/dev/null
  cmake --build --preset host -j "$jobs"
  ctest --preset host || status=1

  # The fuzzer must keep building and finding nothing: a short run from the seed corpus.
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKP_BUILD_TESTS=OFF >/dev/null
  cmake --build build/fuzz --target bencode_fuzz
  mkdir -p build/fuzz/corpus
  build/fuzz/fuzz/bencode_fuzz -dict=fuzz/bencode.dict -max_total_time="${KP_FUZZ_SECONDS:-30}" \
    -print_final_stats=1 -artifact_prefix=build/fuzz/ build/fuzz/corpus fuzz/corpus/bencode 2>&1 | tail -n 12 || status=1
fi

if [ "$which" = all ] || [ "$which" = windows ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$jobs"

  # One display and one wineserver for the whole run, instead of one per test.
  source scripts/wine-env
  export KP_WINEPREFIX=$PWD/build/windows/wineprefix
  kp_wine_env "$KP_WINEPREFIX"
  trap kp_wine_end EXIT
  kp_display
  mkdir -p "$WINEPREFIX"
  # The prefix is made before the server is kept: made under a kept server, Wine runs two
  # service managers that lock each other out, and every OLE start then waits seconds.
  cmake/wine-run cmd /c exit 0          # makes the prefix on first use
  wineserver -w
  wineserver -p >/dev/null 2>&1
  ctest --preset windows || status=1
  # The program as a user meets it, on a display and prefix of the suite's own.
  tests/acceptance/run || status=1

  # The release packages: the setup program installed and removed in a fresh Wine prefix,
  # and two clean builds of the program compared byte for byte.
  if scripts/package; then
    tests/package/install_test || status=1
  else
    status=1
  fi
  tests/package/reproducible_test || status=1
fi

exit $status
