#!/usr/bin/env bash
# The whole demo with the generated content, no sound card: it plays through and ends
# by itself with exit code 0 at about 50 s, writing nothing.
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"; fi
demo=$1; content=$2
cd "$content" || exit 1
before=$(find . | sort | md5sum)
export SDL_AUDIODRIVER=none-such
start=$(date +%s.%N)
timeout 120 "$demo" 2>"${TMPDIR:-/tmp}/full_run.$$"; rc=$?
end=$(date +%s.%N)
seconds=$(echo "$end - $start" | bc)
err=$(grep -v 'audio device' "${TMPDIR:-/tmp}/full_run.$$"); rm -f "${TMPDIR:-/tmp}/full_run.$$"
echo "exit $rc after $seconds s"
fail=0
[ "$rc" -eq 0 ] || fail=1
awk -v s="$seconds" 'BEGIN { exit !(s >= 49 && s <= 75) }' || { echo "ran $seconds s, not about 50"; fail=1; }
[ -z "$err" ] || { echo "unexpected output: $err"; fail=1; }
after=$(find . | sort | md5sum)
[ "$before" = "$after" ] || { echo "the demo wrote into its folder"; fail=1; }
exit $fail
