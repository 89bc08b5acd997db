#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the program and starts the window.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev --target kaiser-crossover
exec ./build/dev/src/app/kaiser-crossover "$@"
