#!/bin/sh
# The layer check itself: a tree with only downward includes passes, and each
# kind of upward include fails it.
set -u
script="$1"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
fail=0
check() {  # expected status, file, include
  rm -rf "$tree/src"
  mkdir -p "$tree/src/$(dirname "$2")"
  printf '#include "%s"\n' "$3" >"$tree/src/$2"
  python3 "$script" --root "$tree" >/dev/null 2>&1
  status=$?
  if [ "$status" -ne "$1" ]; then
    echo "$2 including $3: status $status, expected $1"
    fail=1
  fi
}
check 0 store/a.cpp core/units.h
check 0 store/a.cpp platform/dialogs.h
check 0 editor/gui/a.cpp platform/gui/host.h
check 0 app/gui/a.cpp editor/gui/transitdetail.h
check 0 cli/a.cpp schedule/schedule.h
check 1 core/a.cpp platform/dialogs.h
check 1 platform/a.cpp store/tables.h
check 1 editor/a.cpp app/lists.h
check 1 editor/a.cpp reports/report.h
check 1 editor/a.cpp editor/gui/transitdetail.h
check 1 platform/gui/a.cpp editor/gui/transitdetail.h
check 1 store/a.h editor/presenter.h
exit $fail
