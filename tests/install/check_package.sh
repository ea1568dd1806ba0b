#!/usr/bin/env bash
# Builds the Debian package from the build folder into a temporary folder and runs lintian on
# it: no error and no warning. Skipped (status 77) where lintian or cpack is not installed.
# Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$1

command -v lintian >/dev/null || { echo "lintian not installed: package not checked"; exit 77; }
command -v cpack >/dev/null || { echo "cpack not installed: package not built"; exit 77; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$build" && cpack -G DEB -B "$tmp" >"$tmp/cpack.log" 2>&1) || {
    cat "$tmp/cpack.log" >&2
    echo "FAIL: cpack -G DEB" >&2
    exit 1
}
deb=$(find "$tmp" -maxdepth 1 -name 'nodewise_*.deb' | head -1)
[ -n "$deb" ] || { echo "FAIL: no package made" >&2; exit 1; }

# Errors and warnings fail; the notes below them (information, pedantic) are left to judgement.
report=$(lintian --no-tag-display-limit "$deb" 2>&1 || true)
echo "$report"
if grep -E '^(E|W): ' <<<"$report"; then
    echo "FAIL: lintian reports errors or warnings on $(basename "$deb")" >&2
    exit 1
fi
echo "lintian: no error, no warning on $(basename "$deb")"
