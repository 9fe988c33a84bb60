#!/usr/bin/env bash
# Alt+Enter on the running demo, N times (default 10): every switch succeeds (the demo
# keeps running, nothing is logged even though "Debug logs" exists), and Escape still
# ends it with 0.
source "$(dirname "$0")/lib.sh"
ensure_display "$0" "$@"
demo=$1 content=$2 switches=${3:-10}
make_work
copy_models_and_textures "$content"
# The content has no music: the clock runs on wall time for 50 s, long enough.
start_demo "$work" "$work/stderr" 100
wait_demo_window 20 || { echo "no window; the demo said:"; cat "$work/stderr"; exit 1; }
sleep 1
for i in $(seq 1 "$switches"); do
  xdotool key --window "$id" alt+Return
  sleep 0.15
  kill -0 "$pid" 2>/dev/null || { echo "the demo ended at switch $i"; cat "$work/stderr"; exit 1; }
done
sleep 0.5
xdotool key --window "$id" Escape
wait_demo_end 10 || { echo "still running after Escape"; exit 1; }
fail=0
[ "$rc" -eq 0 ] || { echo "exit code $rc"; fail=1; }
nothing_logged || fail=1
if unexpected_output "$work/stderr"; then fail=1; fi
echo "$switches switches, exit $rc"
exit $fail
