#!/usr/bin/env bash
# The whole demo with the generated content, no sound card: it plays through and ends
# by itself with exit code 0 at about 50 s, writing nothing.
source "$(dirname "$0")/lib.sh"
ensure_display "$0" "$@"
demo=$1 content=$2
before=$(cd "$content" && find . | sort | md5sum)
err=$(mktemp)
trap 'rm -f "$err"' EXIT
export SDL_AUDIODRIVER=none-such
start=$(date +%s.%N)
(cd "$content" && exec timeout 120 "$demo" 2>"$err")
rc=$?
end=$(date +%s.%N)
seconds=$(echo "$end - $start" | bc)
echo "exit $rc after $seconds s"
fail=0
[ "$rc" -eq 0 ] || fail=1
awk -v s="$seconds" 'BEGIN { exit !(s >= 49 && s <= 75) }' || { echo "ran $seconds s, not about 50"; fail=1; }
if unexpected_output "$err"; then fail=1; fi
after=$(cd "$content" && find . | sort | md5sum)
[ "$before" = "$after" ] || { echo "the demo wrote into its folder"; fail=1; }
exit $fail
