#!/usr/bin/env bash
# The Debian package as a user gets it: built with CPack in BUILD, listed,
# checked by lintian (errors and hardening tags fail, the pedantic and
# informational tags are shown), unpacked into a
# temporary root and its CLI run there with a fresh HOME: it must read its data
# in place from share/, copy none of it home, keep settings, log and work
# files in the XDG folders, identify the virtual chip, run a shipped example
# box, and see a catalogue replaced in share/ at the next run. Also
# validates the desktop entry and the metainfo, checks the udev rule
# (scripts/check_udev_rule.sh), and checks that the manual page lists every
# command of `tarnwick-cli help`.
#   package_test.sh BUILD
set -euo pipefail
build=$(cd "$1" && pwd)
fail() { echo "package test: $*" >&2; exit 1; }
for tool in cpack dpkg-deb lintian desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== cpack"
rm -f "$build"/tarnwick_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$build"/tarnwick_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no tarnwick_*.deb"
deb=${debs[0]}
echo "package: $deb"

echo "== dpkg-deb --contents"
dpkg-deb --contents "$deb" | awk '{print $1, $6}'
for f in ./usr/bin/tarnwick ./usr/bin/tarnwick-cli ./usr/share/tarnwick/database.dat \
         ./usr/share/tarnwick/lang/en/ftext.ini ./usr/share/tarnwick/lang/zh_CN/ftext.ini \
         ./usr/lib/udev/rules.d/60-tarnwick.rules ./usr/share/man/man1/tarnwick-cli.1.gz \
         ./usr/share/applications/org.tarnwick.Tarnwick.desktop \
         ./usr/share/metainfo/org.tarnwick.Tarnwick.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/tarnwick.svg ./usr/share/doc/tarnwick/copyright \
         ./usr/share/doc/tarnwick/virtual-box.md; do
  dpkg-deb --contents "$deb" | awk '{print $6}' | grep -qx -- "$f" || fail "the package lacks $f"
done

# What the build lays into the portable folder beside the data goes along.
for f in Tarnwick.html services.ini.example sim-boot-table.bin; do
  if [ -f "$build/portable/$f" ]; then
    dpkg-deb --contents "$deb" | awk '{print $6}' | grep -qx -- "./usr/share/tarnwick/$f" \
      || fail "the package lacks ./usr/share/tarnwick/$f"
  fi
done

echo "== control: what a stock system needs beside the dependencies"
recommends=$(dpkg-deb -f "$deb" Recommends)
echo "Recommends: $recommends"
for p in fonts-noto-cjk fonts-wqy-microhei qt6-translations-l10n xdg-utils; do
  grep -qw -- "$p" <<<"$recommends" || fail "the package does not recommend $p"
done

echo "== lintian"
lintian -I --pedantic --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || true
grep -v 'running with root privileges' "$work/lintian.txt" || true
errors=$(grep -c '^E: ' "$work/lintian.txt" || true)
warnings=$(grep -c '^W: ' "$work/lintian.txt" || true)
echo "lintian: $errors errors, $warnings warnings"
[ "$errors" -eq 0 ] || fail "lintian reports errors"
# The programs are built with the hardening flags (fortify, stack protector,
# relro and bind-now, PIE): none of lintian's hardening tags is left.
if grep -E '^[EWIP]: .* hardening-' "$work/lintian.txt"; then
  fail "lintian finds programs built without the hardening flags"
fi

root="$work/root"
dpkg -x "$deb" "$root"
echo "== udev rule"
bash "$(dirname "$0")/check_udev_rule.sh" "$root/usr/lib/udev/rules.d/60-tarnwick.rules"
echo "== desktop entry and metainfo"
desktop-file-validate "$root/usr/share/applications/org.tarnwick.Tarnwick.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.tarnwick.Tarnwick.metainfo.xml"

echo "== installed tarnwick-cli --simulate detect"
home="$work/home"
mkdir -p "$home"
share="$root/usr/share/tarnwick"
# A fresh user: no XDG variables, so the defaults below HOME apply.
run_cli() {
  env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u XDG_CACHE_HOME \
    -u LC_ALL -u LC_MESSAGES HOME="$home" LANG=C.UTF-8 "$root/usr/bin/tarnwick-cli" "$@" </dev/null
}
status=0
run_cli --simulate detect >"$work/out.txt" 2>"$work/err.txt" || status=$?
cat "$work/out.txt"
[ "$status" -eq 0 ] || { cat "$work/err.txt"; fail "installed tarnwick-cli exited $status"; }
grep -q 'EN25Q64' "$work/out.txt" || fail "the output names no chip"
echo "files below HOME:"
(cd "$home" && find . -type f | sort)
# Nothing of the shipped data is copied into the home folder.
while IFS= read -r -d '' f; do
  while IFS= read -r -d '' s; do
    cmp -s "$f" "$s" && fail "the shipped ${s#"$share"/} was copied to ${f#"$home"/}"
  done < <(find "$share" -type f -name "$(basename "$f")" -print0)
done < <(find "$home" -type f -print0)
[ ! -e "$home/.local/share/tarnwick" ] || fail "a per-user data folder was made: ~/.local/share/tarnwick"
# Settings, log, work and the virtual chip in their XDG folders.
[ -f "$home/.config/tarnwick/settings" ] || fail "no settings in ~/.config/tarnwick"
grep -q 'EN25Q64' "$home/.local/state/tarnwick/log.txt" || fail "no log in ~/.local/state/tarnwick"
[ -f "$home/.local/state/tarnwick/sim/en25q64.bin" ] || fail "no virtual chip in ~/.local/state/tarnwick/sim"
[ -d "$home/.cache/tarnwick" ] || fail "no work folder in ~/.cache/tarnwick"
stray=$(cd "$home" && find . \( -name 'h_ven*' -o -name temp -o -name cli-work -o -name 'hven2.dll' \) \
  -not -path './.cache/tarnwick/*')
[ -z "$stray" ] || fail "work files outside ~/.cache/tarnwick: $stray"
# The work files of a read land in the cache folder: a run's own folder there.
run_cli --simulate read "$work/read.bin" >/dev/null 2>"$work/err.txt" \
  || { cat "$work/err.txt"; fail "installed tarnwick-cli read failed"; }
[ -s "$work/read.bin" ] || fail "the read wrote nothing"

echo "== the shipped example boxes work from the read-only share folder"
run_cli --simulate="$share/sim/eeprom_24c256.box" --chip '24 EEPROM/GENERIC/24C256' \
  read "$work/eeprom.bin" >"$work/out.txt" 2>"$work/err.txt" \
  || { cat "$work/err.txt"; fail "the example box eeprom_24c256.box does not work"; }
[ -f "$home/.local/state/tarnwick/sim/24c256.bin" ] || fail "the example box's chip is not in the state folder"
[ ! -e "$share/sim/24c256.bin" ] || fail "the example box wrote into the share folder"
# Two example boxes at once stand for two connected boxes; theirs go there too.
run_cli --simulate="$share/sim/eeprom_24c256.box,$share/sim/default.box" --device 1:1 \
  --chip '24 EEPROM/GENERIC/24C256' read "$work/eeprom2.bin" >"$work/out.txt" 2>"$work/err.txt" \
  || { cat "$work/err.txt"; fail "two example boxes given together do not work"; }
cmp -s "$work/eeprom.bin" "$work/eeprom2.bin" || fail "the second run did not read the same example chip"
[ ! -e "$share/sim/en25q64.bin" ] || fail "an example box given in a list wrote into the share folder"

echo "== a replaced shipped catalogue is read by the next run"
"$build/tools/tarnwick-catalogue" decode "$share/database.dat" "$work/catalogue.txt"
sed -i 's/^@EN25Q64:/@EN25Q64NEW:/' "$work/catalogue.txt"
grep -q '^@EN25Q64NEW:' "$work/catalogue.txt" || fail "the catalogue holds no EN25Q64 to rename"
chmod u+w "$share/database.dat"
"$build/tools/tarnwick-catalogue" encode "$work/catalogue.txt" "$share/database.dat"
run_cli chips --search EN25Q64 >"$work/chips.txt" 2>"$work/err.txt" || { cat "$work/err.txt"; fail "chips failed"; }
grep -q 'EN25Q64NEW' "$work/chips.txt" || fail "the next run did not read the replaced catalogue"

echo "== installed window: one per user, its lock in the state folder"
window_env=(env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u XDG_CACHE_HOME
  -u LC_ALL -u LC_MESSAGES HOME="$home" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen
  XDG_RUNTIME_DIR="$work" TARNWICK_BOX_LOG=1)
"${window_env[@]}" "$root/usr/bin/tarnwick" --simulate </dev/null >"$work/window1.txt" 2>&1 &
window=$!
lock="$home/.local/state/tarnwick/Tarnwick.exe.lock"
for _ in $(seq 200); do [ -f "$lock" ] && break; sleep 0.1; done
[ -f "$lock" ] || { kill "$window" 2>/dev/null; cat "$work/window1.txt"; fail "the window made no lock in ~/.local/state/tarnwick"; }
status=0
timeout 60 "${window_env[@]}" "$root/usr/bin/tarnwick" --simulate </dev/null \
  >"$work/window2.txt" 2>&1 || status=$?
kill "$window" 2>/dev/null || true
wait "$window" 2>/dev/null || true
grep -q 'already running' "$work/window2.txt" || { cat "$work/window2.txt"; fail "a second window of the same user was not refused"; }
[ "$status" -eq 0 ] || fail "the refused second window exited $status"

echo "== manual page against tarnwick-cli help"
man="$root/usr/share/man/man1/tarnwick-cli.1.gz"
missing=0
for name in $("$root/usr/bin/tarnwick-cli" help | sed -n '/^commands:/,$p' | awk 'NR > 1 {print $1}'); do
  roff=${name//-/\\-}
  zcat "$man" | grep -qF "\\fB$roff\\fR" || { echo "not in the manual page: $name"; missing=$((missing + 1)); }
done
[ "$missing" -eq 0 ] || fail "$missing commands missing from the manual page"
echo "package test: passed"
