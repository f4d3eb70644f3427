#!/usr/bin/env bash
# The Debian package as a user gets it: built with CPack in BUILD, listed,
# checked by lintian (errors and hardening tags fail, the pedantic and
# informational tags are shown), unpacked into a
# temporary root and its CLI run there with a fresh HOME: it must find its data
# in share/, seed ~/.local/share/tarnwick and identify the virtual chip. Also
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
         ./usr/share/icons/hicolor/scalable/apps/tarnwick.svg ./usr/share/doc/tarnwick/copyright; do
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
status=0
env -u XDG_DATA_HOME -u LC_ALL -u LC_MESSAGES HOME="$home" LANG=C.UTF-8 \
  "$root/usr/bin/tarnwick-cli" --simulate detect >"$work/out.txt" 2>"$work/err.txt" </dev/null \
  || status=$?
cat "$work/out.txt"
[ "$status" -eq 0 ] || { cat "$work/err.txt"; fail "installed tarnwick-cli exited $status"; }
grep -q 'EN25Q64' "$work/out.txt" || fail "the output names no chip"
user="$home/.local/share/tarnwick"
for f in database.dat ftext.ini itext.ini en25q64.bin; do
  [ -f "$user/$f" ] || fail "the per-user folder lacks $f"
done
cmp -s "$user/ftext.ini" "$root/usr/share/tarnwick/lang/en/ftext.ini" \
  || fail "the per-user texts are not the English set"
echo "per-user folder: $(find "$user" -type f | wc -l) files"

echo "== manual page against tarnwick-cli help"
man="$root/usr/share/man/man1/tarnwick-cli.1.gz"
missing=0
for name in $("$root/usr/bin/tarnwick-cli" help | sed -n '/^commands:/,$p' | awk 'NR > 1 {print $1}'); do
  roff=${name//-/\\-}
  zcat "$man" | grep -qF "\\fB$roff\\fR" || { echo "not in the manual page: $name"; missing=$((missing + 1)); }
done
[ "$missing" -eq 0 ] || fail "$missing commands missing from the manual page"
echo "package test: passed"
