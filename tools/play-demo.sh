#!/usr/bin/env bash
# Starts the player of a build tree. Without arguments it plays a generated demo backup.
set -euo pipefail
build=$1
shift
demo="$build/demo/demo.sd"
if [ $# -eq 0 ]; then
  mkdir -p "$(dirname "$demo")"
  [ -f "$demo" ] || "$build/tools/cardgen" --demo "$demo"
  set -- -f "$demo"
fi
if [ -x "$build/player" ]; then
  exec "$build/player" "$@"
fi
# No window yet: the headless player plays the recording and reports what it showed. It takes
# the source itself, without the player's -f.
if [ "$1" = -f ]; then
  shift
fi
exec "$build/tools/playcard" "$@"
