# Shared by play.sh and test.sh: install the missing Debian packages of packages.txt
# and build incrementally. Source it, then call the functions.
set -euo pipefail
QM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QM_JOBS=$(nproc 2>/dev/null || echo 2)

qm_install_packages() {
  local want missing=() p sudo=""
  mapfile -t want < <(grep -vE '^\s*(#|$)' "$QM_ROOT/packages.txt")
  for p in "${want[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  echo "Installing Debian packages: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# qm_build DIR [cmake options...]
qm_build() {
  local dir=$1; shift
  cmake -S "$QM_ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$QM_JOBS"
}

qm_have_display() { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }
