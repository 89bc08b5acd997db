#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the ci build tree and holds it to what a distribution accepts:
# lintian with no error and no warning, and valid AppStream and desktop metadata.
set -euo pipefail
cd "$(dirname "$0")/.."
EXTRA_PACKAGES="dpkg-dev lintian appstream desktop-file-utils" ./scripts/install-deps.sh
cmake --preset ci
cmake --build --preset ci
package_dir=build/ci/package
rm -rf "$package_dir"
(cd build/ci && cpack -G DEB -B package >/dev/null)
deb=$(ls "$package_dir"/*.deb)
echo "lintian $deb"
lintian --fail-on error,warning --display-info "$deb"

staged=$(mktemp -d)
trap 'rm -rf "$staged"' EXIT
dpkg-deb -x "$deb" "$staged"
appstreamcli validate --no-net --explain "$staged"/usr/share/metainfo/*.metainfo.xml
desktop-file-validate "$staged"/usr/share/applications/*.desktop
echo "package checks passed: $(basename "$deb")"
