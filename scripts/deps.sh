#!/usr/bin/env bash
# Installs, with apt-get, every Debian package that the build and the tests
# need and that is missing. Does nothing when everything is there. With
# arguments, installs those packages instead (the peer solvers of
# `make bench-peers`).
set -eu
packages=(
    g++ cmake make pkg-config
    libgmp-dev libxt-dev libx11-dev
    flex bison
    libgtest-dev libbenchmark-dev
    xvfb x11-apps xauth
    groff-base
    libopenmpi-dev openmpi-bin
    python3-dev pybind11-dev python3-numpy python3-matplotlib python3-pytest
)
if [ $# -gt 0 ]; then
    packages=("$@")
fi
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" != 0 ]; then
    sudo=sudo
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
