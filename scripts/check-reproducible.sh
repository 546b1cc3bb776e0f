#!/usr/bin/env bash
# Builds the release package a second time, from a copy of this tree in another folder, and compares the
# two zips byte for byte. The copy holds the files git sees here, committed or not, so that a change not
# yet committed is in both builds. Usage: scripts/check-reproducible.sh [ZIP] (without ZIP it builds the
# package here first). Costs one Release build of Pelmar and pelmar-cli.
set -euo pipefail
cd "$(dirname "$0")/.."

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
first=${1:-$(scripts/package.sh | tail -n 1)}
copy=$(mktemp -d "${TMPDIR:-/tmp}/pelmar-again.XXXXXX")
trap 'rm -rf "$copy"' EXIT

git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d "" file; do if [[ -e $file ]]; then printf "%s\0" "$file"; fi; done |
  xargs -0 cp -P --parents -t "$copy"
second=$(cd "$copy" && scripts/package.sh | tail -n 1)
if cmp "$first" "$copy/$second"; then
  echo "check-reproducible: $(basename "$first") built again in $copy is byte-identical"
else
  echo "check-reproducible: $(basename "$first") built again in $copy differs" >&2
  exit 1
fi
