#!/usr/bin/env bash
# Builds the Debian package from the build folder and lets lintian judge it: errors fail.
# Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
package=$(ls "$out"/*.deb)
echo "built: $(basename "$package")"
dpkg-deb --field "$package" Package Version Depends
dpkg-deb --contents "$package" | awk '{print $6}'
lintian --fail-on error "$package"
echo "lintian: no errors"
