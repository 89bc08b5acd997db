#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, testing and running Kaiser Crossover need, and
# nothing when they are all there. Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libgl-dev
    qt6-tools-dev qt6-l10n-tools
    libgtest-dev libgmock-dev libbenchmark-dev
    libfftw3-dev
    libsndfile1-dev
    libyaml-cpp-dev
    nlohmann-json3-dev
    fonts-ipafont-gothic
    help2man
    locales
)
# The convolution engines that the test suite runs (tests/export/engine_run_test.cpp), with
# --engines; test.sh asks for them, so CI has them. Without them those tests are skipped.
if [ "${1:-}" = "--engines" ]; then
    packages+=(brutefir pipewire pipewire-bin)
fi
# Further packages a caller needs for one step only (the fuzzers' clang, say).
read -r -a extra <<< "${EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
