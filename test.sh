#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: a normal build, then one
# under AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz targets for a few
# seconds each. --quick runs the first only.
source "$(dirname "$0")/scripts/setup.sh"
qm_install_packages
export LIBGL_ALWAYS_SOFTWARE=1 MESA_SHADER_CACHE_DISABLE=true # llvmpipe: the same pixels everywhere

run_tests() { # build dir, ctest options...
  local dir=$1; shift
  if qm_have_display; then
    ctest --test-dir "$dir" --output-on-failure -j"$QM_JOBS" "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$dir" --output-on-failure -j"$QM_JOBS" "$@"
  fi
}

qm_build "$QM_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMERE_TESTS=ON
run_tests "$QM_ROOT/build"
if [ "${1:-}" != "--quick" ]; then
  # The build runs the content generator, under the sanitizers too.
  export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$QM_ROOT/tests/sanitize/lsan.supp:print_suppressions=0
  # llvmpipe renders on the calling thread and Mesa keeps no shader-cache thread:
  # LeakSanitizer's stop-the-world at exit can crash on the driver's threads. A test whose
  # leak check crashed that way is run again, up to twice (--repeat until-pass:3 below);
  # a real leak or error is reported on every run and still fails.
  export LP_NUM_THREADS=0 MESA_SHADER_CACHE_DISABLE=true
  qm_build "$QM_ROOT/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUILLMERE_SANITIZE=ON \
    -DQUILLMERE_BENCH=OFF
  run_tests "$QM_ROOT/build-sanitize" --repeat until-pass:3
  # The readers of outside bytes under libFuzzer, briefly (the long runs are by hand).
  "$QM_ROOT/tests/fuzz/run.sh" 15
fi
