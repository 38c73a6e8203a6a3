#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the viewer need.
# Idempotent and quiet when everything is already there.
# --package adds the tools scripts/package.sh needs (dpkg-dev, lintian).
# --windows adds the cross build for Windows and Wine to run its tests
# (scripts/build-windows.sh, scripts/test-windows.sh).
set -euo pipefail

PACKAGES=(
  # toolchain; clang with its runtimes builds the fuzz targets (libFuzzer, ASan, UBSan),
  # libtsan2 is GCC's ThreadSanitizer (scripts/fuzz.sh, scripts/tsan.sh)
  cmake ninja-build g++ libtsan2 clang lld libclang-rt-14-dev clang-format
  # tests and benchmarks
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  # the viewer: Qt 6 widgets, print support and SVG (toolbar pictures), German
  # standard dialogs, fonts
  qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n fonts-dejavu-core fonts-liberation2
  # a monospaced font that fontconfig does not flag as such: the view measures pitch
  fonts-noto-mono
  # the printing tests read the PDF (pdftotext, pdfinfo); screenshots of printouts (pdftoppm)
  poppler-utils
  # helpers the scripts and benchmarks call
  time coreutils grep xauth
  # the checks of the installed tree (scripts/check-install.sh)
  desktop-file-utils appstream shared-mime-info man-db
)
for arg in "$@"; do
  case "$arg" in
    --package) PACKAGES+=(dpkg-dev lintian) ;;
    # mingw-w64 with posix threads (std::thread), Wine to run the tests headless;
    # GoogleTest comes from the googletest sources above.
    --windows) PACKAGES+=(g++-mingw-w64-x86-64-posix wine64) ;;
    *) echo "setup.sh: unbekannte Option $arg" >&2; exit 2 ;;
  esac
done

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

SUDO=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "Es fehlen Debian-Pakete und sudo ist nicht vorhanden; bitte als root ausführen: apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  SUDO=(sudo)
fi
echo "Installiere fehlende Pakete: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
