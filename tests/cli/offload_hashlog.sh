#!/usr/bin/env bash
# stowline-cli offload writes each destination's Hash Log: a well-formed hash list whose
# checksums match the copies, a text report in the chosen language, and a clear failure when
# the log cannot be written.
. "$(dirname "$0")/lib.sh"
# Report names in a known time zone; the language comes from the locale.
export TZ=UTC
unset LANGUAGE
export LC_ALL=pt_BR.UTF-8
mkdir -p "$XDG_CONFIG_HOME"

card="$work/Cartão & Co"
mkdir -p "$card/A&B <1>" "$card/Ação" "$work/extra"
head -c 3000000 /dev/urandom >"$card/A&B <1>/clip 1.mov"
head -c 70000 /dev/urandom >"$card/Ação/Cena \"2\".wav"
: >"$card/Ação/vazio.txt"
echo "notes" >"$work/extra/notes.txt"

logs() { find "$1/Hash Log" -maxdepth 1 -name "$2" 2>/dev/null | wc -l; }
only() { find "$1/Hash Log" -maxdepth 1 -name "$2" -print -quit; }

# Two destinations, Portuguese: one hash list and one report each, checked against the copies.
mkdir -p "$work/d1" "$work/d2"
"$cli" offload "$card" --dest "$work/d1" --dest "$work/d2" --lang pt-BR >"$work/out" 2>"$work/err" ||
    fail "offload exited $? ($(cat "$work/err"))"
[[ $(grep -c '^Hash Log: ' "$work/out") -eq 4 ]] || fail "written reports not listed: $(cat "$work/out")"
# The command's own sentences follow the chosen language too, sizes included.
grep -qx 'Verificados 3, pulados 0, com falha 0 de 3 arquivos' "$work/out" || fail "summary not in Portuguese"
grep -qE '^[0-9,]+ [kMG]?B de [0-9,]+ [kMG]?B em .*, média de ' "$work/out" || fail "sizes not in Portuguese"
for dest in "$work/d1" "$work/d2"; do
    [[ $(logs "$dest" '*.mhl') -eq 1 && $(logs "$dest" '*_report.txt') -eq 1 ]] ||
        fail "$dest: expected one hash list and one report: $(ls "$dest/Hash Log")"
    mhl="$(only "$dest" '*.mhl')"
    [[ "$(basename "$mhl")" == "Cartão & Co_"*.mhl ]] || fail "report not named after the card: $mhl"
    xmllint --noout "$mhl" || fail "$mhl is not well-formed"
    count=$(xmllint --xpath 'count(//hash)' "$mhl")
    [[ $count -eq 3 ]] || fail "$mhl lists $count files, expected 3"
    for i in $(seq 1 "$count"); do
        file="$(xmllint --xpath "string(//hash[$i]/file)" "$mhl")"
        copy="$dest/$file"
        [[ -f "$copy" ]] || fail "$mhl names $file, which is not in $dest"
        [[ "$(xmllint --xpath "string(//hash[$i]/size)" "$mhl")" == "$(stat -c %s "$copy")" ]] ||
            fail "size of $file differs"
        [[ -n "$(xmllint --xpath "string(//hash[$i]/lastmodificationdate)" "$mhl")" ]] ||
            fail "no modification date for $file"
        want="$(xxhsum -H1 <"$copy" | cut -d' ' -f1)"
        [[ "$(xmllint --xpath "string(//hash[$i]/xxhash64be)" "$mhl")" == "$want" ]] ||
            fail "checksum of $file differs from xxhsum ($want)"
    done
    report="$(only "$dest" '*_report.txt')"
    grep -q "Relatório de transferência" "$report" || fail "report not in Portuguese: $(cat "$report")"
    grep -q "Cena \"2\".wav" "$report" || fail "report does not list the files"
done
grep -qF "$work/d1" "$(only "$work/d1" '*_report.txt')" || fail "report does not name its destination"

# English, text only, two sources (the label counts them); then hash list only; then none.
mkdir -p "$work/d3" "$work/d4" "$work/d5"
"$cli" offload "$card" "$work/extra" --dest "$work/d3" --lang en --no-mhl >/dev/null 2>"$work/err" ||
    fail "text-only offload exited $? ($(cat "$work/err"))"
[[ $(logs "$work/d3" '*.mhl') -eq 0 && $(logs "$work/d3" '2 items_*_report.txt') -eq 1 ]] ||
    fail "--no-mhl: $(ls "$work/d3/Hash Log")"
grep -q "Transfer Report" "$(only "$work/d3" '*_report.txt')" || fail "report not in English"
"$cli" offload "$card" --dest "$work/d4" --lang en --no-txt >/dev/null || fail "--no-txt exited $?"
[[ $(logs "$work/d4" '*.mhl') -eq 1 && $(logs "$work/d4" '*_report.txt') -eq 0 ]] ||
    fail "--no-txt: $(ls "$work/d4/Hash Log")"
"$cli" offload "$card" --dest "$work/d5" --no-mhl --no-txt >/dev/null || fail "no formats exited $?"
[[ ! -e "$work/d5/Hash Log" && -f "$work/d5/Cartão & Co/A&B <1>/clip 1.mov" ]] || fail "no formats: wrong result"

# Without --lang the application's stored choice wins over the environment, and --lang
# never writes that choice.
mkdir -p "$XDG_CONFIG_HOME/Stowline"
printf '[General]\nappLanguageOverride=en\n' >"$XDG_CONFIG_HOME/Stowline/Stowline.ini"
cp "$XDG_CONFIG_HOME/Stowline/Stowline.ini" "$work/prefs"
mkdir -p "$work/d6" "$work/d7"
"$cli" offload "$card" --dest "$work/d6" --no-mhl >/dev/null || fail "stored choice run exited $?"
grep -q "Transfer Report" "$(only "$work/d6" '*_report.txt')" || fail "stored language not used"
"$cli" offload "$card" --dest "$work/d7" --no-mhl --lang pt-BR >/dev/null || fail "--lang run exited $?"
grep -q "Relatório" "$(only "$work/d7" '*_report.txt')" || fail "--lang did not win"
cmp -s "$work/prefs" "$XDG_CONFIG_HOME/Stowline/Stowline.ini" || fail "--lang changed the stored preferences"

# A source with nothing to copy writes no Hash Log.
mkdir -p "$work/empty" "$work/d8"
"$cli" offload "$work/empty" --dest "$work/d8" >/dev/null || fail "empty source exited $?"
[[ ! -e "$work/d8/Hash Log" ]] || fail "a job without files wrote a Hash Log"

# A destination whose Hash Log cannot be created: exit 1 and a message naming it, while
# its copies are still verified and the other destination gets its reports.
mkdir -p "$work/d9" "$work/d10"
echo "in the way" >"$work/d9/Hash Log"
status=0
"$cli" offload "$card" --dest "$work/d9" --dest "$work/d10" >"$work/out" 2>"$work/err" || status=$?
[[ $status -eq 1 ]] || fail "unwritable Hash Log gave exit $status"
grep -qx "stowline-cli: could not write the Hash Log to $work/d9" "$work/err" ||
    fail "no message for the unwritable Hash Log: $(cat "$work/err")"
[[ $(grep -c '^verified' "$work/out") -eq 3 ]] || fail "copies not verified: $(cat "$work/out")"
cmp -s "$card/A&B <1>/clip 1.mov" "$work/d9/Cartão & Co/A&B <1>/clip 1.mov" || fail "copy in d9 differs"
[[ $(logs "$work/d10" '*.mhl') -eq 1 ]] || fail "the healthy destination lost its Hash Log"
[[ "$(cat "$work/d9/Hash Log")" == "in the way" ]] || fail "the file in the way was touched"
# --pdf: a PDF report beside the others in each destination, drawn with no display at all, in
# the report's language (what a PDF report holds is the application tests' to check).
if command -v pdftotext >/dev/null; then
    mkdir -p "$work/p1" "$work/p2"
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$cli" offload "$card" --dest "$work/p1" \
        --dest "$work/p2" --pdf --lang pt-BR >"$work/out" 2>"$work/err" || fail "--pdf exited $? ($(cat "$work/err"))"
    [[ ! -s "$work/err" ]] || fail "--pdf printed to standard error: $(cat "$work/err")"
    [[ $(grep -c '^Hash Log: .*_report\.pdf$' "$work/out") -eq 2 ]] || fail "PDFs not listed: $(cat "$work/out")"
    for dest in "$work/p1" "$work/p2"; do
        pdf="$(only "$dest" '*_report.pdf')"
        [[ "$(basename "$pdf" _report.pdf)" == "$(basename "$(only "$dest" '*.mhl')" .mhl)" ]] ||
            fail "the PDF does not share the hash list's name: $(ls "$dest/Hash Log")"
        pdftotext -layout "$pdf" "$work/pdf.txt" || fail "$pdf cannot be read"
        grep -q "Relatório de transferência" "$work/pdf.txt" || fail "PDF not in Portuguese"
        grep -qF "$dest" "$work/pdf.txt" || fail "PDF does not name its destination"
    done
else
    echo "skipped the PDF report: poppler-utils missing (run scripts/setup)" >&2
fi

# An empty folder of the card that cannot be made at the destination fails the job, in the
# chosen language, on the terminal and in the report.
mkdir -p "$work/folders/card/vazia" "$work/d11/card"
echo take >"$work/folders/card/clip.mov"
echo "in the way" >"$work/d11/card/vazia"
status=0
"$cli" offload "$work/folders/card" --dest "$work/d11" --lang pt-BR >"$work/out" 2>"$work/err" || status=$?
[[ $status -eq 1 ]] || fail "a folder not made gave exit $status"
grep -q '; 1 pasta sem criar$' "$work/out" || fail "summary silent on the folder: $(cat "$work/out")"
grep -q 'card/vazia' "$work/err" || fail "no message for the folder: $(cat "$work/err")"
grep -q 'card/vazia/' "$(only "$work/d11" '*_report.txt')" || fail "the report does not list the folder"
echo ok
