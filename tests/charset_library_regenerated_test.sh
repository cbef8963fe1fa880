#!/bin/sh
# Regenerates the table library into a temporary folder and compares it, file
# by file and byte by byte, with the tables kept in the repository.
# Usage: charset_library_regenerated_test.sh GENERATOR CHARSETS_FOLDER
set -eu
generator="$1"
shipped="$2"
fresh="$(mktemp -d)"
trap 'rm -rf "$fresh"' EXIT

"$generator" "$fresh"
(cd "$fresh" && ls -- *.charset) >"$fresh/fresh.list"
(cd "$shipped" && ls -- *.charset) >"$fresh/shipped.list"
if ! cmp -s "$fresh/fresh.list" "$fresh/shipped.list"; then
  echo "the generator and $shipped hold different files:" >&2
  diff "$fresh/shipped.list" "$fresh/fresh.list" >&2 || true
  exit 1
fi
status=0
while read -r name; do
  if ! cmp "$shipped/$name" "$fresh/$name" >&2; then
    echo "$name differs from what the generator writes; run scripts/generate-charsets" >&2
    status=1
  fi
done <"$fresh/fresh.list"
[ "$status" -eq 0 ] && echo "$(wc -l <"$fresh/fresh.list") tables identical"
exit "$status"
