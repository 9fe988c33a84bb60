#!/usr/bin/env bash
# Focus taken from the demo and given back N times (default 100): while it is inactive the
# loop blocks (almost no CPU), it draws again once active, and it still ends by itself at
# about 50 s, the music position alone deciding the end, with 0 and nothing logged.
source "$(dirname "$0")/lib.sh"
ensure_display "$0" "$@"
demo=$1 content=$2 cycles=${3:-100}
make_work
copy_models_and_textures "$content"
root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; } # clock ticks used so far
start=$(date +%s.%N)
start_demo "$work" "$work/stderr" 100
wait_demo_window 20 || { echo "no window; the demo said:"; cat "$work/stderr"; exit 1; }
demo_pid=$(xdotool getwindowpid "$id")
sleep 1
fail=0
for i in $(seq 1 "$cycles"); do
  xdotool windowfocus --sync "$root"
  sleep 0.05
  xdotool windowfocus --sync "$id"
  sleep 0.05
  kill -0 "$pid" 2>/dev/null || { echo "the demo ended at cycle $i"; fail=1; break; }
done
# One longer spell inactive, measured; then active again, measured the same way.
xdotool windowfocus --sync "$root"
sleep 0.3
a=$(cpu "$demo_pid")
sleep 2
inactive=$(($(cpu "$demo_pid") - a))
xdotool windowfocus --sync "$id"
sleep 0.3
a=$(cpu "$demo_pid")
sleep 2
active=$(($(cpu "$demo_pid") - a))
echo "clock ticks in 2 s: inactive $inactive, active $active"
[ "$inactive" -le 5 ] || { echo "the loop did not block while inactive"; fail=1; }
[ "$active" -ge 50 ] || { echo "the loop did not resume"; fail=1; }
wait_demo_end 70 || { echo "still running at 70 s"; exit 1; }
seconds=$(echo "$(date +%s.%N) - $start" | bc)
echo "$cycles focus cycles, exit $rc after $seconds s"
[ "$rc" -eq 0 ] || fail=1
awk -v s="$seconds" 'BEGIN { exit !(s >= 49 && s <= 75) }' || { echo "not about 50 s"; fail=1; }
nothing_logged || fail=1
if unexpected_output "$work/stderr"; then fail=1; fi
exit $fail
