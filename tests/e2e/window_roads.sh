#!/usr/bin/env bash
# The demo opens "Quillmere" with no sound card and ends with 0 on Escape and on close.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"; fi
demo=$1; xclose=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=none-such   # no sound card
fail=0
for road in escape close; do
  timeout -s KILL 100 "$demo" 2>"$work/stderr" & pid=$!
  id=$(wait_window Quillmere 10) || { echo "$road: no window titled Quillmere"; kill $pid; exit 1; }
  sleep 0.5
  if [ $road = escape ]; then xdotool key --window "$id" Escape; else "$xclose" "$id"; fi
  for i in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then echo "$road: still running"; kill $pid; fail=1; continue; fi
  wait $pid; rc=$?
  [ $rc -eq 0 ] || { echo "$road: exit code $rc"; fail=1; }
  lines=$(grep -vc '^$' "$work/stderr")
  if [ "$lines" -gt 1 ] || { [ "$lines" -eq 1 ] && ! grep -q 'audio device' "$work/stderr"; }; then
    echo "$road: unexpected output:"; cat "$work/stderr"; fail=1
  fi
  [ -e "$work/Debug logs" ] && { echo "$road: created a log folder"; fail=1; }
  echo "$road: ok (exit $rc)"
done
exit $fail
