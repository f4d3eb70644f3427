#!/usr/bin/env bash
# The layer checker on a small tree of its own: every kind of breach is
# reported with its file and line, the includes the rules allow are not, and
# the same tree without the breaches passes.
#   check_layers_test.sh CHECKER
set -euo pipefail
checker=${1:?usage: check_layers_test.sh CHECKER}
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

put() {  # path, then the file's lines
  local path=$tree/$1
  shift
  mkdir -p "$(dirname "$path")"
  printf '%s\n' "$@" > "$path"
}

# Headers the includes below land on.
for h in src/protocol/protocol.h src/sim/box.h src/sim/box_local.h src/core/app/settings.h \
         src/core/device/command_frame.h src/core/device/otp_frames.h \
         src/core/catalogue/chip_record.h src/core/session/session.h \
         src/core/session/session_impl.h src/core/session/worker_rig.h resources/ids.h; do
  put "$h" '#pragma once'
done

# Allowed everywhere they appear.
put src/core/app/settings.cpp \
  '#include "core/app/settings.h"' \
  '#include <vector>' \
  '// #include <QObject> was here before the core lost Qt' \
  '#include "protocol/protocol.h"'
put src/core/catalogue/catalogue.cpp \
  '#include "core/catalogue/chip_record.h"' \
  '#include "core/app/settings.h"'
put src/sim/box.cpp \
  '#include "sim/box.h"' \
  '#include "box_local.h"' \
  '#include "protocol/protocol.h"' \
  '#include <cstdint>' \
  '#include <pthread.h>'
put src/ui/app/window.cpp \
  '#include <QWidget>' \
  '#include "core/session/session.h"' \
  '#include "core/device/command_frame.h"'
put bench/bench_window.cpp \
  '#include <QApplication>' \
  '#include "core/session/session.h"'

# The breaches, one file per rule, on known lines.
put src/core/app/bad_qt.cpp \
  '#include <vector>' \
  '#include <QObject>' \
  '  #  include <QtCore/QString>' \
  '#include "QTimer"'
put src/core/catalogue/bad_device.cpp \
  '#include "core/catalogue/chip_record.h"' \
  '#include "core/device/command_frame.h"' \
  '#include "../device/otp_frames.h"'
put src/sim/bad_reach.cpp \
  '#include "sim/box.h"' \
  '#include "core/app/settings.h"' \
  '#include "resources/ids.h"' \
  '#include <QTimer>' \
  '#include <core/device/command_frame.h>' \
  '#include "../core/app/settings.h"'
put src/ui/app/bad_session.cpp \
  '#include "core/session/session.h"' \
  '#include "core/session/session_impl.h"'
put src/cli/bad_session.cpp \
  '#include "../core/session/session_impl.h"'
put bench/bad_session.cpp \
  '#include <cstdio>' \
  '#include "core/session/worker_rig.h"'

expected=$(cat <<'EOF'
bench/bad_session.cpp:2: session internals: #include "core/session/worker_rig.h"
src/cli/bad_session.cpp:1: session internals: #include "../core/session/session_impl.h"
src/core/app/bad_qt.cpp:2: core includes Qt: #include <QObject>
src/core/app/bad_qt.cpp:3: core includes Qt:   #  include <QtCore/QString>
src/core/app/bad_qt.cpp:4: core includes Qt: #include "QTimer"
src/core/catalogue/bad_device.cpp:2: catalogue includes device: #include "core/device/command_frame.h"
src/core/catalogue/bad_device.cpp:3: catalogue includes device: #include "../device/otp_frames.h"
src/sim/bad_reach.cpp:2: sim includes beyond protocol: #include "core/app/settings.h"
src/sim/bad_reach.cpp:3: sim includes beyond protocol: #include "resources/ids.h"
src/sim/bad_reach.cpp:4: sim includes Qt: #include <QTimer>
src/sim/bad_reach.cpp:5: sim includes beyond protocol: #include <core/device/command_frame.h>
src/sim/bad_reach.cpp:6: sim includes beyond protocol: #include "../core/app/settings.h"
src/ui/app/bad_session.cpp:2: session internals: #include "core/session/session_impl.h"
EOF
)

status=0
out=$(bash "$checker" "$tree") || status=$?
[ $status -eq 1 ] || fail "a tree with breaches gave exit status $status, not 1"
got=$(echo "$out" | grep -v '^layering: ' || true)
if [ "$got" != "$expected" ]; then
  fail "the breaches reported differ from the expected ones"
  diff <(echo "$expected") <(echo "$got") || true
fi
echo "$out" | grep -qx 'layering: 13 include(s) break the layer rules' ||
  fail "the summary does not count 13 breaches: $(echo "$out" | tail -n 1)"

# Without the breaching files the same tree keeps the rules.
rm "$tree"/src/core/app/bad_qt.cpp "$tree"/src/core/catalogue/bad_device.cpp \
   "$tree"/src/sim/bad_reach.cpp "$tree"/src/ui/app/bad_session.cpp \
   "$tree"/src/cli/bad_session.cpp "$tree"/bench/bad_session.cpp
status=0
out=$(bash "$checker" "$tree") || status=$?
[ $status -eq 0 ] || { fail "the clean tree gave exit status $status"; echo "$out"; }

if [ $failures -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "layer checker: every breach reported, the clean tree passes"
