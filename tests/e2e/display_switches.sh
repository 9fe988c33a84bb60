#!/usr/bin/env bash
# Alt+Enter on the running demo, N times (default 10): every switch succeeds (the demo
# keeps running, nothing is logged even though "Debug logs" exists), the pointer stays
# hidden, and Escape still ends it with 0.
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"; fi
demo=$1; content=$2; switches=${3:-10}
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp -r "$content/Data" "$content/Textures" "$work"/ && mkdir "$work/Debug logs"
cd "$work" || exit 1
export SDL_AUDIODRIVER=none-such
timeout -s KILL 100 "$demo" 2>"$work/stderr" & pid=$!
id=""
for i in $(seq 1 100); do
  id=$(xdotool search --name '^Quillmere$' 2>/dev/null | head -1); [ -n "$id" ] && break; sleep 0.1
done
[ -n "$id" ] || { echo "no window"; kill $pid; exit 1; }
sleep 1
for i in $(seq 1 "$switches"); do
  xdotool key --window "$id" alt+Return
  sleep 0.3
  kill -0 $pid 2>/dev/null || { echo "the demo ended at switch $i"; cat "$work/stderr"; exit 1; }
done
sleep 0.5
xdotool key --window "$id" Escape
for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "still running after Escape"; kill $pid; exit 1; fi
wait $pid; rc=$?
fail=0
[ $rc -eq 0 ] || { echo "exit code $rc"; fail=1; }
if [ -s "$work/Debug logs/engine.log" ]; then echo "logged:"; cat "$work/Debug logs/engine.log"; fail=1; fi
if grep -v 'audio device' "$work/stderr" | grep -q .; then echo "output:"; cat "$work/stderr"; fail=1; fi
echo "$switches switches, exit $rc"
exit $fail
