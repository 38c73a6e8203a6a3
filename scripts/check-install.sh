#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks what lands there: nothing
# outside the prefix, the desktop entry, the MIME types, the AppStream data, the manual
# pages, tervik-cli from the prefix, and that an installed viewer keeps its settings in
# $XDG_CONFIG_HOME, never beside the program. Usage: scripts/check-install.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-${TERVIK_BUILD_DIR:-$root/build}}"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Under usr/ of a root folder, so AppStream checks the tree as a system would have it.
prefix="$tmp/root/usr"
failures=0
fail() {
  echo "FEHLER: $*" >&2
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null
while IFS= read -r path; do
  [[ $path == "$prefix"/* ]] || fail "außerhalb des Präfixes installiert: $path"
done <"$build/install_manifest.txt"

app_id=$(sed -n 's/^TERVIK_APP_ID:STRING=//p' "$build/CMakeCache.txt")
expected=(
  bin/tervik bin/tervik-cli include/addon/tervik_addon.h
  share/applications/tervik.desktop share/mime/packages/tervik.xml
  "share/metainfo/$app_id.metainfo.xml" share/icons/hicolor/scalable/apps/tervik.svg
  share/man/man1/tervik.1.gz share/man/man1/tervik-cli.1.gz
  share/bash-completion/completions/tervik-cli
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x$size/apps/tervik.png")
done
for file in "${expected[@]}"; do
  [[ -s $prefix/$file ]] || fail "fehlt: $file"
done

desktop-file-validate "$prefix/share/applications/tervik.desktop" || fail "tervik.desktop"
# The tree, not the file alone: the desktop entry named as launchable must be there too.
appstreamcli validate-tree --no-net --pedantic "$tmp/root" >"$tmp/as.log" 2>&1 ||
  { cat "$tmp/as.log" >&2; fail "AppStream-Daten"; }

# The MIME database built from our file alone knows both types by their globs, and the
# desktop entry offers every type our file defines.
mkdir -p "$tmp/mime/packages"
cp "$prefix/share/mime/packages/tervik.xml" "$tmp/mime/packages/"
update-mime-database "$tmp/mime" >"$tmp/mime.log" 2>&1 || { cat "$tmp/mime.log" >&2; fail "MIME-Daten"; }
for glob in 'application/x-tervik-workspace:\*\.tervik$' 'application/x-tervik-script:\*\.terviks$'; do
  grep -q ":$glob" "$tmp/mime/globs2" || fail "MIME-Datenbank ohne $glob"
  grep -q "^MimeType=.*${glob%%:*};" "$prefix/share/applications/tervik.desktop" ||
    fail "tervik.desktop ohne ${glob%%:*}"
done

version=$(sed -n 's/.*kVersion = "\(.*\)";/\1/p' "$build/generated/app/Version.h")
[[ $("$prefix/bin/tervik-cli" --version) == "tervik-cli $version" ]] || fail "tervik-cli --version"
"$prefix/bin/tervik-cli" info "$root/res/samples/sample.log" >/dev/null || fail "tervik-cli info"

for page in tervik tervik-cli; do
  # groff's warnings as lintian asks for them; any warning fails.
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
    "$prefix/share/man/man1/$page.1.gz" 2>"$tmp/man.log" >/dev/null || fail "man $page"
  [[ -s $tmp/man.log ]] && { cat "$tmp/man.log" >&2; fail "groff warnt bei $page.1"; }
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1.gz" 2>/dev/null |
    grep -q "^NAME" || fail "man -l $page zeigt nichts"
done

# An installed viewer (this script may run as root) writes its settings to the user's
# configuration folder, never beside the program.
if [[ -x $prefix/bin/tervik ]]; then
  mkdir -p "$tmp/home" "$tmp/config"
  ini="$tmp/config/tervik/tervik.ini"
  env -i PATH="$PATH" HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" QT_QPA_PLATFORM=offscreen \
    "$prefix/bin/tervik" "$root/res/samples/sample.log" >"$tmp/tervik.log" 2>&1 &
  pid=$!
  # The viewer writes its colours back at start; then it has chosen its settings file.
  for ((i = 0; i < 200; ++i)); do
    [[ -s $ini ]] || ! kill -0 "$pid" 2>/dev/null && break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
  else
    cat "$tmp/tervik.log" >&2
    fail "tervik aus dem Präfix hat sich beendet"
  fi
  wait "$pid" 2>/dev/null || true
  [[ -s $ini ]] || fail "keine Einstellungen in \$XDG_CONFIG_HOME/tervik/tervik.ini"
  [[ ! -e $prefix/bin/tervik.ini ]] || fail "Einstellungen neben dem Programm geschrieben"
fi

if ((failures)); then
  echo "Installationsprüfung: $failures Fehler" >&2
  exit 1
fi
echo "Installationsprüfung: in Ordnung" >&2
