#!/usr/bin/env bash
# One interop case: a ZIP archive made by another program, wrapped behind the
# stub by concatenation, must extract with qpsfx to exactly the tree and bytes
# that unzip gives for the same archive.
# usage: interop.sh QPSFX STUB WORKDIR PRODUCER
set -euo pipefail
qpsfx=$1 stub=$2 work=$3 producer=$4
password=Pass-w0rd

rm -rf "$work" && mkdir -p "$work/src"
cd "$work/src"
# A small tree with what archivers treat differently: nested and empty folders,
# empty, tiny, incompressible and long compressible files, blanks in names.
mkdir -p "docs/deep/er" empty "with blank"
printf 'hello\n' >hello.txt
: >empty.txt
head -c 300000 /dev/urandom >random.bin
seq 1 60000 >docs/numbers.txt
for i in $(seq 1 200); do echo "line $i of a text that repeats itself, more or less"; done >docs/deep/er/text.txt
cp "$stub" docs/program.bin
printf 'x' >"with blank/a file.txt"
cd "$work"

zip_file=$work/archive.zip
unzip_password=()
qpsfx_password=()
case $producer in
  zip-0) (cd src && zip -q -r -0 "$zip_file" .) ;;
  zip-9) (cd src && zip -q -r -9 "$zip_file" .) ;;
  zip-e) (cd src && zip -q -r -6 -P "$password" "$zip_file" .)
         unzip_password=(-P "$password"); qpsfx_password=(--password "$password") ;;
  7z-deflate) (cd src && 7zz a -bd -bso0 -tzip -mm=Deflate "$zip_file" .) ;;
  7z-zipcrypto) (cd src && 7zz a -bd -bso0 -tzip -mm=Deflate -mem=ZipCrypto "-p$password" "$zip_file" .)
         unzip_password=(-P "$password"); qpsfx_password=(--password "$password") ;;
  python) python3 - "$zip_file" <<'PY'
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    for root, dirs, files in os.walk("src"):
        for d in sorted(dirs):
            path = os.path.join(root, d)
            z.write(path, os.path.relpath(path, "src"))
        for f in sorted(files):
            path = os.path.join(root, f)
            method = zipfile.ZIP_STORED if f.endswith(".bin") else zipfile.ZIP_DEFLATED
            z.write(path, os.path.relpath(path, "src"), compress_type=method)
PY
  ;;
  *) echo "unknown producer $producer" >&2; exit 2 ;;
esac

cat "$stub" "$zip_file" >"$work/archive.exe"
unzip -q "${unzip_password[@]}" "$zip_file" -d "$work/by-unzip"
"$qpsfx" extract "$work/archive.exe" -d "$work/by-qpsfx" "${qpsfx_password[@]}" 2>"$work/qpsfx.err" || {
  cat "$work/qpsfx.err" >&2; echo "qpsfx extract failed" >&2; exit 1; }
"$qpsfx" test "$work/archive.exe" "${qpsfx_password[@]}" >"$work/test.out"

# The same folders (empty ones too), the same files, the same bytes.
(cd "$work/by-unzip" && find . | sort) >"$work/unzip.tree"
(cd "$work/by-qpsfx" && find . | sort) >"$work/qpsfx.tree"
diff -u "$work/unzip.tree" "$work/qpsfx.tree"
diff -r "$work/by-unzip" "$work/by-qpsfx"
if grep -qv '^OK' "$work/test.out"; then cat "$work/test.out" >&2; exit 1; fi
echo "$producer: $(wc -l <"$work/unzip.tree") paths identical"
