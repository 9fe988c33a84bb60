#!/usr/bin/env bash
# Each content file in turn missing, empty, cut to half and filled with noise: the demo
# starts, draws for a moment and ends with 0 on Escape, printing nothing but the line
# about the audio device (and no sanitizer report).
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"; fi
demo=$1; content=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=none-such
files=(Data/nalle.md2 Data/nalle2.md2 Data/nalle3.md2 Data/nalle.bmp Textures/wall.bmp
       Textures/oldstyle.png Textures/noise1.png Textures/noise2.png Textures/lines.png
       Textures/1.png Textures/2.png Textures/3.png Textures/letter.png Textures/truth.png
       Textures/beauty.png Textures/freedom.png Textures/love.png music.xm)
fail=0; runs=0
for file in "${files[@]}"; do
  for damage in missing empty half noise; do
    rm -rf "$work/c"; mkdir -p "$work/c"
    cp -r "$content/Data" "$content/Textures" "$content/music.xm" "$work/c/"
    target="$work/c/$file"
    size=$(stat -c %s "$target")
    case $damage in
      missing) rm -f "$target" ;;
      empty) : >"$target" ;;
      half) truncate -s $(( size / 2 )) "$target" ;;
      noise) head -c "$size" /dev/urandom >"$target" ;;
    esac
    # A launch that never shows its window (the X server busy) is tried once more.
    for attempt in 1 2; do
      # A hard limit: a run that hangs must not hold the test's output open.
      (cd "$work/c" && exec timeout -s KILL 40 "$demo" 2>"$work/stderr") & pid=$!
      id=""
      for i in $(seq 1 40); do
        sleep 0.25
        id=$(xdotool search --name '^Quillmere$' 2>/dev/null | head -1); [ -n "$id" ] && break
        kill -0 $pid 2>/dev/null || break
      done
      [ -n "$id" ] && break
      pkill -9 -P $pid 2>/dev/null; kill -9 $pid 2>/dev/null; wait $pid 2>/dev/null
      echo "$file $damage: no window on attempt $attempt"
    done
    sleep 0.7
    [ -n "$id" ] && xdotool key --window "$id" Escape
    for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill -0 $pid 2>/dev/null && { pkill -9 -P $pid; kill -9 $pid; echo "$file $damage: did not end"; fail=1; }
    wait $pid; rc=$?
    runs=$(( runs + 1 ))
    if [ -z "$id" ] || [ $rc -ne 0 ] || grep -v 'audio device' "$work/stderr" | grep -q .; then
      echo "$file $damage: window ${id:-none}, exit $rc"; cat "$work/stderr"; fail=1
    fi
  done
done
echo "$runs damaged runs"
exit $fail
