#!/usr/bin/env bash
# Installs the Debian packages Tarvo builds and tests with, when missing.
#
#   deps.sh [PACKAGE]...
#
# also installs the packages named, for the scripts that need more.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libqt6svg6
  libsqlcipher-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth trayer xdotool
  poppler-utils
  clang libclang-rt-14-dev
  "$@"
)

# The dialing component's test runs a NetworkManager of its own, which
# takes root; elsewhere it is skipped and needs nothing.
if [ "$(id -u)" -eq 0 ]; then
  packages+=(network-manager dbus iproute2)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
