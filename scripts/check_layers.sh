#!/usr/bin/env bash
# Checks the include rules between the layers over a source tree:
#   - src/core includes no Qt header (<Q...>, <Qt...>);
#   - src/sim includes only src/protocol and src/sim (plus the standard
#     library and system headers, Qt's excepted);
#   - src/ui, src/cli and bench reach the session only through
#     core/session/session.h, never its internals;
#   - src/core/catalogue includes nothing of core/device.
#   check_layers.sh ROOT
# Prints "file:line: rule: the include line" for each breach and exits 1 when
# there is any, 0 when the tree keeps every rule.
set -euo pipefail
root=$(cd "${1:?usage: check_layers.sh ROOT}" && pwd)
cd "$root"

breaches=0
report() {  # file line rule text
  echo "$1:$2: $3: $4"
  breaches=$((breaches + 1))
}

# "a/./b/../c" as "a/c", without leaving ROOT.
normalise() {
  local part out=() IFS=/
  for part in $1; do
    case "$part" in
      "" | .) ;;
      ..) [ ${#out[@]} -gt 0 ] && unset 'out[${#out[@]}-1]' ;;
      *) out+=("$part") ;;
    esac
  done
  echo "${out[*]}"
}

# Where a quoted include lands, relative to ROOT: beside the including file
# first, then under src/, then under ROOT (the compiler's -I order). A target
# that is not there at all is taken as under src/, where it would be looked for.
resolve() {  # including_file include_path
  local candidate
  for candidate in "${1%/*}/$2" "src/$2" "$2"; do
    if [ -e "$candidate" ]; then
      normalise "$candidate"
      return
    fi
  done
  normalise "src/$2"
}

is_qt() { [[ $1 =~ ^Q[A-Za-z_] ]]; }

include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)[">]'
# One grep for every include line of the tree: "file:line:text".
while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line_no=${rest%%:*}
  line=${rest#*:}
  [[ $line =~ $include_re ]] || continue
  kind=${BASH_REMATCH[1]}
  path=${BASH_REMATCH[2]}
  text=${BASH_REMATCH[0]}
  # A Qt header: <QWidget>, <QtCore/qobject.h>, or the same in quotes when
  # no file of ours has that name.
  target=""
  qt=0
  if [ "$kind" = "<" ]; then
    is_qt "$path" && qt=1
    # Our own headers in angle brackets obey the same rules.
    if [ -e "src/$path" ] || [ -e "$path" ]; then target=$(resolve "$file" "$path"); fi
  else
    target=$(resolve "$file" "$path")
    is_qt "$path" && [ ! -e "$target" ] && qt=1
  fi

  case "$file" in
    src/core/*)
      [ $qt -eq 1 ] && report "$file" "$line_no" "core includes Qt" "$text"
      if [[ $file == src/core/catalogue/* && $target == src/core/device/* ]]; then
        report "$file" "$line_no" "catalogue includes device" "$text"
      fi
      ;;
    src/sim/*)
      if [ $qt -eq 1 ]; then
        report "$file" "$line_no" "sim includes Qt" "$text"
      elif [ -n "$target" ] && [[ $target != src/protocol/* && $target != src/sim/* ]]; then
        report "$file" "$line_no" "sim includes beyond protocol" "$text"
      fi
      ;;
    src/ui/* | src/cli/* | bench/*)
      if [[ $target == src/core/session/* && $target != src/core/session/session.h ]]; then
        report "$file" "$line_no" "session internals" "$text"
      fi
      ;;
  esac
done < <(for d in src bench; do [ -d "$d" ] && echo "$d"; done |
           xargs -r grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.inc' \
             '^[[:space:]]*#[[:space:]]*include' | sort -t: -k1,1 -k2,2n)

if [ $breaches -gt 0 ]; then
  echo "layering: $breaches include(s) break the layer rules"
  exit 1
fi
echo "layering: every include keeps the layer rules"
