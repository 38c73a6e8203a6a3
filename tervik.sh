#!/usr/bin/env bash
# Sets up, builds and starts the viewer: ./tervik.sh [--ini PATH] [FILE]
# Every argument goes to the viewer; without a file it opens the bundled sample.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
args=("$@")
file="" ini=()
for ((i = 0; i < ${#args[@]}; ++i)); do
  if [[ ${args[i]} == --ini ]] && ((i + 1 < ${#args[@]})); then
    ini=(--ini "${args[i + 1]}")
    i=$((i + 1))
  elif [[ -z $file && ${args[i]} != --* ]]; then
    file=${args[i]} # the viewer opens the first name, as here
  fi
done
if [[ -z $file ]]; then
  file="$root/res/samples/sample.log"
  args+=("$file")
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && "${QT_QPA_PLATFORM:-}" != offscreen ]]; then
  echo "Keine grafische Anzeige vorhanden (DISPLAY ist nicht gesetzt) – statt des Fensters folgt die Ausgabe von tervik-cli info:" >&2
  exec "$root/build/tervik-cli" info "${ini[@]}" "$file"
fi
exec "$root/build/tervik" "${args[@]}"
