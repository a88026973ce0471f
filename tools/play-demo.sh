#!/usr/bin/env bash
# Starts the player of a build tree. Without arguments it opens a generated demo backup and plays
# its first recording: the demo runs with a settings folder of its own (PLAYER_APPDIR) whose
# Config.ini turns "AutoPlayFirstRecord" on, so the user's own settings are left as they are.
set -euo pipefail
build=$(cd "$1" && pwd)
shift
if [ $# -eq 0 ]; then
  demo="$build/demo/demo.sd"
  app="$build/demo/app"
  mkdir -p "$app"
  [ -f "$demo" ] || "$build/tools/cardgen" --demo "$demo"
  ln -sfn "$build/Language" "$app/Language"
  [ -f "$app/Config.ini" ] || printf '[Config]\r\nAutoPlayFirstRecord=1\r\n' > "$app/Config.ini"
  export PLAYER_APPDIR="$app"
  set -- -f "$demo"
fi
exec "$build/player" "$@"
