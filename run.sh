#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine, passing the arguments on:
#   ./run.sh -url:http://example.org/ -title:Player
# Without a display it runs on a virtual one, saves a screenshot once the window is up
# (build/screenshot.png), prints where, and ends the program.
set -euo pipefail
cd "$(dirname "$0")"

if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  cat <<'TEXT'
usage: ./run.sh [program arguments…]
Builds the Windows program (windows preset) and runs it under Wine with the arguments,
such as -url:<address> -title:<text> -startfrom:zvvip -quitby:zvvip.
With DISPLAY set the window opens there and run.sh waits for the program to end.
Without a display it runs on a virtual one: once the window is up a screenshot is saved
to build/screenshot.png and the program is ended (KP_WINDOW_WAIT: half-seconds to wait
for the window, 120 by default).
When the program ends by itself its exit code is printed and is run.sh's own:
0 a quit by -quitby:zvvip, or a second start that handed its command line over;
2 the window was closed.
TEXT
  exit 0
fi

scripts/bootstrap
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target kestrelpane

exe=build/windows/app/kestrelpane.exe
source scripts/wine-env
export KP_WINEPREFIX=$PWD/build/windows/wineprefix
kp_wine_env "$KP_WINEPREFIX"

if [ -n "${DISPLAY:-}" ]; then
  cmake/wine-run "$exe" "$@" && rc=0 || rc=$?
  echo "the program ended with exit code $rc"
  exit "$rc"
fi

trap kp_wine_end EXIT
kp_display

# Make the prefix first (the first run takes a while), so that nothing is ended halfway.
echo "preparing Wine (the first run takes longer)…"
cmake/wine-run cmd /c exit 0

cmake/wine-run "$exe" "$@" &
app_pid=$!
shot=$PWD/build/screenshot.png
window=""
for _ in $(seq 1 "${KP_WINDOW_WAIT:-120}"); do
  window=$(xdotool search --onlyvisible --classname kestrelpane.exe 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.5
done
if [ -n "$window" ]; then
  sleep 1  # let it paint
  import -window root "$shot"
  echo "screenshot: $shot"
elif kill -0 "$app_pid" 2>/dev/null; then
  echo "the window did not appear"
fi
if kill -0 "$app_pid" 2>/dev/null; then
  echo "the program is still running; ending it"
else
  wait "$app_pid" && rc=0 || rc=$?
  shown=""
  [ -n "$window" ] || shown=", without showing its window"
  echo "the program ended by itself with exit code $rc$shown"
  exit "$rc"
fi
