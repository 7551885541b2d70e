#!/usr/bin/env bash
# Installs the build into a scratch prefix and builds the .deb, and checks that both
# hold the application directory, the launcher, the desktop entry and the icons, and that
# Debian's checker (lintian) and AppStream's accept the package and its metainfo.
set -euo pipefail
build=$1
scratch=$(mktemp -d /tmp/tinevox-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
failures=0
expect() { # description, command...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
# desktop-file-validate exits 0 on some errors and on hints: any report is a failure.
entry_is_valid() { # desktop entry
    local report
    report=$(desktop-file-validate "$1" 2>&1) && [ -z "$report" ] || { echo "$report"; return 1; }
}
# lintian and appstreamcli print notes even when they pass: their report only on a failure.
report_on_failure() { # command...
    local report
    report=$("$@" 2>&1) || { echo "$report"; return 1; }
}
# The entry's Exec line is the launcher's full path, quoted as the Exec key asks when it
# holds a space: the desktop must find the program without the prefix's bin on PATH.
exec_is() { # desktop entry, expected Exec value
    grep -qxF "Exec=$2" "$1" || { grep '^Exec=' "$1"; return 1; }
}

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
p="$scratch/prefix"
expect "launcher on the PATH" test -x "$p/bin/tinevox"
expect "main program in the application directory" test -x "$p/lib/tinevox/tinevox"
expect "companion beside it" test -x "$p/lib/tinevox/echolet.dll"
expect "read-me beside it" test -s "$p/lib/tinevox/readme.txt"
expect "nothing else in the application directory" test "$(ls "$p/lib/tinevox" | wc -l)" -eq 3
expect "desktop entry starts the launcher by its full path" exec_is "$p/share/applications/tinevox.desktop" "$p/bin/tinevox"
expect "desktop entry is valid" entry_is_valid "$p/share/applications/tinevox.desktop"
expect "desktop entry names the icon" grep -qx 'Icon=tinevox' "$p/share/applications/tinevox.desktop"
for size in 16 22 24 32 48 64 128 256; do
    expect "icon ${size}x${size}" test -s "$p/share/icons/hicolor/${size}x${size}/apps/tinevox.png"
done
# The launcher finds the program from wherever it is called, through a link too (as a
# user's own bin folder may hold one); a stand-in program reports that it was reached.
printf '#!/bin/sh\necho "started with $*"\n' >"$p/lib/tinevox/tinevox"
ln -s "$p/bin/tinevox" "$scratch/linked"
expect "launcher starts the program" test "$("$p/bin/tinevox" a)" = "started with a"
expect "launcher starts it through a link" test "$(cd / && "$scratch/linked")" = "started with "

# A staged install names the final prefix, not the staging folder; a prefix with a space
# is quoted.
DESTDIR="$scratch/stage" cmake --install "$build" --prefix "/opt/tine vox" >/dev/null
staged="$scratch/stage/opt/tine vox/share/applications/tinevox.desktop"
expect "staged desktop entry names the final path" exec_is "$staged" '"/opt/tine vox/bin/tinevox"'
expect "staged desktop entry is valid" entry_is_valid "$staged"
expect "nothing installed outside the staging folder" test ! -e "/opt/tine vox"
# A prefix given relative to the folder the install runs in.
(cd "$scratch" && cmake --install "$build" --prefix relative >/dev/null)
expect "relative prefix gives a full path" exec_is "$scratch/relative/share/applications/tinevox.desktop" "$scratch/relative/bin/tinevox"

(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -B "$scratch/deb" >/dev/null)
deb=$(ls "$scratch"/deb/*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/tinevox ./usr/lib/tinevox/tinevox ./usr/lib/tinevox/echolet.dll ./usr/lib/tinevox/readme.txt \
            ./usr/share/applications/tinevox.desktop ./usr/share/icons/hicolor/48x48/apps/tinevox.png; do
    expect "package holds $path" grep -qx "$path" <<<"$contents"
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/tinevox.desktop >"$scratch/deb.desktop"
expect "packaged desktop entry starts /usr/bin/tinevox" exec_is "$scratch/deb.desktop" /usr/bin/tinevox
expect "packaged desktop entry is valid" entry_is_valid "$scratch/deb.desktop"
expect "package depends on the sound and window libraries" \
    bash -c "dpkg-deb -f '$deb' Depends | grep -q libpulse0 && dpkg-deb -f '$deb' Depends | grep -q libqt6widgets6"
expect "package version is the program's" bash -c "dpkg-deb -f '$deb' Version | grep -qx '1.0.0'"
# Errors and warnings fail; lintian's informational tags and AppStream's pedantic notes do not.
expect "lintian accepts the package" report_on_failure lintian --fail-on error,warning "$deb"
dpkg-deb -x "$deb" "$scratch/root"
expect "metainfo is valid and launches the packaged desktop entry" \
    report_on_failure appstreamcli validate-tree --no-net --strict "$scratch/root"
# Neither checker compares the release notes with the version: a new version needs both.
version=$(dpkg-deb -f "$deb" Version)
expect "changelog's newest entry is the package's version" \
    bash -c "zcat '$scratch/root/usr/share/doc/tinevox/changelog.gz' | head -1 | grep -qF 'tinevox ($version) '"
expect "metainfo's newest release is the package's version" \
    test "$(grep -m1 -o '<release version="[^"]*"' "$scratch"/root/usr/share/metainfo/*.metainfo.xml)" = "<release version=\"$version\""

exit $((failures > 0))
