#!/usr/bin/env bash
# The stub, with a configuration block and an archive appended, starts under Wine,
# reads its own file and exits with code 0 (its main dialog, if it shows one,
# closed with Cancel by the driver).
set -euo pipefail
stub=$1
state=$(realpath -m "$2")
driver=$3
work="$state/smoke"
rm -rf "$work"
mkdir -p "$work/data"
eval "$("$(dirname "$0")/wine_env.sh" env "$state")"

echo "hello from the archive" >"$work/data/hello.txt"
(cd "$work/data" && zip -q -X ../archive.zip hello.txt)
# "@QP", flags 0x0A, lengths 5, 0, 0, the intro "Hello", filler to 256 bytes.
{ printf '@QP\x0a\x05\x00\x00Hello'; head -c $((256 - 12)) /dev/zero | tr '\0' '.'; } >"$work/block.bin"
cat "$stub" "$work/block.bin" "$work/archive.zip" >"$work/smoke.exe"

win="Z:${work//\//\\}"
printf 'program %s\\smoke.exe\nargs some arguments\nstart\nexit cancel\n' "$win" >"$work/script.txt"
timeout 60 wine "$driver" "$win\\script.txt" "$win\\transcript.txt" </dev/null >"$work/wine.log" 2>&1 || true
cat "$work/transcript.txt"
tail -n 1 "$work/transcript.txt" | grep -q '^exit 0 '
