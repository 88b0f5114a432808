# What the titora-cli test scripts share, sourced after they have set `cli`, the program
# to run, and `launcher`, an array of what runs it (empty, or wine): a scratch folder to
# work in, `check` and `run`.
set -uo pipefail
root=$(mktemp -d /tmp/titora-cli-test-XXXXXX)
trap 'chmod -R u+w "$root"; rm -rf "$root"' EXIT
cd "$root"
# Journals and undo copies go to a state folder of the test's own.
export XDG_STATE_HOME="$root/.state"
failures=0

# check NAME EXPECTED ACTUAL
check() {
    [[ $2 == "$3" ]] && return
    printf 'FAIL %s\n--- expected\n%s\n--- got\n%s\n' "$1" "$2" "$3"
    failures=$((failures + 1))
}

# run ARGS...: runs titora-cli; sets out, err and status. Windows' line ends become LF.
run() {
    "${launcher[@]}" "$cli" "$@" >"$root/.out" 2>"$root/.err"
    status=$?
    out=$(tr -d '\r' <"$root/.out")
    err=$(tr -d '\r' <"$root/.err")
}
