#!/usr/bin/env bash
# Cross-builds the engine for 64-bit Windows with mingw-w64 into build-windows/:
# tervik_platform, tervik_core, tervik-cli.exe, the platform, core and command-line
# test programs and the example add-on DLLs. GoogleTest is built from Debian's sources
# with the same toolchain. Incremental; scripts/test-windows.sh runs the tests in Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERVIK_WINDOWS_BUILD_DIR:-$root/build-windows}"
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
  echo "Der mingw-w64-Compiler fehlt: scripts/setup.sh --windows installiert ihn." >&2
  exit 1
fi
source "$root/scripts/build-tree.sh"
tervik_build_tree "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DTERVIK_WERROR=ON -DTERVIK_BUILD_UI=OFF -DTERVIK_BUILD_BENCH=OFF \
  -- tervik-cli tervik_platform_tests tervik_core_tests tervik_cli_tests
