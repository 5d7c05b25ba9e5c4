#!/usr/bin/env bash
# Installs the Debian packages the build and tests need (the graph library only for a
# benchmark's comparison: the game never links it), and clang too when given "clang" (the
# mode of ./check that builds with it); runs apt-get update only
# when something is missing, so a second run costs nothing. apt's own output goes to
# build/setup.log; when another package manager (an unattended upgrade, a second
# terminal) holds the package lock, this waits for it, up to ten minutes, instead of failing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build pkg-config ccache
          libgtest-dev libgmock-dev libbenchmark-dev libboost-graph-dev
          zlib1g-dev libminizip-dev libpng-dev libjpeg-dev
          libopenal-dev libvorbis-dev
          libsdl2-dev libgl-dev libgl1-mesa-dri libegl1 libegl-mesa0)
# The window-system play test's virtual X server and input tool. Without them only that test
# is skipped, so a failed installation of these says so and goes on.
play_test_packages=(xvfb xdotool)
# The second compiler only for the build that uses it.
if [ "${1:-}" = clang ]; then
  packages+=(clang)
fi

log=build/setup.log
lock_wait_seconds=600
lock_retry_seconds=5

# Runs one apt-get command with its output in the log. While the command fails because
# another process holds a package lock, says so once and tries again until the wait is over.
apt_run() {
  local waited=0 told=0
  while true; do
    if "$@" >>"$log" 2>&1; then
      return 0
    fi
    if ! tail -n 5 "$log" | grep -qiE "could not get lock|unable to acquire the dpkg frontend lock|unable to lock"; then
      echo "Package installation failed; the end of $log:" >&2
      tail -n 20 "$log" >&2
      return 1
    fi
    if [ "$waited" -ge "$lock_wait_seconds" ]; then
      echo "Another package manager still holds the package lock after ${lock_wait_seconds} s; try again when it has finished." >&2
      return 1
    fi
    if [ "$told" -eq 0 ]; then
      echo "Waiting for another package manager to finish (up to ${lock_wait_seconds} s)..."
      told=1
    fi
    sleep "$lock_retry_seconds"
    waited=$((waited + lock_retry_seconds))
  done
}

# The packages of the list given that are not installed, on standard output.
not_installed() {
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

mapfile -t missing < <(not_installed "${packages[@]}")
mapfile -t missing_play < <(not_installed "${play_test_packages[@]}")
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_play[@]} -gt 0 ]; then
  mkdir -p build
  : >"$log"
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: ${missing[*]} ${missing_play[*]} (apt's output: $log)"
  # Without a package list only the build's own packages are a reason to stop.
  if ! apt_run "${sudo[@]}" apt-get update -q && [ ${#missing[@]} -gt 0 ]; then
    exit 1
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    apt_run "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
  if [ ${#missing_play[@]} -gt 0 ] &&
     ! apt_run "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
       apt-get install -y -q --no-install-recommends "${missing_play[@]}"; then
    echo "Could not install ${missing_play[*]}: the window-system play test (PlayTest) will be skipped."
  fi
  echo "Installed."
fi
