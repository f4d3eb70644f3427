#!/usr/bin/env bash
# clang-tidy over our sources, with the checks of the root .clang-tidy.
#   scripts/tidy.sh BUILD_DIR [FOLDER...]     (folders default to src)
# Every .cpp of compile_commands.json under the folders is checked; a finding
# counts when it is in a file under those folders (a header is reported once,
# however many sources include it). Prints the findings, a count per file, and
# exits 1 when there is any.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: tidy.sh BUILD_DIR [FOLDER...]}
shift
folders=("$@")
[ ${#folders[@]} -eq 0 ] && folders=(src)
db="$build/compile_commands.json"
[ -f "$db" ] || { echo "tidy: $db is missing (configure the build first)" >&2; exit 2; }
tidy=$(command -v clang-tidy-14 || command -v clang-tidy) || { echo "tidy: clang-tidy not installed" >&2; exit 2; }
jobs=${JOBS:-2}
# Extra clang-tidy arguments, e.g. TIDY_ARGS=--checks=-*,bugprone-use-after-move
extra=${TIDY_ARGS:-}

prefixes=()
for f in "${folders[@]}"; do prefixes+=("$root/${f%/}/"); done
under_folders() {
  local p
  for p in "${prefixes[@]}"; do [[ $1 == "$p"* ]] && return 0; done
  return 1
}

sources=()
while IFS= read -r f; do
  [ -f "$f" ] && under_folders "$f" && sources+=("$f")
done < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$db" | sort -u)
[ ${#sources[@]} -eq 0 ] && { echo "tidy: no sources under ${folders[*]} in $db" >&2; exit 2; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# One log per source; clang-tidy's own exit status is not used, the findings are.
printf '%s\n' "${sources[@]}" | nl -ba -w1 -s' ' |
  xargs -P "$jobs" -L1 sh -c '"$0" -p "$1" --quiet $3 "$5" > "$2/$4.log" 2>&1 || true' \
    "$tidy" "$build" "$out" "$extra"

# "file:line:col: warning|error: text [check]" lines, deduplicated.
findings=$(cat "$out"/*.log | grep -E '^/[^:]+:[0-9]+:[0-9]+: (warning|error): ' | sort -u || true)
kept=""
while IFS= read -r line; do
  [ -z "$line" ] && continue
  under_folders "${line%%:*}" && kept+="$line"$'\n'
done <<< "$findings"

if [ -z "$kept" ]; then
  echo "tidy: ${#sources[@]} sources under ${folders[*]}: no findings"
  exit 0
fi
printf '%s' "$kept" | sed "s|^$root/||"
echo "== findings per file"
printf '%s' "$kept" | sed "s|^$root/||; s|:.*||" | sort | uniq -c | sort -rn
echo "== findings per check"
printf '%s' "$kept" | sed -n 's/.*\[\([a-z0-9.-]*\)[],].*/\1/p' | sort | uniq -c | sort -rn
echo "tidy: $(printf '%s' "$kept" | wc -l) findings"
exit 1
