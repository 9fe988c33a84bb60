# Helpers for the end-to-end tests: run the demo under a virtual X server, find its window,
# wait for its end. The scripts set $demo to the executable.
set -u
# Runs the script itself under a virtual X server of its own, also where a display exists:
# another program's window there could take the focus, and an inactive demo waits (as it
# should) instead of playing to its end.
ensure_display() { # "$0" "$@"
  if [ -z "${QM_OWN_DISPLAY:-}" ]; then
    QM_OWN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
  fi
}
# A scratch folder in $work, removed at exit; the demo runs with no sound card.
make_work() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export SDL_AUDIODRIVER=none-such
}
# The content's models and textures (no music: the clock runs on wall time) copied from $1
# into $work, with a "Debug logs" folder where the demo would log a failure.
copy_models_and_textures() { cp -r "$1/Data" "$1/Textures" "$work"/ && mkdir "$work/Debug logs"; }
# Fails, showing it, when the demo logged anything there.
nothing_logged() {
  [ -s "$work/Debug logs/engine.log" ] || return 0
  echo "logged:"
  cat "$work/Debug logs/engine.log"
  return 1
}
# Starts the demo in folder $1 with stderr to $2, killed after $3 s at the latest; sets pid.
start_demo() {
  (cd "$1" && exec timeout -s KILL "$3" "$demo" 2>"$2") &
  pid=$!
}
# Waits up to $1 s for the window "Quillmere"; sets id. Fails when none shows or the demo ends.
wait_demo_window() {
  local i
  id=""
  for i in $(seq 1 $(($1 * 10))); do
    id=$(xdotool search --name '^Quillmere$' 2>/dev/null | head -1)
    [ -n "$id" ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# Waits up to $1 s for the demo to end and sets rc; a demo still running is killed (fails).
wait_demo_end() {
  local i
  for i in $(seq 1 $(($1 * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid"
    rc=killed
    return 1
  fi
  wait "$pid"
  rc=$?
}
# What the demo wrote to stderr ($1) besides the one line about a missing sound card.
unexpected_output() { grep -v 'no audio device' "$1" | grep -v '^$'; }
