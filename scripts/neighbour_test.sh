#!/usr/bin/env bash
# Tries the careful save as neighbours and attackers would, with titora-cli, and prints
# the figures:
#   - ROUNDS rounds (1,000 unless given) of two "titora-cli set" on one page at once,
#     through a temporary file and in place (the page has a second name): damaged pages;
#   - a logger appending a line every few milliseconds during 100 saves, on both roads:
#     lines lost;
#   - ROUNDS rounds of "titora-cli undo" of a set while another set of the page runs, on
#     both roads: damaged pages;
#   - as root: a forged journal under a state folder reached through a link, and a link
#     planted by another user to a file only root may read: what became of the files.
# SKIP_CONCURRENT=1 leaves out the rounds of two saves at once and of undo against set.
# SET_OPTIONS adds options to every set: SET_OPTIONS=--keep-line-breaks, say.
#   usage: scripts/neighbour_test.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-1000}
cmake -S . -B build-crash -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTITORA_ENGINE_ONLY=ON \
    -DTITORA_BENCH=OFF -DTITORA_CLI=ON > /dev/null
cmake --build build-crash --target titora-cli > /dev/null
cli=$(pwd)/build-crash/src/cli/titora-cli
scratch=$(mktemp -d /tmp/titora-neighbours-XXXXXX)
chmod 755 "$scratch"
trap 'rm -rf "$scratch"' EXIT
export XDG_STATE_HOME=$scratch/state

# A page of about 200 kB with LF line breaks, titled $1.
page_text() {
    printf '<html>\n<head><title>%s</title></head>\n<body>\n' "$1"
    for i in $(seq 1 4000); do printf '<p>line %d of the page</p>\n' "$i"; done
    printf '</body></html>\n'
}

read -r -a set_options <<< "${SET_OPTIONS:-}"
set_page() { # title, page
    "$cli" set "${set_options[@]}" --title "$@"
}

# The page as a save with title $1 leaves it: CR LF line breaks, unless they are kept.
page_saved() {
    if [[ " ${SET_OPTIONS:-} " == *" --keep-line-breaks "* ]]; then
        page_text "$1"
    else
        page_text "$1" | sed 's/$/\r/'
    fi
}

page_saved A > "$scratch/A"
page_saved B > "$scratch/B"

concurrent() { # road: temporary | in-place
    local dir=$scratch/$1 damaged=0 failed=0
    mkdir -p "$dir"
    page_text Original > "$dir/page.html"
    [[ $1 == in-place ]] && ln "$dir/page.html" "$dir/other.html"
    for _ in $(seq 1 "$rounds"); do
        set_page A "$dir/page.html" > /dev/null 2>&1 &
        local first=$!
        set_page B "$dir/page.html" > /dev/null 2>&1 || failed=$((failed + 1))
        wait "$first" || failed=$((failed + 1))
        if ! cmp -s "$dir/page.html" "$scratch/A" && ! cmp -s "$dir/page.html" "$scratch/B"; then
            damaged=$((damaged + 1))
            page_text Original > "$dir/page.html.new" && cat "$dir/page.html.new" > "$dir/page.html"
        fi
    done
    echo "two saves at once, $1: $rounds rounds, $damaged damaged pages, $failed saves failed"
}

appends() { # road
    local dir=$scratch/log-$1 saves=100
    mkdir -p "$dir"
    page_text Original > "$dir/page.html"
    [[ $1 == in-place ]] && ln "$dir/page.html" "$dir/other.html"
    (
        n=0
        while [[ ! -e $dir/stop ]]; do
            n=$((n + 1))
            echo "logged $n" >> "$dir/page.html"
            echo "$n" > "$dir/count"
            sleep 0.003
        done
    ) &
    local logger=$!
    for i in $(seq 1 "$saves"); do
        set_page "T$((i % 2))" "$dir/page.html" > /dev/null 2>&1 || true
    done
    touch "$dir/stop"
    wait "$logger"
    local written kept
    written=$(cat "$dir/count")
    kept=$(grep -c '^logged [0-9]*' "$dir/page.html" || true)
    echo "logger during $saves saves, $1: $written lines appended, $((written - kept)) lost"
}

undo_against_set() { # road
    local dir=$scratch/undo-$1
    local -A outcomes=()
    mkdir -p "$dir"
    page_saved Original > "$scratch/Original"
    cp "$scratch/Original" "$dir/page.html"
    [[ $1 == in-place ]] && ln "$dir/page.html" "$dir/other.html"
    for _ in $(seq 1 "$rounds"); do
        # Written over, not replaced: the page keeps its second name.
        cat "$scratch/Original" > "$dir/page.html"
        set_page A "$dir/page.html" > /dev/null 2>&1 || true
        "$cli" undo > /dev/null 2>&1 &
        local undo=$!
        set_page B "$dir/page.html" > /dev/null 2>&1 || true
        wait "$undo" || true
        local ended=damaged
        for title in Original A B; do
            cmp -s "$dir/page.html" "$scratch/$title" && ended=$title
        done
        outcomes[$ended]=$((${outcomes[$ended]:-0} + 1))
    done
    echo "undo against set, $1: $rounds rounds, ${outcomes[damaged]:-0} damaged pages;" \
        "${outcomes[Original]:-0} ended as before the sets, ${outcomes[A]:-0} as the first" \
        "set left them, ${outcomes[B]:-0} as the second"
}

forged_journal() {
    local dir=$scratch/forged home=$scratch/forged-home
    mkdir -p "$dir" "$home" "$scratch/sticky"
    chmod 1777 "$scratch/sticky"
    ln -s "$scratch/sticky" "$home/titora"
    printf '<title>abc</title> line ' > "$dir/page.html"
    local dev ino old='<title>abc</title> EVIL ' title='abc</title> line'
    dev=$(printf '%x' "$(stat -c %d "$dir/page.html")")
    ino=$(printf '%x' "$(stat -c %i "$dir/page.html")")
    {
        printf 'Titora journal 2\nserial 7\npage %s %s\ncode-page 0\n' "$dev" "$ino"
        printf 'folder %d:%s\nname 9:page.html\ntitle %d:%s\n' "${#dir}" "$dir" "${#title}" "$title"
        printf 'old %d:%s\nend 7\n' "${#old}" "$old"
    } > "$scratch/sticky/$dev-$ino.journal"
    chmod 600 "$scratch/sticky/$dev-$ino.journal"
    local said
    said=$(XDG_STATE_HOME=$home "$cli" list "$dir/page.html" 2>&1 >/dev/null || true)
    echo "forged journal under a linked state folder: page now \"$(cat "$dir/page.html")\"; said: $said"
}

planted_link() {
    local tree=$scratch/www
    mkdir -p "$tree"
    chown nobody:nogroup "$tree"
    printf 'root:secret:0:0\n' > "$scratch/shadow"
    chmod 600 "$scratch/shadow"
    ln -s "$scratch/shadow" "$tree/evil.html"
    chown -h nobody:nogroup "$tree/evil.html"
    mkdir -p "$scratch/private" && chmod 700 "$scratch/private"
    printf '<title>x</title>' > "$scratch/private/page.html"
    ln -s "$scratch/private" "$tree/folder"
    chown -h nobody:nogroup "$tree/folder"
    local said status=0
    said=$("$cli" set --title Owned "$tree/evil.html" "$tree/folder/page.html" 2>&1) || status=$?
    echo "planted links as root: exit $status; shadow now \"$(tr '\n' ' ' < "$scratch/shadow")\";" \
        "private page now \"$(cat "$scratch/private/page.html")\"; said: $(echo "$said" | tr '\n' ' ')"
}

[[ ${SKIP_CONCURRENT:-} ]] || concurrent temporary
[[ ${SKIP_CONCURRENT:-} ]] || concurrent in-place
[[ ${SKIP_CONCURRENT:-} ]] || undo_against_set temporary
[[ ${SKIP_CONCURRENT:-} ]] || undo_against_set in-place
appends temporary
appends in-place
if [[ $(id -u) == 0 ]]; then
    forged_journal
    planted_link
else
    echo "forged journal and planted link: skipped, they need root"
fi
