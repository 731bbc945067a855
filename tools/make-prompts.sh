#!/usr/bin/env bash
# Records the voice prompts into a prompt folder: one WAV per line of
# prompt-words.txt ("name|spoken text"), spoken by espeak-ng, and the silent
# "delay" prompt whose length is the program's reply pause. Installed as
# rigvox-make-prompts.
#
#   make-prompts.sh [OUTDIR [DELAY_MS]]
#
# OUTDIR defaults to "wave", the prompt folder of the working folder it is
# run in. When OUTDIR is a symbolic link (rigvox-setup links the working
# folder's "wave" to the installed prompts), the link is replaced by a folder
# of the user's own: the installed prompts are never written.
# Every file is 22050 Hz mono 16-bit with its leading and trailing silence cut,
# so a spoken number is short: the program is deaf while a prompt sounds.
# DELAY_MS (argument or environment, default 100) is the length of delay.wav.
# PROMPT_VOICE (default en-gb) and PROMPT_RATE (words per minute, default 200)
# choose the voice. Ends by touching OUTDIR/.made. Safe to run again: the
# folder is remade from the list each time.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=${1:-wave}
delay_ms=${2:-${DELAY_MS:-100}}
# Beside the script in the source tree, or in share/rigvox once installed.
words=${PROMPT_WORDS:-$here/prompt-words.txt}
[[ -n ${PROMPT_WORDS:-} || -r $words ]] || words=$here/../share/rigvox/prompt-words.txt
voice=${PROMPT_VOICE:-en-gb}
rate=${PROMPT_RATE:-200}

for tool in espeak-ng sox; do
    command -v "$tool" >/dev/null || { echo "make-prompts: $tool is not installed" >&2; exit 1; }
done
[[ -r $words ]] || { echo "make-prompts: cannot read $words" >&2; exit 1; }
[[ $delay_ms =~ ^[0-9]+$ && $delay_ms -gt 0 && $delay_ms -le 5000 ]] ||
    { echo "make-prompts: delay must be 1 to 5000 ms, not '$delay_ms'" >&2; exit 1; }

if [[ -L $out ]]; then
    echo "make-prompts: $out was a link to $(readlink "$out"); it becomes a folder of its own"
    rm -f "$out"
fi
mkdir -p "$out"
work=$(mktemp -d "$out/.making.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The list, checked: lower-case names of letters and digits, each once.
list=$work/list
declare -A seen=()
lineno=0
while IFS= read -r line || [[ -n $line ]]; do
    lineno=$((lineno + 1))
    line=${line%$'\r'}
    [[ -z ${line//[[:space:]]/} || $line == \#* ]] && continue
    if [[ $line != *"|"* ]]; then
        echo "make-prompts: $words:$lineno: expected name|text" >&2
        exit 1
    fi
    name=${line%%|*}
    text=${line#*|}
    name=${name,,}
    name=${name%.wav}
    if [[ ! $name =~ ^[a-z0-9]+$ || -z ${text//[[:space:]]/} || $name == delay ]]; then
        echo "make-prompts: $words:$lineno: bad prompt line '$line'" >&2
        exit 1
    fi
    if [[ -n ${seen[$name]:-} ]]; then
        echo "make-prompts: $words:$lineno: '$name' given twice" >&2
        exit 1
    fi
    seen[$name]=1
    printf '%s|%s\n' "$name" "$text" >>"$list"
done <"$words"

# One prompt: speak into a raw file, then convert and cut the silence at both
# ends (reverse, cut the lead, reverse back) below -50 dB, low enough to keep
# the faint hiss of a closing "f" or "s", and leave 30 ms so that prompts
# played one after another do not run together.
make_one() {
    local name=${1%%|*} text=${1#*|}
    printf '%s\n' "$text" >"$WORK/$name.txt"
    espeak-ng -v "$VOICE" -s "$RATE" -f "$WORK/$name.txt" -w "$WORK/$name.raw.wav"
    sox "$WORK/$name.raw.wav" -r 22050 -c 1 -b 16 -e signed-integer "$WORK/$name.wav" \
        silence 1 0.01 0.3% reverse silence 1 0.01 0.3% reverse pad 0 0.03
    rm -f "$WORK/$name.txt" "$WORK/$name.raw.wav"
}
export -f make_one
export WORK=$work VOICE=$voice RATE=$rate

jobs=$(nproc 2>/dev/null || echo 2)
# shellcheck disable=SC2016 # $1 belongs to the inner shell
xargs -d '\n' -n 1 -P "$jobs" bash -c 'set -euo pipefail; make_one "$1"' _ <"$list"

# The reply pause: silence of the chosen length.
seconds=$(awk -v ms="$delay_ms" 'BEGIN { printf "%.3f", ms / 1000 }')
sox -n -r 22050 -c 1 -b 16 -e signed-integer "$work/delay.wav" trim 0 "$seconds"

# Every listed prompt must exist before the folder is replaced.
count=0
while IFS= read -r entry; do
    name=${entry%%|*}
    [[ -s $work/$name.wav ]] || { echo "make-prompts: $name.wav was not made" >&2; exit 1; }
    count=$((count + 1))
done <"$list"

# Recordings no longer listed go; the new ones take their place.
shopt -s nullglob
for old in "$out"/*.wav; do
    base=$(basename "$old" .wav)
    [[ -n ${seen[$base]:-} || $base == delay ]] || rm -f "$old"
done
mv -f "$work"/*.wav "$out"/
touch "$out/.made"
echo "make-prompts: $((count + 1)) prompts in $out (delay ${delay_ms} ms)"
