#!/usr/bin/env bash
# The stub, with a configuration block and an archive appended, starts under Wine,
# reads its own file and exits with code 0.
set -euo pipefail
stub=$1
state=$(realpath -m "$2")
work="$state/smoke"
rm -rf "$work"
mkdir -p "$work/data"
eval "$("$(dirname "$0")/wine_env.sh" env "$state")"

echo "hello from the archive" >"$work/data/hello.txt"
(cd "$work/data" && zip -q -X ../archive.zip hello.txt)
# "@QP", flags 0x0A, lengths 5, 0, 0, the intro "Hello", filler to 256 bytes.
{ printf '@QP\x0a\x05\x00\x00Hello'; head -c $((256 - 12)) /dev/zero | tr '\0' '.'; } >"$work/block.bin"
cat "$stub" "$work/block.bin" "$work/archive.zip" >"$work/smoke.exe"

set +e
timeout 60 wine "$work/smoke.exe" some arguments </dev/null >"$work/wine.log" 2>&1
code=$?
set -e
echo "exit code: $code"
[ "$code" -eq 0 ]
