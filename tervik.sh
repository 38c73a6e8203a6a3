#!/usr/bin/env bash
# Sets up, builds and starts the viewer: ./tervik.sh [FILE]
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
file="${1:-$root/res/samples/sample.log}"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && "${QT_QPA_PLATFORM:-}" != offscreen ]]; then
  echo "Keine grafische Anzeige vorhanden (DISPLAY ist nicht gesetzt) – statt des Fensters folgt die Ausgabe von tervik-cli info:" >&2
  exec "$root/build/tervik-cli" info "$file"
fi
exec "$root/build/tervik" "$file"
