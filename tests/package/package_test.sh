#!/usr/bin/env bash
# Makes the Debian package from a finished build and checks it as a user of the
# package would meet it: what it holds, that its programs are stripped and its
# dependencies computed, that the desktop entry and the AppStream description pass
# their validators, that both programs are hardened as Debian builds programs, and that
# both run from a root they were unpacked into.
# Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d /tmp/titora-package-test-XXXXXX)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" ||
    { cat "$work/cpack.log"; exit 1; }
deb=$work/titora_${version}_amd64.deb
[[ -f $deb ]] || { echo "no $deb"; ls "$work"; exit 1; }

expected="./usr/bin/titora
./usr/bin/titora-cli
./usr/share/applications/titora.desktop
./usr/share/doc/titora/changelog.gz
./usr/share/doc/titora/copyright
./usr/share/icons/hicolor/128x128/apps/titora.png
./usr/share/icons/hicolor/16x16/apps/titora.png
./usr/share/icons/hicolor/256x256/apps/titora.png
./usr/share/icons/hicolor/32x32/apps/titora.png
./usr/share/icons/hicolor/48x48/apps/titora.png
./usr/share/icons/hicolor/64x64/apps/titora.png
./usr/share/icons/hicolor/scalable/apps/titora.svg
./usr/share/lintian/overrides/titora
./usr/share/man/man1/titora-cli.1.gz
./usr/share/man/man1/titora.1.gz
./usr/share/metainfo/org.example.titora.metainfo.xml"
files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | LC_ALL=C sort)
diff <(echo "$expected") <(echo "$files") || { echo "unexpected package contents"; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6 libjpeg62-turbo qt6-qpa-plugins; do
    [[ $depends == *"$library"* ]] || { echo "Depends lacks $library: $depends"; exit 1; }
done

[[ $(dpkg-deb -f "$deb" Recommends) == "fonts-wine, fonts-liberation" ]] ||
    { echo "Recommends does not name the fonts: $(dpkg-deb -f "$deb" Recommends)"; exit 1; }

root=$work/root
dpkg-deb -x "$deb" "$root"
# Stack protector, fortified functions, relro, bind-now and PIE; the control-flow
# protection of newer compilers is not among Debian 12's flags.
hardening-check --nocfprotection "$root/usr/bin/titora" "$root/usr/bin/titora-cli" ||
    { echo "a program lacks Debian's hardening"; exit 1; }
lintian --pedantic --display-info "$deb" >"$work/lintian.log" 2>&1 || true
if grep -E '(^|: )hardening-' "$work/lintian.log"; then
    echo "lintian finds the programs unhardened"
    exit 1
fi
head -1 "$root/usr/share/doc/titora/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    { echo "copyright is not machine-readable"; exit 1; }
for program in titora titora-cli; do
    if readelf -S "$root/usr/bin/$program" | grep -q '\.symtab'; then
        echo "$program is not stripped"
        exit 1
    fi
done
for page in titora titora-cli; do
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH ${page^^} 1 .*Titora $version" ||
        { echo "manual page $page.1 lacks its header"; exit 1; }
    sections=(FILES ENVIRONMENT "EXIT STATUS")
    [[ $page == titora ]] && sections+=(KEYS)
    for section in "${sections[@]}"; do
        zcat "$root/usr/share/man/man1/$page.1.gz" | grep -qx "\.SH \"\?$section\"\?" ||
            { echo "manual page $page.1 lacks $section"; exit 1; }
    done
done
zcat "$root/usr/share/doc/titora/changelog.gz" | head -1 | grep -q "^titora ($version) " ||
    { echo "the change log's first entry is not for $version"; exit 1; }
desktop-file-validate "$root/usr/share/applications/titora.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.titora.metainfo.xml"
appstreamcli validate-tree --no-net "$root"
for program in titora titora-cli; do
    # Without a display: --version answers before any window is made.
    [[ $(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version) == "$program $version" ]] ||
        { echo "$program --version from the package is wrong"; exit 1; }
done
echo "package: titora_${version}_amd64.deb checked"
