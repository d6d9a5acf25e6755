#!/usr/bin/env bash
# The seed script turns every readable corpus entry into raw bytes: hex files give back
# their bytes exactly, and text-form streams become streams the tool can read again.
set -euo pipefail
src=$1 build=$2
out=$(mktemp -d "${TMPDIR:-/tmp}/fuzz-seeds.XXXXXX")
trap 'rm -rf "$out"' EXIT
for corpus in tests/document/corpus tests/imaging/corpus tests/platform/cfb/corpus; do
    "$src/scripts/fuzz-seeds" "$src/$corpus" "$out/$(basename "$(dirname "$corpus")")" "$build" >/dev/null
done
fail=0
for hex in "$src"/tests/imaging/corpus/*.hex "$src"/tests/document/corpus/*.hex; do
    seed="$out/$(basename "$(dirname "$(dirname "$hex")")")/$(basename "${hex%.hex}")"
    want=$(tr -d ' \n\r\t' <"$hex" | tr 'A-F' 'a-f')
    got=$(od -An -v -tx1 "$seed" | tr -d ' \n')
    if [ "$want" != "$got" ]; then
        echo "wrong bytes for $hex" >&2
        fail=1
    fi
done
for raw in "$src"/tests/platform/cfb/corpus/*; do
    cmp -s "$raw" "$out/cfb/$(basename "$raw")" || { echo "changed: $raw" >&2; fail=1; }
done
# A built text-form stream reads back through the tool.
"$build/bin/corvane-tool" stream dump "$out/document/sample.bin" | grep -q "TSample" ||
    { echo "sample.bin does not read back" >&2; fail=1; }
exit $fail
