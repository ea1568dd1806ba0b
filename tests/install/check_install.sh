#!/usr/bin/env bash
# Installs the build folder into a temporary prefix and checks what a Debian system will see:
# every file in its place and nothing else, the desktop entry, AppStream metainfo, MIME type and
# man pages accepted by their validators (each where the validator is installed), and the
# installed programs finding what they need.
# Usage: check_install.sh BUILD_DIR SOURCE_DIR VERSION_TEXT
set -euo pipefail
build=$1 source=$2 version=$3

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/usr
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The file list: the fixed files, plus the example networks as they are in the sources.
{
    cat <<'LIST'
bin/nodewise
bin/nodewise-cli
share/applications/org.nodewise.Nodewise.desktop
share/doc/nodewise/changelog.gz
share/doc/nodewise/copyright
share/icons/hicolor/scalable/apps/nodewise.svg
share/icons/hicolor/scalable/mimetypes/application-x-nodewise-network.svg
share/man/man1/nodewise-cli.1.gz
share/man/man1/nodewise.1.gz
share/man/it/man1/nodewise-cli.1.gz
share/man/it/man1/nodewise.1.gz
share/metainfo/org.nodewise.Nodewise.metainfo.xml
share/mime/packages/nodewise.xml
share/nodewise/HELP/HELP.HTM
LIST
    (cd "$source/examples" && find . -type f | sed 's|^\./|share/nodewise/examples/|')
} | LC_ALL=C sort >"$tmp/expected"
(cd "$prefix" && find . -type f -o -type l) | sed 's|^\./||' | LC_ALL=C sort >"$tmp/installed"
diff -u "$tmp/expected" "$tmp/installed" || fail "installed files differ from the expected list"

cmp -s "$source/help/HELP.HTM" "$prefix/share/nodewise/HELP/HELP.HTM" || fail "help document"
cmp -s "$source/resources/copyright" "$prefix/share/doc/nodewise/copyright" || fail "copyright"
grep -qx 'License: GPL-3.0-or-later' "$prefix/share/doc/nodewise/copyright" || fail "licence name"
# The changelog's latest entry is this version (a native package: no Debian revision).
top=$(zcat "$prefix/share/doc/nodewise/changelog.gz" | head -1)
[[ "$top" == "nodewise (${version%% *}) "* ]] || fail "changelog starts with '$top', not version ${version%% *}"

if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$prefix/share/applications/org.nodewise.Nodewise.desktop" 2>&1) ||
        fail "desktop-file-validate: $out"
    # Hints (the three main categories asked for) are not faults.
    grep -v ': hint: ' <<<"$out" | grep . && fail "desktop-file-validate complains"
else
    echo "desktop-file-validate not installed: desktop entry not validated"
fi

if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/org.nodewise.Nodewise.metainfo.xml" ||
        fail "appstreamcli validate"
else
    echo "appstreamcli not installed: metainfo not validated"
fi

if command -v update-mime-database >/dev/null; then
    mkdir -p "$tmp/mime"
    cp -r "$prefix/share/mime/packages" "$tmp/mime/"
    XDG_DATA_DIRS=$tmp update-mime-database "$tmp/mime" 2>&1 | grep . && fail "update-mime-database complains"
    grep -qx '50:application/x-nodewise-network:\*.nwd' "$tmp/mime/globs2" ||
        fail "*.nwd is not application/x-nodewise-network"
else
    echo "update-mime-database not installed: MIME type not checked"
fi

if command -v man >/dev/null && man --version >/dev/null 2>&1; then
    for page in man1/nodewise man1/nodewise-cli it/man1/nodewise it/man1/nodewise-cli; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l \
            "$prefix/share/man/$page.1.gz" 2>&1 >/dev/null) || fail "man $page"
        [ -z "$warnings" ] || fail "man --warnings $page: $warnings"
    done
    # Each page in step with its program's --help: every option the program lists is described,
    # in English and in Italian.
    for program in nodewise nodewise-cli; do
        options=$("$prefix/bin/$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
        for page in man1 it/man1; do
            text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$prefix/share/man/$page/$program.1.gz" 2>/dev/null)
            for option in $options; do
                grep -q -- "$option" <<<"$text" || fail "$page/$program.1 does not describe $option"
            done
        done
    done
else
    echo "man not installed: man pages not checked"
fi

# The installed programs.
[ "$("$prefix/bin/nodewise-cli" --version)" = "nodewise-cli $version" ] || fail "nodewise-cli --version"
[ "$("$prefix/bin/nodewise" --version)" = "nodewise $version" ] || fail "nodewise --version"
out=$("$prefix/bin/nodewise-cli" summary "$prefix/share/nodewise/examples/two-node.nwd") ||
    fail "nodewise-cli summary on an installed example"
[ "$(wc -l <<<"$out")" -eq 2 ] || fail "summary of two-node.nwd: $out"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "installed tree as expected"
