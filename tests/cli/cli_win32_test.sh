#!/usr/bin/env bash
# titora-cli built for Windows, run under wine: a folder walked in name order with Windows'
# separators, titles written in the system's code page, the encoding a page declares, and a
# read-only page refused. JSON lists a title as text where the program is built with Qt,
# as bytes where it is built without.
# Usage: cli_win32_test.sh text|bytes TITORA_CLI_EXE WINE [ARGUMENT]...
titles=$1
cli=$2
shift 2
# Wine hands the program its arguments in the system's code page (1252 here), converted
# from UTF-8.
launcher=(env LC_ALL=C.UTF-8 "$@")
source "$(dirname "$0")/common.sh"

mkdir -p site/sub
printf '<html>\n<head><title>top</title></head></html>' >site/index.html
printf '<title>deep</title>' >site/sub/d.ASP
printf 'x' >site/notes.txt
printf '<meta charset="ISO-8859-1"><title>Caf\xe9</title>' >declared.htm
printf '<title>keep</title>' >locked.html
chmod 444 locked.html

run set -t 'Café & co' -r site
check "set -r" "0 " "$status $err"
check "set wrote" $'<html>\r\n<head><title>Caf\xe9 & co</title></head></html>' "$(<site/index.html)"
run list -r site
check "list -r" $'site\\\\index.html\tCaf\xe9 & co\nsite\\\\sub\\\\d.ASP\tCaf\xe9 & co' "$out"
run list --json declared.htm
if [[ $titles == text ]]; then
    check "json" $'[\n{"path":"declared.htm","title":"Caf\xc3\xa9","encoding":"ISO-8859-1"}\n]' "$out"
else
    check "json" $'[\n{"path":"declared.htm","title":"Caf\\udce9","encoding":"ISO-8859-1"}\n]' "$out"
fi
run set -t new locked.html
check "read-only" "1 Cannot create file locked.html" "$status $err"
check "read-only untouched" "<title>keep</title>" "$(<locked.html)"

echo "cli under wine: $failures failed"
[[ $failures == 0 ]]
