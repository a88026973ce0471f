#!/usr/bin/env bash
# with-xvfb.sh WIDTHxHEIGHT COMMAND [ARGUMENT...]: runs the command on an Xvfb server of its own with
# a screen of that size and ends the server afterwards; the command's exit code is kept. The server
# picks a free display itself (-displayfd), so that servers started side by side by parallel tests
# never share one, as two that chose a number by looking for lock files could.
set -u
size=$1
shift
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 "${size}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
server=$!
read -r -t 60 -u "$fd" display || { kill "$server" 2>/dev/null; echo "with-xvfb: no display" >&2; exit 2; }
exec {fd}<&-
DISPLAY=:$display "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit "$status"
