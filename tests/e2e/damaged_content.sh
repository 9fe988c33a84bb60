#!/usr/bin/env bash
# Each content file in turn missing, empty, cut to half and filled with noise: the demo
# starts, draws for a moment and ends with 0 on Escape, printing nothing but the line
# about the sound card (and no sanitizer report).
source "$(dirname "$0")/lib.sh"
ensure_display "$0" "$@"
demo=$1 content=$2
make_work
files=(Data/nalle.md2 Data/nalle2.md2 Data/nalle3.md2 Data/nalle.bmp Textures/wall.bmp
  Textures/oldstyle.png Textures/noise1.png Textures/noise2.png Textures/lines.png
  Textures/1.png Textures/2.png Textures/3.png Textures/letter.png Textures/truth.png
  Textures/beauty.png Textures/freedom.png Textures/love.png music.xm)
fail=0 runs=0
for file in "${files[@]}"; do
  for damage in missing empty half noise; do
    rm -rf "$work/c"
    mkdir -p "$work/c"
    cp -r "$content/Data" "$content/Textures" "$content/music.xm" "$work/c/"
    target="$work/c/$file"
    size=$(stat -c %s "$target")
    case $damage in
      missing) rm -f "$target" ;;
      empty) : >"$target" ;;
      half) truncate -s $((size / 2)) "$target" ;;
      noise) head -c "$size" /dev/urandom >"$target" ;;
    esac
    runs=$((runs + 1))
    start_demo "$work/c" "$work/stderr" 40
    if ! wait_demo_window 20; then
      echo "$file $damage: no window; the demo said:"
      cat "$work/stderr"
      kill "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
      fail=1
      continue
    fi
    sleep 0.7
    xdotool key --window "$id" Escape
    wait_demo_end 10 || { echo "$file $damage: did not end"; fail=1; continue; }
    if [ "$rc" -ne 0 ] || unexpected_output "$work/stderr" >/dev/null; then
      echo "$file $damage: exit $rc"
      cat "$work/stderr"
      fail=1
    fi
  done
done
echo "$runs damaged runs"
exit $fail
