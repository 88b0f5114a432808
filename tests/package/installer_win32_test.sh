#!/usr/bin/env bash
# Makes the Windows installer and the portable archive from a finished build with cpack,
# checks what the archive holds, then runs the installer silently under wine as a user
# would: both programs answer --version from where it put them (with no DLL folder but
# their own), the Start-menu entry and "Open with" for web pages are in place without
# taking over the pages' default program, and the uninstaller takes all of it away again.
# Usage: installer_win32_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
work=$(mktemp -d /tmp/titora-installer-test-XXXXXX)

# A prefix of its own, kept between runs (making one takes seconds), in which the
# installer's registry entries come and go; its server must not outlive the test.
export WINEPREFIX="$build/wineprefix-install"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
finish() {
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
[[ -n ${TITORA_KEEP:-} ]] && trap - EXIT
fail() {
    echo "FAIL: $1"
    exit 1
}

cpack -G "NSIS;ZIP" --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
name=titora-$version-win64
installer=$work/$name.exe
[[ -f $installer && -f $work/$name.zip ]] || { ls "$work"; fail "no $name.exe and .zip"; }

expected="$name/LICENSE.txt
$name/Qt6Core.dll
$name/Qt6Gui.dll
$name/Qt6Widgets.dll
$name/libgcc_s_seh-1.dll
$name/libstdc++-6.dll
$name/libwinpthread-1.dll
$name/platforms/qwindows.dll
$name/styles/qwindowsvistastyle.dll
$name/titora-cli.exe
$name/titora.exe"
files=$(unzip -Z1 "$work/$name.zip" | grep -v '/$' | LC_ALL=C sort)
diff <(echo "$expected") <(echo "$files") || fail "unexpected archive contents"
unzip -q "$work/$name.zip" -d "$work/zip"
for program in titora titora-cli; do
    if x86_64-w64-mingw32-objdump -h "$work/zip/$name/$program.exe" | grep -q '\.debug_info'; then
        fail "$program.exe is not stripped"
    fi
done

mkdir -p "$WINEPREFIX"
"$wineserver" -p </dev/null >/dev/null 2>&1 || true # one may be up already
"$wine" wineboot --init </dev/null >"$work/wineboot.log" 2>&1

# NSIS takes the folder after /D= as the rest of its command line, which wine would quote
# were there a space in it.
target='C:\TitoraTest'
target_unix=$WINEPREFIX/drive_c/TitoraTest
rm -rf "$target_unix"
"$wine" "$installer" /S "/D=$target" </dev/null >"$work/install.log" 2>&1 || fail "installer"
for program in titora titora-cli; do
    answer=$("$wine" "$target\\$program.exe" --version </dev/null 2>"$work/$program.err" | tr -d '\r')
    [[ $answer == "$program $version" ]] ||
        { cat "$work/$program.err"; fail "installed $program.exe --version said '$answer'"; }
done

# reg query's line for the value $2 of the key $1 (/ve: the key's default value), if any.
query() {
    "$wine" reg query "$1" "${@:2}" </dev/null 2>/dev/null | tr -d '\r' | grep REG_ | head -1
}
classes='HKLM\Software\Classes'
[[ $(query "$classes\\Titora.WebPage\\shell\\open\\command" /ve) == *'titora.exe" "%1"'* ]] ||
    fail "no open command for Titora.WebPage"
for extension in .html .htm .shtml .asp; do
    [[ -n $(query "$classes\\$extension\\OpenWithProgids" /v Titora.WebPage) ]] ||
        fail "$extension does not offer Titora in Open with"
    [[ $(query "$classes\\$extension" /ve) != *Titora* ]] || fail "$extension's default was taken over"
done
start_menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Titora
[[ -f $start_menu/Titora.lnk ]] || { find "$WINEPREFIX/drive_c/ProgramData" -name '*.lnk'; fail "no Start-menu entry"; }

# _?= runs the uninstaller where it is and waits for it.
"$wine" "$target\\Uninstall.exe" /S "_?=$target" </dev/null >"$work/uninstall.log" 2>&1 ||
    fail "uninstaller"
[[ ! -e $target_unix/titora.exe && ! -e $target_unix/Qt6Core.dll ]] || fail "files left behind"
[[ -z $(query "$classes\\.html\\OpenWithProgids" /v Titora.WebPage) ]] || fail "Open with left behind"
[[ ! -e $start_menu/Titora.lnk ]] || fail "Start-menu entry left behind"
rm -rf "$target_unix"
echo "installer: $name.exe ($(du -k "$installer" | cut -f1) KiB) and $name.zip" \
    "($(du -k "$work/$name.zip" | cut -f1) KiB) checked"
