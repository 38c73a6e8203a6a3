#!/usr/bin/env bash
# Runs the cross-built tests of build-windows/ in Wine (headless, with its own Wine
# prefix in the build folder) and prints CTest's summary. Build first with
# scripts/build-windows.sh; the Linux build in build/, which one test compares with, is
# made here when it is missing. Extra arguments go to ctest (e.g. -R SysFile).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERVIK_WINDOWS_BUILD_DIR:-$root/build-windows}"
wine=$(command -v wine64 || true)
[[ -z $wine && -x /usr/lib/wine/wine64 ]] && wine=/usr/lib/wine/wine64
if [[ -z $wine ]]; then
  echo "Wine fehlt: scripts/setup.sh --windows installiert es." >&2
  exit 1
fi
[[ -f "$build/CTestTestfile.cmake" ]] || { echo "Zuerst scripts/build-windows.sh ausführen." >&2; exit 1; }
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# No display, no Mono or Gecko installer questions.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "Wine-Umgebung wird in $WINEPREFIX eingerichtet ..."
  "$wine" wineboot --init >/dev/null 2>&1 || true
fi
# One wineserver for the whole run instead of one per test program.
wineserver=$(dirname "$wine")/wineserver
[[ -x $wineserver ]] || wineserver=$(command -v wineserver || echo true)
"$wineserver" -p 60 >/dev/null 2>&1 || true
trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
# Wine's own background processes start with the first program; started here, they
# do not hold the output pipes of the test runs open.
"$wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
# The comparison with the Linux build needs its tervik-cli (always in build/, the path
# the Windows build was configured with); a fresh clone gets the Linux tree built first.
if [[ -f "$root/build/build.ninja" ]]; then
  cmake --build "$root/build" --target tervik-cli >/dev/null
else
  echo "Die Linux-Fassung wird zuerst in $root/build gebaut (scripts/build.sh) ..."
  TERVIK_BUILD_DIR="$root/build" "$root/scripts/build.sh"
fi
cd "$build"
# Now and then Wine starts a program without running it (no output at all). A test
# that fails is run once more on its own; a real fault fails again.
if ! ctest --output-on-failure -j"$(nproc)" "$@"; then
  echo "Fehlgeschlagene Tests werden einmal einzeln wiederholt ..." >&2
  ctest --output-on-failure --rerun-failed
fi
