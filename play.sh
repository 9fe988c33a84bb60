#!/usr/bin/env bash
# Installs what is missing, builds, makes the content and plays the demo.
source "$(dirname "$0")/scripts/setup.sh"
qm_install_packages
qm_build "$QM_ROOT/build" -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_TESTS=OFF -DQUILLMERE_BENCH=OFF
# The build makes the content (build/content) when it is missing or older than its generator.
content="$QM_ROOT/build/content"
cd "$content"
if qm_have_display; then
  exec "$QM_ROOT/build/quillmere"
fi
echo "No display found: playing under a virtual X server (xvfb-run)."
exec xvfb-run -a -s "-screen 0 1024x768x24" "$QM_ROOT/build/quillmere"
