#!/usr/bin/env bash
# Maps a spare Wine drive letter to a scratch folder holding a sentinel file
# in its root, runs the given test program's spare-drive cases, and checks
# from outside Wine that the sentinel survived.
#   spare_drive_test.sh [--desktop] TEST.exe [gtest arguments]
# With --desktop the test runs on a Wine virtual desktop (GUI tests).
set -u
runner=wine
if [ "${1:-}" = --desktop ]; then
  runner="$(dirname "$0")/../../scripts/wine-desktop"
  shift
fi
exe=$1
shift
. "$(dirname "$0")/../../scripts/wine-env"
qb_wine_prefix
scratch=$(mktemp -d /tmp/qb-spare.XXXXXX)
echo "keep me" > "$scratch/sentinel.gif"
letter=
for l in q r s t u v w x y; do
  if [ ! -e "$WINEPREFIX/dosdevices/$l:" ]; then letter=$l; break; fi
done
[ -n "$letter" ] || { echo "no spare drive letter" >&2; exit 1; }
ln -s "$scratch" "$WINEPREFIX/dosdevices/$letter:"
QB_SPARE_DRIVE="${letter^^}:" "$runner" "$exe" --gtest_filter='*SpareDrive*' "$@"
rc=$?
rm -f "$WINEPREFIX/dosdevices/$letter:"
if [ ! -f "$scratch/sentinel.gif" ]; then
  echo "the sentinel in the spare drive's root was deleted" >&2
  rc=1
fi
rm -rf "$scratch"
exit $rc
