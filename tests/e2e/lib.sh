# Helpers for the end-to-end tests: run the demo under a virtual X server, find its window.
set -u
run_under_x() { # command...
  if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1024x768x24" "$@"; fi
}
# Waits up to $2 seconds for a window titled $1; prints its id.
wait_window() {
  local i
  for i in $(seq 1 $(( $2 * 10 ))); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
