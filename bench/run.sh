#!/usr/bin/env bash
# Runs the performance suite and prints one table of all figures.
#   bench/run.sh            (builds first; needs a display or runs under xvfb-run)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/setup.sh"
qm_install_packages
qm_build "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMERE_BENCH=ON >/dev/null
if ! qm_have_display; then exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"; fi
export SDL_AUDIODRIVER=none-such LIBGL_ALWAYS_SOFTWARE=1
content="$root/build/content"
cd "$content"
json=$(mktemp)
"$root/build/bench/quillmere_bench" --benchmark_format=json >"$json" 2>/dev/null
row() { printf '| %-52s | %14s | %-14s |\n' "$1" "$2" "$3"; }
echo
row "figure" "measured" "target"
row "----" "----" "----"
python3 - "$json" <<'PY'
import json, sys
b = {x["name"].split("/")[0]: x for x in json.load(open(sys.argv[1]))["benchmarks"]}
def t(name, unit="us"):
    x = b[name]; scale = {"us": 1e3, "ms": 1e6}[unit] / {"ns": 1, "us": 1e3, "ms": 1e6}[x["time_unit"]]
    return x["real_time"] / scale
def row(a, m, g): print("| %-52s | %14s | %-14s |" % (a, m, g))
dev, raw = t("BM_FirstSceneFrame_Device"), t("BM_FirstSceneFrame_RawGL")
row("first-scene frame, GL device (us)", "%.0f" % dev, "")
row("first-scene frame, raw GL floor (us)", "%.0f" % raw, "")
row("device / floor", "%.2fx" % (dev / raw), "<= 1.10x")
row("GL calls per frame, device / floor", "%.0f / %.0f" % (b["BM_FirstSceneFrame_Device"]["gl_calls_per_frame"], b["BM_FirstSceneFrame_RawGL"]["gl_calls_per_frame"]), "<= 1.5x")
for s in ("Room", "Pictures", "Cards"):
    x = b["BM_DemoCpuPerFrame_" + s]
    row("demo CPU per frame, %s (us)" % s.lower(), "%.2f" % t("BM_DemoCpuPerFrame_" + s), "<= 20")
    row("allocations per warm frame, %s" % s.lower(), "%.0f" % x["allocations_per_frame"], "0")
row("800x600 PNG -> 1024x1024 + chain (ms)", "%.1f" % t("BM_LoadPng800x600", "ms"), "<= 30")
row("start-up to first presented frame (ms)", "%.0f" % t("BM_StartUpToFirstFrame", "ms"), "<= 250")
PY
rm -f "$json"
# Capture throughput at 60 fps: the whole demo to raw frames, ten seconds to PNG.
start=$(date +%s.%N)
"$root/build/quillmere-capture" --fps 60 --out - 2>/dev/null | cat >/dev/null
raw_fps=$(echo "3000 / ($(date +%s.%N) - $start)" | bc -l)
frames=$(mktemp -d)
start=$(date +%s.%N)
"$root/build/quillmere-capture" --fps 60 --to 10000 --out "$frames" 2>/dev/null
png_fps=$(echo "600 / ($(date +%s.%N) - $start)" | bc -l)
rm -rf "$frames"
row "capture to raw frames, whole demo (frames/s)" "$(printf %.0f "$raw_fps")" ">= 120"
row "capture to PNG, first 10 s (frames/s)" "$(printf %.0f "$png_fps")" ""
# Peak resident memory of the demo, over its first 12 seconds (SIGTERM ends it cleanly).
rssfile=$(mktemp)
/usr/bin/time -f '%M' -o "$rssfile" timeout -s TERM 12 "$root/build/quillmere" >/dev/null 2>&1 || true
rss=$(tail -1 "$rssfile"); rm -f "$rssfile"
row "peak resident memory of the demo (MB)" "$(( rss / 1024 ))" "<= 120"
# Picture-music sync through SDL's disk audio driver: the whole demo in real time.
sync=$(mktemp)
"$root/build/bench/quillmere_sync" "$content" >"$sync" 2>/dev/null || true
worst=$(sed -n 's/^worst change of scene: the picture \([0-9.]*\) ms.*/\1/p' "$sync")
drift=$(sed -n 's/.*(drift \([-+0-9.]*\) ms).*/\1/p' "$sync")
row "picture behind its sound at a change of scene (ms)" "${worst:-?}" "<= 16.7"
row "clock drift, first vs last 10 s (ms)" "${drift:-?}" "none"
echo
cat "$sync"
rm -f "$sync"
