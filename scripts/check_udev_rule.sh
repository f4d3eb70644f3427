#!/usr/bin/env bash
# Checks the box's udev rule: it matches the box (USB 0716:5018) and gives
# it to the seat's user (TAG+="uaccess") and the group plugdev with mode 0660,
# never to every account; its comment names where the package puts it. With
# udevadm at hand the rule is also parsed by udev itself ("udevadm verify",
# systemd 253 and later).
#   check_udev_rule.sh RULES_FILE
set -euo pipefail
rules=$1
fail() { echo "udev rule check: $*" >&2; exit 1; }
[ -f "$rules" ] || fail "no file $rules"

# The seat's user gets the device from 73-seat-late.rules, which acts on the
# uaccess tag: the rule must come before it.
name=$(basename "$rules")
[[ $name =~ ^([0-9]+)- ]] && [ "${BASH_REMATCH[1]#0}" -lt 73 ] \
  || fail "$name does not sort before 73-seat-late.rules"

# The one rule line (comments and blank lines aside).
mapfile -t lines < <(grep -v '^[[:space:]]*\(#\|$\)' "$rules")
[ "${#lines[@]}" -eq 1 ] || fail "expected one rule line, found ${#lines[@]}"
rule=${lines[0]}
has() { grep -qF -- "$1" <<<"$rule"; }
for key in 'SUBSYSTEM=="usb"' 'ATTRS{idVendor}=="0716"' 'ATTRS{idProduct}=="5018"' \
           'TAG+="uaccess"' 'GROUP="plugdev"' 'MODE="0660"'; do
  has "$key" || fail "the rule lacks $key"
done
# Every MODE the file sets: none may give the device to other accounts.
while read -r mode; do
  other=${mode: -1}
  [ $((other)) -eq 0 ] || fail "MODE=\"$mode\" lets every account at the box"
done < <(grep -o 'MODE="[0-7]*"' "$rules" | tr -dc '0-7\n')
grep -qF '/usr/lib/udev/rules.d' "$rules" || fail "the comment does not name /usr/lib/udev/rules.d"
if grep -q '\(^\|[^r]\)/lib/udev/rules.d' "$rules"; then
  fail "the comment names /lib/udev/rules.d"
fi

if command -v udevadm >/dev/null && udevadm verify --help >/dev/null 2>&1; then
  udevadm verify --resolve-names=never "$rules" || fail "udevadm verify refuses the rule"
  echo "udev rule check: udevadm verify passed"
fi
echo "udev rule check: passed"
