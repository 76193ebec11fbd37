#!/usr/bin/env bash
# Runs the same memvane-bank commands with two builds of the tool on the same inputs and
# compares what they do: stdout, stderr (the folder's name replaced), exit status and every
# file written, byte for byte. A bank is compared by its export and its check, as the cipher
# makes its bytes differ from one run to the next; a PDF by its text, as it carries dates.
# Usage: scripts/compare-bank-tool.sh BEFORE_TOOL AFTER_TOOL
set -uo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 BEFORE_TOOL AFTER_TOOL" >&2
    exit 2
fi
before_tool=$(realpath "$1")
after_tool=$(realpath "$2")
repo=$(realpath "$(dirname "$0")/..")
root=$(mktemp -d)
# KEEP=1 leaves the records for a look.
[ -n "${KEEP:-}" ] && echo "records in $root" || trap 'rm -rf "$root"' EXIT

cases=()
declare -A script

# A case is lines of shell run in a folder of its own holding questions.csv and the decks;
# `t ARGS...` runs the tool under test and records what it did.
add() {
    cases+=("$1")
    script[$1]=$2
}

add help "t --help; t; t frobnicate"
for command in create import export check print; do
    add "help-$command" "t $command --help"
done
add create "t create questions.csv bank.mdb; t check bank.mdb"
add create-with-index "t create questions.csv bank.mdb; t check --fix bank.mdb; t check bank.mdb"
add import-same "t create questions.csv base.mdb; cp base.mdb copy.mdb; t import questions.csv copy.mdb"
add import-changed "t create questions.csv copy.mdb; head -n 120 questions.csv |
    sed 's/,1,0,1\$/,0,1,0/' >changed.csv; printf '9001,A new one?,Yes.,Ecology,1,1,1\n' >>changed.csv;
    t import --dry-run changed.csv copy.mdb; t import changed.csv copy.mdb; t check copy.mdb"
add export "t create questions.csv bank.mdb; t export bank.mdb out.csv; t export bank.mdb out.txt;
    t export bank.mdb out.kvtml; t export --to anki bank.mdb anki.deck; t create out.csv again.mdb;
    t create out.kvtml again-kvtml.mdb; t create --category Ecology out.txt again-anki.mdb"
add check "t create questions.csv bank.mdb; t check bank.mdb; t check --fix bank.mdb"
add print "t create questions.csv bank.mdb; t print bank.mdb cards.pdf;
    t print --card index --flip short --set tough bank.mdb tough.pdf;
    t print --layout fold --topic Ecology bank.mdb fold.pdf;
    t export bank.mdb all.csv; sed '2~7s/,0,0,0,0,0\r\?$/,1,0,0,0,0/' all.csv >marked.csv;
    t create marked.csv marked.mdb; t print --layout list --hide-answers --custom 2 marked.mdb quiz.pdf;
    t print --layout list --paper letter --set basics bank.mdb list.pdf; t print --test-page test.pdf"
for deck in "$repo"/tests/data/decks/*.txt "$repo"/tests/data/decks/*.kvtml; do
    name=$(basename "$deck")
    deck=decks/$name
    add "deck-$name" "t create --dry-run --category Ecology $deck dry.mdb;
        t create --category Ecology $deck deck.mdb; t create questions.csv bank.mdb;
        t import --dry-run --category Ecology $deck bank.mdb; t import --category Ecology $deck bank.mdb;
        t import --category Ecology $deck bank.mdb; t export bank.mdb back.txt; t check bank.mdb"
done
add deck-options "t create questions.csv bank.mdb;
    t import --sides 0,comment --category Ecology decks/khangman-animals.kvtml bank.mdb;
    t import --sides 1,0 --set BASICS,tough --category Ecology decks/kwordquiz-fill_in_the_blank.kvtml bank.mdb;
    t import --encoding latin1 --from tsv --category Plants decks/mnemosyne-tsv_5.txt bank.mdb;
    t import --from quizlet --field-separator ' - ' --card-separator ';;' --category Plants decks/mnemosyne-tsv_1.txt bank.mdb;
    t export bank.mdb out.csv"
add refusals "t create questions.csv bank.mdb; t create questions.csv bank.mdb; t check nothing.mdb;
    t check questions.csv; t export bank.mdb out.pdf; t export bank.mdb out.doc; t export questions.csv x.csv;
    t import bank.mdb bank.mdb; t print --set nothing bank.mdb x.pdf; t print --custom 9 bank.mdb x.pdf;
    t print --offset 99,99 bank.mdb x.pdf; t print --hide-answers bank.mdb x.pdf;
    t print --set tough --topic Ecology bank.mdb x.pdf; t import --map Cells=Nowhere decks/khangman-animals.kvtml bank.mdb;
    t import --sides 1,1 decks/khangman-animals.kvtml bank.mdb; t create decks/mnemosyne-tsv_1.txt deck.mdb;
    t create --from kvtml questions.csv x.mdb; printf 'ID,Question\n1,x\n' >bad.csv; t create bad.csv x.mdb;
    printf 'ID,Question,Answer,Category,BASICS,TOUGH,FINAL\n' >empty.csv; t create empty.csv x.mdb;
    t import --category Ecology decks/mnemosyne-tsv_1.txt questions.csv; t create questions.csv"

# Runs one case with one tool into $root/WHICH/CASE and leaves its record in .../record.
run_case() {
    local which=$1 name=$2 tool=$3
    local dir="$root/$which/$name"
    mkdir -p "$dir/work" "$dir/record"
    cp "$repo/data/questions.csv" "$dir/work/"
    cp -r "$repo/tests/data/decks" "$dir/work/decks"
    (
        cd "$dir/work" || exit 1
        n=0
        t() {
            n=$((n + 1))
            local at
            at=$(printf '%02d' "$n")
            printf '%s\n' "$*" >"$dir/record/$at.command"
            "$tool" "$@" >"$dir/record/$at.stdout" 2>"$dir/record/$at.stderr"
            echo $? >"$dir/record/$at.status"
        }
        eval "${script[$name]}"
        # The files written, each as the tool wrote it or as it reads.
        find . -type f ! -path './decks/*' ! -name questions.csv | sort | while read -r file; do
            local keep="$dir/record/files/${file#./}"
            mkdir -p "$(dirname "$keep")"
            case "$file" in
            *.mdb)
                "$tool" export "$file" "$keep.export.csv" >/dev/null 2>"$keep.export.stderr"
                echo $? >>"$keep.export.stderr"
                "$tool" check "$file" >"$keep.check" 2>&1
                echo $? >>"$keep.check"
                ;;
            *.pdf) pdftotext -layout "$file" "$keep.txt" 2>&1 || echo "pdftotext failed" >"$keep.txt" ;;
            *) cp "$file" "$keep" ;;
            esac
        done
    )
    # The folder's name appears in messages: made the same for both tools.
    find "$dir/record" -type f -exec sed -i "s|$dir/work|DIR|g; s|$root/$which|ROOT|g" {} +
}

differences=0
for name in "${cases[@]}"; do
    run_case before "$name" "$before_tool"
    run_case after "$name" "$after_tool"
    steps=$(find "$root/before/$name/record" -name '*.status' | wc -l)
    files=$(find "$root/before/$name/record/files" -type f 2>/dev/null | wc -l)
    if diff -r "$root/before/$name/record" "$root/after/$name/record" >"$root/$name.diff"; then
        printf 'same       %-50s %2d commands, %2d files\n' "$name" "$steps" "$files"
    else
        differences=$((differences + 1))
        printf 'DIFFERENT  %-50s\n' "$name"
        head -n 40 "$root/$name.diff" | sed 's/^/    /'
    fi
done
echo "compare-bank-tool: ${#cases[@]} cases, $differences with differences"
[ "$differences" -eq 0 ]
