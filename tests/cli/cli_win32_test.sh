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
# The pages declare nothing and hold only ASCII: where titles are text, an "é" goes in as a
# character reference that every browser reads alike; as bytes, in the system's code page.
if [[ $titles == text ]]; then cafe='Caf&#233;'; else cafe=$'Caf\xe9'; fi
check "set -r" "0 2 written, 0 unchanged, 0 failed" "$status $err"
check "set wrote" $'<html>\r\n<head><title>'"$cafe"$' & co</title></head></html>' "$(<site/index.html)"
run list -r site
check "list -r" $'site\\index.html\t'"$cafe"$' & co\nsite\\sub\\d.ASP\t'"$cafe"$' & co' "$out"
run list --json declared.htm site/notes.txt
if [[ $titles == text ]]; then
    check "json" $'[\n{"path":"declared.htm","title":"Caf\xc3\xa9","encoding":"windows-1252"},\n{"path":"site/notes.txt","title":null,"encoding":null}\n]' "$out"
else
    check "json" $'[\n{"path":"declared.htm","title":"Caf\\udce9","encoding":"windows-1252"},\n{"path":"site/notes.txt","title":null,"encoding":null}\n]' "$out"
fi
run set -t new locked.html
# The system's reason follows, in the words of the system at hand (wine's are not
# Windows'), then the summary.
first=${err%%$'\n'*}
check "read-only" "1 titora-cli: Cannot create file locked.html" "$status ${first%: ?*}"
check "read-only summary" "0 written, 0 unchanged, 1 failed" "${err##*$'\n'}"
run list site\\missing.html
check "reason" "1 titora-cli: Cannot open file site\\missing.html" "$status ${err%: ?*}"
check "read-only untouched" "<title>keep</title>" "$(<locked.html)"
run set --keep-line-breaks -t back -r site
run undo
check "undo" $'0 2 put back, 0 changed since, 0 failed' "$status $err"
check "undone" $'<html>\r\n<head><title>'"$cafe"$' & co</title></head></html>' "$(<site/index.html)"

# check: the two pages retitled alike share their title; SARIF names pages with "/".
run check --min-length 0 -r site
check "check" $'1 site\\index.html\tduplicate\tsame title as site\\sub\\d.ASP
site\\sub\\d.ASP\tduplicate\tsame title as site\\index.html' "$status $out"
run check --sarif -r site
check "sarif uri" 2 "$(grep -c '"uri":"site/sub/d.ASP"' <<<"$out")"

echo "cli under wine: $failures failed"
[[ $failures == 0 ]]
