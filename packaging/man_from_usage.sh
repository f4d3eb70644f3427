#!/bin/sh
# Writes the manual page of the window program from its own usage text:
#   man_from_usage.sh PROGRAM VERSION OUT
set -eu
program=$1 version=$2 out=$3
{
  printf '.TH TARNWICK 1 "" "Tarnwick %s" "User Commands"\n' "$version"
  printf '.SH NAME\ntarnwick \\- control program for the serial memory chip programmer box\n'
  printf '.SH SYNOPSIS\n.nf\n'
  "$program" --help | sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e 's/^\./\\\&./'
  printf '.fi\n.SH DESCRIPTION\n'
  printf 'The window of Tarnwick: it detects, reads, programs, verifies and erases the chip\n'
  printf 'in the programmer box'"'"'s socket. Installed, it reads its data in place from\n'
  printf '\\fI/usr/share/tarnwick/\\fR and keeps its settings in \\fI~/.config/tarnwick/\\fR, its log\n'
  printf 'in \\fI~/.local/state/tarnwick/\\fR and its work files in \\fI~/.cache/tarnwick/\\fR\n'
  printf '(or below $XDG_CONFIG_HOME, $XDG_STATE_HOME and $XDG_CACHE_HOME when set).\n'
  printf '.SH SEE ALSO\n.BR tarnwick\\-cli (1)\n'
} > "$out"
gzip -9n < "$out" > "$out.gz"
