#!/usr/bin/env bash
# scripts/check-layers on small trees: a clean one that uses every allowed edge (and a few
# includes that are not ours) passes; each planted wrong-way include fails, naming the file, the
# line and the edge.
# Usage: checker_test.sh CHECKER
set -uo pipefail
checker=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

put() {  # put TREE FILE LINE...: writes FILE in TREE, one include (or other line) per argument
  local tree=$1 file=$2
  shift 2
  mkdir -p "$tree/$(dirname "$file")"
  printf '%s\n' "$@" >"$tree/$file"
}

clean=$work/clean
put "$clean" core/raster.h '#pragma once' '#include <vector>' '#include "core/error.h"'
put "$clean" core/error.h '#pragma once' '#include <stdexcept>'
put "$clean" core/text.cpp '#include <ft2build.h>' '#include FT_FREETYPE_H' '#include "core/raster.h"'
put "$clean" intake/slots.h '#include "core/raster.h"'
put "$clean" intake/slots.cpp '#include "intake/slots.h"' '#include "slots.h"' '#include "interlace/frame.h"'
put "$clean" interlace/merge.cpp '#include "interlace/frame.h"' '#  include <core/raster.h>'
put "$clean" finishing/text_overlay.h '#include "core/raster.h"'
put "$clean" delivery/save.cpp '#include "finishing/text_overlay.h"'
put "$clean" delivery/printer_port.h '#include "core/raster.h"'
put "$clean" testchart/test_chart.h '#include "delivery/printer_port.h"'
put "$clean" ui/window.h '#include <QWidget>' '#include <QtCore/QString>' '#include "testchart/test_chart.h"'
put "$clean" ui/window.cpp '#include "ui/window.h"' '#include "interlace/merge.h"' '#include "window.moc"'
put "$clean" app/cli_run.cpp '#include "testchart/test_chart.h"' '#include "intake/slots.h"'
put "$clean" align/frame_alignment.cpp '#include <opencv2/imgproc.hpp>' '#include "intake/slots.h"'
put "$clean" app/cli_align.cpp '#include "align/frame_alignment.h"'
put "$clean" app/gui_main.cpp '#include <QApplication>' '#include "ui/window.h"' '#include "app/cli_run.h"'

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

if ! out=$("$checker" "$clean" 2>&1); then
  fail "the clean tree is refused:"
  echo "$out"
fi

# expect_refused NAME FILE 'LINE' PATTERN...: the clean tree with LINE appended to FILE (as its
# line N) must fail, and the report must match every PATTERN.
expect_refused() {
  local name=$1 file=$2 line=$3
  shift 3
  local tree=$work/$name
  cp -r "$clean" "$tree"
  mkdir -p "$tree/$(dirname "$file")"
  printf '%s\n' "$line" >>"$tree/$file"
  local n
  n=$(wc -l <"$tree/$file")
  local out status
  out=$("$checker" "$tree" 2>&1)
  status=$?
  if ((status != 1)); then
    fail "$name: exit status $status, expected 1; output:"
    echo "$out"
    return
  fi
  if ! grep -qF "$file:$n:" <<<"$out"; then
    fail "$name: the report does not name $file:$n:"
    echo "$out"
  fi
  local p
  for p in "$@"; do
    if ! grep -qF -- "$p" <<<"$out"; then
      fail "$name: the report does not say '$p':"
      echo "$out"
    fi
  done
}

expect_refused core_up core/raster.h '#include "ui/window.h"' 'core -> ui'
expect_refused core_up_new_file core/x.h '#include "intake/slots.h"' 'core -> intake'
expect_refused qt_in_intake intake/slots.cpp '#include <QtCore/QString>' 'Qt header in intake'
expect_refused qt_class_in_core core/raster.h '#include <QImage>' 'Qt header in core'
expect_refused qt_in_cli app/cli_run.cpp '#include <QCoreApplication>' 'Qt header in app'
expect_refused sideways_back finishing/text_overlay.h '#include "delivery/save.h"' \
  'finishing -> delivery'
expect_refused interlace_to_intake interlace/merge.cpp '#include "intake/slots.h"' \
  'interlace -> intake'
expect_refused chart_to_finishing testchart/test_chart.h '#include "finishing/text_overlay.h"' \
  'testchart -> finishing'
expect_refused logic_to_ui delivery/save.cpp '#include "ui/window.h"' 'delivery -> ui'
expect_refused cli_to_ui app/cli_run.cpp '#include "ui/window.h"' '-> ui'
expect_refused ui_to_app ui/window.cpp '#include "app/cli_run.h"' 'ui -> app'
expect_refused relative_escape intake/slots.cpp '#include "../ui/window.h"' 'intake -> ui'
expect_refused angle_brackets interlace/merge.cpp '#include <ui/window.h>' 'interlace -> ui'
expect_refused indented_directive core/error.h '  #  include "finishing/text_overlay.h"' \
  'core -> finishing'
expect_refused opencv_in_interlace interlace/merge.cpp '#include <opencv2/core.hpp>' \
  'OpenCV header in interlace'
expect_refused opencv_in_cli app/cli_run.cpp '#include "opencv2/core.hpp"' 'OpenCV header in app'
expect_refused interlace_to_align interlace/merge.cpp '#include "align/frame_alignment.h"' \
  'interlace -> align'
expect_refused test_helper core/error.h '#include "tests/fake_frontend.h"' 'core -> tests'

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "check-layers: every planted include refused, the clean tree accepted"
