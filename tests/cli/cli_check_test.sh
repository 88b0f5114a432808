#!/usr/bin/env bash
# titora-cli check end to end: the findings as lines, as JSON and as a SARIF log that
# the SARIF 2.1.0 schema accepts, the summary, exit statuses and bad usage.
# Usage: cli_check_test.sh TITORA_CLI SARIF_SCHEMA
cli=$1
schema=$2
launcher=()
source "$(dirname "$0")/common.sh"

mkdir -p site/sub
printf '<html><head><title>Our shop &amp;\n  more</title></head></html>' >site/a.html
printf '<title>Our shop &#38; more</title>' >site/sub/b.htm
printf '<p>a fragment</p>' >site/c.html
printf '\n<title>Hi</title>\n  <title>again</title>' >site/d.html
printf '<title>%s</title>' "$(printf 'Caf&eacute; %.0s' {1..13})" >site/e.html
printf '<title> </title>' >"site/f g.html"

run check -r site
check "lines" $'site/a.html\tduplicate\tsame title as site/sub/b.htm
site/c.html\tmissing\tno title element
site/d.html\ttoo-short\t2 characters, fewer than 10
site/d.html\tmultiple\t2 title elements
site/e.html\ttoo-long\t64 characters, more than 60
site/f g.html\tempty\tthe title holds only white space
site/sub/b.htm\tduplicate\tsame title as site/a.html' "$out"
check "summary" "6 pages, 7 findings: 1 missing, 1 empty, 2 duplicate, 1 too-long, 1 too-short, 1 multiple" "$err"
check "found status" 1 "$status"

run check --json --max-length 70 --ignore duplicate --ignore=multiple site/e.html site/d.html
check "json" '[
{"path":"site/d.html","rule":"too-short","detail":"2 characters, fewer than 10","title":"Hi"}
]' "$out"
run check --min-length 0 site/a.html
check "nothing found" "0 1 page, 0 findings" "$status $err"

run check --sarif -r site
check "sarif status" 1 "$status"
printf '%s' "$out" >log.sarif
validation=$(python3 - "$schema" log.sarif <<'PY'
import json, sys
import jsonschema
schema, log = (json.load(open(path)) for path in sys.argv[1:3])
jsonschema.Draft4Validator(schema).validate(log)
for result in log["runs"][0]["results"]:
    where = result["locations"][0]["physicalLocation"]
    print(result["ruleId"], where["artifactLocation"]["uri"],
          where["region"]["startLine"], where["region"]["startColumn"])
PY
)
check "sarif results" "duplicate site/a.html 1 20
missing site/c.html 1 1
too-short site/d.html 2 8
multiple site/d.html 3 10
too-long site/e.html 1 8
empty site/f%20g.html 1 8
duplicate site/sub/b.htm 1 8" "$validation"

for args in "check --json --sarif site/a.html" "check --ignore nonsense site/a.html" \
    "check --max-length x site/a.html" "list --sarif site/a.html" "check"; do
    run $args
    check "usage: $args" "2 Try 'titora-cli --help'." "$status ${err##*$'\n'}"
done

echo "cli check: $failures failed"
[[ $failures == 0 ]]
