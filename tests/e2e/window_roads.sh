#!/usr/bin/env bash
# The demo opens "Quillmere" with no sound card and ends with 0 on Escape and on close,
# printing nothing but the line about the sound card and writing nothing.
source "$(dirname "$0")/lib.sh"
ensure_display "$0" "$@"
demo=$1 xclose=$2
make_work
fail=0
for road in escape close; do
  start_demo "$work" "$work/stderr" 100
  if ! wait_demo_window 20; then
    echo "$road: no window titled Quillmere; the demo said:"
    cat "$work/stderr"
    kill "$pid" 2>/dev/null
    exit 1
  fi
  sleep 0.5
  if [ $road = escape ]; then xdotool key --window "$id" Escape; else "$xclose" "$id"; fi
  wait_demo_end 10 || { echo "$road: still running"; fail=1; continue; }
  [ "$rc" -eq 0 ] || { echo "$road: exit code $rc"; fail=1; }
  if unexpected_output "$work/stderr"; then echo "$road: unexpected output"; fail=1; fi
  [ -e "$work/Debug logs" ] && { echo "$road: created a log folder"; fail=1; }
  echo "$road: exit $rc"
done
exit $fail
