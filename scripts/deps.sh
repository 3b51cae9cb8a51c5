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
  libsqlcipher-dev libssl-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth trayer xdotool
  poppler-utils
  clang libclang-rt-14-dev
  "$@"
)

# The dialing component's test runs a NetworkManager of its own, which
# takes root. Installing Debian's network-manager on a machine with systemd
# also starts it there, and it may take over the machine's networking, so
# it is installed only when asked (TARVO_NETWORKMANAGER_TESTS=1) or under
# CI; elsewhere the test is skipped and needs nothing.
if [ "$(id -u)" -eq 0 ] && { [ -n "${CI:-}" ] || [ "${TARVO_NETWORKMANAGER_TESTS:-0}" = 1 ]; }; then
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
