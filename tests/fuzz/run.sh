#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each for the
# given seconds (default 60) from a seed corpus of small files and the generated content.
#   tests/fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}; shift || true
targets=("$@"); [ ${#targets[@]} -gt 0 ] || targets=(md2 images music)
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLMERE_FUZZ=ON -DQUILLMERE_TESTS=OFF -DQUILLMERE_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target make_seeds fuzz_md2 fuzz_images fuzz_music content >/dev/null
corpus="$build/corpus"
"$build/tests/fuzz/make_seeds" "$corpus"
# The generated models are large (a load builds every key frame): the small fixtures
# make the model corpus, and the generated pictures and music join theirs.
cp -f "$build"/content/Textures/lines.png "$build"/content/Textures/wall.bmp "$build"/content/Data/nalle.bmp "$corpus/images/"
cp -f "$build"/content/music.xm "$corpus/music/"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitize/lsan.supp:print_suppressions=0
status=0
for t in "${targets[@]}"; do
  mkdir -p "$build/findings/$t"
  echo "fuzz_$t: ${seconds}s"
  if ! "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=400000 -timeout=20 \
       -rss_limit_mb=4096 -artifact_prefix="$build/findings/$t/" -print_final_stats=1 \
       "$corpus/$t" >"$build/fuzz_$t.log" 2>&1; then
    echo "fuzz_$t: FINDING, see $build/fuzz_$t.log and $build/findings/$t/"; status=1
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$build/fuzz_$t.log" | sed "s/^/  /"
done
exit $status
