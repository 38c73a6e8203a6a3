#!/usr/bin/env bash
# Builds the Debian package build-deb/tervik_<version>_<arch>.deb with CPack and checks
# it with lintian (errors fail). Builds only the installed programs, not the tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERVIK_DEB_BUILD_DIR:-$root/build-deb}"
"$root/scripts/setup.sh" --package
start=$(date +%s)
if [[ ! -f "$build/build.ninja" ]]; then
  # The install step must not build "all" (tests, benchmarks): only what is installed.
  # Hardened as Debian builds its packages: checked buffer functions, read-only
  # relocations bound at start. Warnings of another compiler do not stop the package.
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DTERVIK_BUILD_BENCH=OFF -DTERVIK_DEBIAN_PACKAGE=ON -DTERVIK_WERROR=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DCMAKE_CXX_FLAGS=-D_FORTIFY_SOURCE=2 -DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro,-z,now >/dev/null
fi
cmake --build "$build" --target tervik tervik-cli tervik_data -- -j"$(nproc)" >"$build/.build.log" 2>&1 ||
  { grep -v -E '^\[[0-9]+/[0-9]+\] ' "$build/.build.log" >&2; exit 1; }
rm -f "$build"/tervik_*.deb
(cd "$build" && cpack -G DEB >"$build/.cpack.log" 2>&1) || { cat "$build/.cpack.log" >&2; exit 1; }
deb=$(ls "$build"/tervik_*.deb)
# lintian refuses to run as root without this flag; it only reads the package.
lintian_opts=(--fail-on error)
[[ $(id -u) -eq 0 ]] && lintian_opts+=(--allow-root)
lintian "${lintian_opts[@]}" "$deb"
echo "$deb ($(( $(date +%s) - start )) s)"
