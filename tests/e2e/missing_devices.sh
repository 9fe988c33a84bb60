#!/usr/bin/env bash
# What the machine lacks, the demo says and ends with 0: no display at all ("Create window
# failed" on stderr, at once, no unseen play), no OpenGL 3.3 ("Init directX device failed"
# on stderr and in a message box that OK closes). No sound card throughout.
source "$(dirname "$0")/lib.sh"
ensure_display "$0" "$@"
demo=$1 content=$2
make_work
fail=0
sanitizer_report() { grep -E 'Sanitizer|runtime error' "$1"; }

# No display: the box cannot show either; the text is on stderr.
(cd "$content" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout -s KILL 20 "$demo" \
  2>"$work/stderr")
rc=$?
grep -qx 'Quillmere: Create window failed' "$work/stderr" || { echo "no display: no message"; fail=1; }
[ $rc -eq 0 ] || { echo "no display: exit $rc"; fail=1; }
sanitizer_report "$work/stderr" && fail=1
echo "no display: exit $rc"

# No OpenGL 3.3: Mesa is told to offer 3.0 at most.
MESA_GL_VERSION_OVERRIDE=3.0 start_demo "$content" "$work/stderr" 60
box=""
for i in $(seq 1 200); do
  # The box is a window of its own with the caption as its name and no class.
  box=$(xwininfo -root -tree | awk '/"Quillmere": \(\)/ { print $1; exit }')
  [ -n "$box" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$box" ]; then
  echo "no GL 3.3: no message box; the demo said:"
  cat "$work/stderr"
  kill "$pid" 2>/dev/null
  exit 1
fi
xdotool mousemove --window "$box" 20 20 windowfocus --sync "$box" key Return
wait_demo_end 10 || { echo "no GL 3.3: still running after OK"; exit 1; }
grep -qx 'Quillmere: Init directX device failed' "$work/stderr" || { echo "no GL 3.3: no message"; fail=1; }
[ "$rc" -eq 0 ] || { echo "no GL 3.3: exit $rc"; fail=1; }
sanitizer_report "$work/stderr" && fail=1
echo "no GL 3.3: exit $rc"
exit $fail
