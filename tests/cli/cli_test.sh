#!/usr/bin/env bash
# titora-cli end to end on real files: what it prints, what it writes, its messages
# and exit statuses, and names a shell makes awkward.
# Usage: cli_test.sh TITORA_CLI VERSION
cli=$1
version=$2
launcher=()
source "$(dirname "$0")/common.sh"
# Undeclared legacy pages are read in the encoding of the user's language, and titles are
# printed in the terminal's: windows-1252 and UTF-8 here, whatever the machine's locale.
export LC_ALL=C.UTF-8

latin1=$'caf\xe9.html'
printf '<html>\n<head><TITLE>Tab\there \\ two\nlines</TITLE></head></html>\n' >a.html
printf 'no tags at all' >b.txt
printf '<title>unclosed' >c.html
printf '<title>Caf\xe9</title>' >"$latin1"
printf '<title>dash</title>' >-dash.html
printf '<title>\e[2J\xc2\x9b\x7f\xc3\xa9</title>' >$'new\nline.htm'
mkdir -p site/sub && printf '<title>deep</title>' >site/sub/d.ASP && printf 'x' >site/notes.txt
printf '<title>top</title>' >site/index.html

# Listing: escapes, the untitled and the unclosed, a failure in the middle.
run list a.html b.txt missing.html c.html
check "list" $'a.html\tTab\\there \\\\ two\\r\\nlines\nb.txt\tUnTitled\nc.html\tunclosed' "$out"
check "list message" "titora-cli: Cannot open file missing.html: No such file or directory" "$err"
check "list status" 1 "$status"

run list --json "$latin1" $'new\nline.htm'
check "json" '[
{"path":"caf\udce9.html","title":"Café","encoding":null},
{"path":"new\nline.htm","title":"\u001b[2J\u009b\u007fé","encoding":null}
]' "$out"
check "json status" 0 "$status"
# A page that declares its encoding: listed as text, written in that encoding.
printf '<meta charset="ISO-8859-1"><title>Caf\xe9</title>' >declared.htm
run list --json declared.htm
check "json declared" '[
{"path":"declared.htm","title":"Café","encoding":"windows-1252"}
]' "$out"
run set -t 'Déjà €' declared.htm
check "set declared" $'<meta charset="ISO-8859-1"><title>D\xe9j\xe0 \x80</title>' "$(<declared.htm)"
# No title element is null; a title is text in the terminal's encoding; pages that declare
# nothing get titles browsers read alike.
printf '<!-- <title>old</title> --><svg><title>drawing</title></svg>' >drawing.htm
run list --json b.txt drawing.htm
check "json null" '[
{"path":"b.txt","title":null,"encoding":null},
{"path":"drawing.htm","title":null,"encoding":null}
]' "$out"
run list "$latin1"
check "list as text" $'caf\xe9.html\tCaf\xc3\xa9' "$out"
printf '<title>x</title>' >ascii.htm
run set -t 'Ünïcode' ascii.htm "$latin1"
check "set ascii" '<title>&#220;n&#239;code</title>' "$(<ascii.htm)"
check "set latin" $'<title>\xdcn\xefcode</title>' "$(<"$latin1")"
run list --json missing.html
check "json empty" "[]" "$out"

# Folders: name order, pages only, a file named on its own whatever its name.
run list -r site b.txt
check "recursive" $'site/index.html\ttop\nsite/sub/d.ASP\tdeep\nb.txt\tUnTitled' "$out"
run list site
check "folder without -r" "titora-cli: Cannot open file site" "$err"
check "folder without -r status" 1 "$status"

# Names beginning with "-" are paths after "--" only.
run list $'new\nline.htm'
check "controls" $'new\\nline.htm\t\\x1b[2J\\xc2\\x9b\\x7f\xc3\xa9' "$out"
run list -- -dash.html
check "dash after --" $'-dash.html\tdash' "$out"
run list -dash.html
check "dash as option" $'titora-cli: unknown option \'-dash.html\'\nTry \'titora-cli --help\'.' "$err"
check "dash as option status" 2 "$status"

# A trial run prints and refuses as set would, and writes nothing.
before=$(cat a.html c.html | md5sum)
run set --dry-run --title $'New\ttitle' a.html c.html
check "dry run" $'a.html\treplace the title\tTab\\there \\\\ two\\r\\nlines\tNew\\ttitle\nc.html\trefused: the title is not closed\tunclosed\t' "$out"
check "dry run message" $'titora-cli: Cannot find the end of the title in c.html\n1 to write, 0 unchanged, 1 refused' "$err"
check "dry run status" 1 "$status"
check "dry run wrote nothing" "$before" "$(cat a.html c.html | md5sum)"

# set goes on past a read-only page and writes the others whole.
chmod 444 b.txt
run set -t "New" b.txt a.html "$latin1" -- -dash.html
check "set message" $'titora-cli: Cannot create file b.txt\n3 written, 0 unchanged, 1 failed' "$err"
check "set status" 1 "$status"
check "set output" "" "$out"
check "set wrote" $'<html>\r\n<head><TITLE>New</TITLE></head></html>\r\n.' "$(cat a.html; printf .)"
check "read-only untouched" "no tags at all" "$(<b.txt)"
run list -- "$latin1" -dash.html
check "set odd names" $'caf\xe9.html\tNew\n-dash.html\tNew' "$out"
run set --title= -r site
check "set empty title" 0 "$status"
check "empty title written" "<title></title>" "$(<site/index.html)"

# Templates and find and replace: a trial run, then the real one; pages whose title stays
# are not written and keep their line breaks.
mkdir -p tpl/shop
printf '<html>\n<head><title>Home - Shop</title></head>\n<h1>Our <b>caf&#233;</b></h1>\n' >tpl/shop/a.html
printf '<html>\n<body>\n' >tpl/shop/b.htm
printf '<title>x</title>\n' >tpl/shop/c.html
run set -n --template '{n}. {h1}{title} ({name} in {folder})' -r tpl
check "template dry run" $'tpl/shop/a.html\treplace the title\tHome - Shop\t1. Our caféHome - Shop (a in shop)\ntpl/shop/b.htm\tinsert head and title\tUnTitled\t2.  (b in shop)\ntpl/shop/c.html\treplace the title\tx\t3. x (c in shop)' "$out"
check "template summary" "0 3 to write, 0 unchanged, 0 refused" "$status $err"
run set --replace '(\w+) - (\w+)' '\2 | \1' --regex --keep-line-breaks tpl/shop/a.html tpl/shop/c.html
check "replace summary" "0 1 written, 1 unchanged, 0 failed" "$status $err"
check "keep line breaks" $'<html>\n<head><title>Shop | Home</title></head>\n<h1>Our <b>caf&#233;</b></h1>\n.' "$(cat tpl/shop/a.html; printf .)"
check "unchanged not written" $'<title>x</title>\n.' "$(cat tpl/shop/c.html; printf .)"
run set -i --replace SHOP Store tpl/shop/a.html
check "ignore case" "<title>Store | Home</title>" "$(grep -o '<title>.*</title>' tpl/shop/a.html)"
for args in "set --template {page} x" "set --template { x" "set --replace ( x --regex x" "set -t a --template b x" "undo x" "list --regex x"; do
    run $args
    check "rule usage: $args" 2 "$status"
done
run set --template '{Title}' tpl/shop/c.html
check "unknown placeholder" "titora-cli: Unknown placeholder {Title}: use {title}, {name}, {h1}, {folder} or {n}" "$err"

# Undo: the last set's pages go back, except one changed since; it cannot be undone twice.
run set -t New tpl/shop/a.html tpl/shop/b.htm tpl/shop/c.html
printf '<title>by hand</title>' >tpl/shop/c.html
run undo --dry-run
check "undo dry run" $'2 to put back, 1 changed since, 0 failed' "${err##*$'\n'}"
check "undo dry run wrote nothing" "<title>New</title>" "$(grep -o '<title>New</title>' tpl/shop/b.htm)"
run undo
check "undo status" 1 "$status"
check "undo message" "titora-cli: $PWD/tpl/shop/c.html: changed since the retitle, left as it is" "${err%%$'\n'*}"
check "undone" $'<html>\n<body>\n.' "$(cat tpl/shop/b.htm; printf .)"
check "changed since kept" "<title>by hand</title>" "$(<tpl/shop/c.html)"
run undo
check "undo twice" "1 titora-cli: the last retitle has been undone already" "$status $err"
run set --no-undo -t Newer tpl/shop/b.htm
run undo
check "no undo" "1 titora-cli: the last retitle cannot be undone: it kept no undo copies" "$status $err"

# Usage, help, version and an output that cannot be written.
for args in "" "frob x" "list" "set x" "list --title x x" "set -t" "set --json -t x x" "list -q x"; do
    run $args
    check "usage: $args" "2 Try 'titora-cli --help'." "$status ${err##*$'\n'}"
done
run set --title --help x
check "title --help is a title" $'1 titora-cli: Cannot open file x: No such file or directory\n0 written, 0 unchanged, 1 failed' "$status $err"
# The system's reason follows the engine's words.
run set -t new a.html/x
check "reason" $'1 titora-cli: Cannot open file a.html/x: Not a directory\n0 written, 0 unchanged, 1 failed' "$status $err"
run --help list
check "help" "0 Usage: titora-cli list [-r] [--json] PATH..." "$status ${out%%$'\n'*}"
for option in --version -v; do
    run $option
    check "version $option" "0 titora-cli $version" "$status $out"
done
"$cli" list a.html >/dev/full 2>"$root/.err"
check "full output" "1 titora-cli: cannot write the output" "$? $(<"$root/.err")"

echo "cli: $failures failed"
[[ $failures == 0 ]]
