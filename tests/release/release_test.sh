#!/usr/bin/env bash
# The release test: the ZIP as a user downloads and unpacks it.
#
#   release_test.sh ZIP VERSION OBJDUMP E2E_TEST.exe PICTURE WORKDIR
#
# 1. The ZIP holds exactly the release's files, in one folder named after
#    it.
# 2. It is unpacked into a new folder of WORKDIR whose path has spaces and
#    Japanese characters; the picture is copied into another such folder.
#    The texts have CRLF lines, the readme a UTF-8 byte order mark.
# 3. quobixlens.exe imports only imgctl.dll and Windows system DLLs,
#    imgctl.dll only the latter (no mingw runtime DLL may be needed), and
#    both are stripped.
# 4. In a Wine prefix made for this run (no trace of the build), the
#    end-to-end test (release_e2e_test.cpp) starts the unpacked program on
#    the picture and checks the window, help, the about box, a GIF save
#    through imgctl.dll, the version resources and the manifest.
# The prefix is removed after a pass and kept after a failure.
set -u
[ $# -eq 6 ] || { echo "usage: release_test.sh ZIP VERSION OBJDUMP E2E_TEST.exe PICTURE WORKDIR" >&2; exit 2; }
zip=$1 version=$2 objdump=$3 e2e=$4 picture=$5 work=$6
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "release_test: $*" >&2; exit 1; }

[ -f "$zip" ] || fail "$zip is missing; scripts/package makes it"
top=quobixlens-$version-win32
expected="$top/imgctl.dll
$top/licences/gcc-runtime-library-exception.txt
$top/licences/mingw-w64-runtime.txt
$top/licences/winpthreads.txt
$top/quobixlens.exe
$top/quoblens.chm
$top/readme.txt"

# Only the files this run makes; an earlier run's prefix goes first.
if [ -d "$work/prefix" ]; then
  WINEPREFIX=$work/prefix wineserver -k >/dev/null 2>&1 || true
fi
rm -rf "$work"
unpacked="$work/配布 テスト/展開 先"
pictures="$work/写真 フォルダ"
mkdir -p "$unpacked" "$pictures" || fail "cannot make $unpacked"

# 1. The listing, without the folder entries.
listing=$(cmake -E tar tf "$zip" | grep -v '/$' | sort) || fail "cannot list $zip"
if [ "$listing" != "$expected" ]; then
  diff <(echo "$expected") <(echo "$listing") >&2
  fail "the ZIP holds other files than the release's (< expected, > found)"
fi

# 2. Unpacked as Explorer would: everything under the one folder.
(cd "$unpacked" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
program="$unpacked/$top"
cp "$picture" "$pictures/small.png" || fail "cannot copy $picture"

# The texts as Notepad reads them: CRLF lines, and the Japanese readme in
# UTF-8 marked as such.
for text in "$program/readme.txt" "$program"/licences/*.txt; do
  if tr -d '\r' < "$text" | cmp -s - "$text" || grep -q $'[^\r]$' "$text"; then
    fail "$text does not have CRLF lines throughout"
  fi
done
[ "$(head -c 3 "$program/readme.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
  fail "readme.txt does not start with the UTF-8 byte order mark"

# 3. Imports, and no symbols or debug sections left.
# DLLs that every Windows from 7 on has in its system folder.
system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll gdiplus.dll kernel32.dll "
system_dlls+="msvcrt.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll "
for binary in quobixlens.exe imgctl.dll; do
  headers=$("$objdump" -p -h "$program/$binary") || fail "objdump cannot read $binary"
  imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z')
  [ -n "$imports" ] || fail "$binary imports nothing, which objdump cannot be right about"
  for dll in $imports; do
    [ "$binary" = quobixlens.exe ] && [ "$dll" = imgctl.dll ] && continue
    case $system_dlls in
      *" $dll "*) ;;
      *) fail "$binary imports $dll, which is neither imgctl.dll nor a Windows system DLL" ;;
    esac
  done
  if [ "$binary" = quobixlens.exe ]; then
    grep -qx imgctl.dll <<<"$imports" || fail "quobixlens.exe does not import imgctl.dll"
  fi
  if grep -q '\.debug_' <<<"$headers"; then
    fail "$binary still carries debug sections"
  fi
  echo "release_test: $binary imports $(echo $imports)"
done

# 4. The program in a fresh prefix, from the unpacked folder.
export QB_WINEPREFIX="$work/prefix"
. "$root/scripts/wine-env"
qb_wine_prefix
QB_RELEASE_DIR=$(winepath -w "$program") QB_RELEASE_PICTURES=$(winepath -w "$pictures") \
  "$root/scripts/wine-desktop" "$e2e"
status=$?
wineserver -k >/dev/null 2>&1 || true
if [ $status -eq 0 ]; then
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$work/prefix"
fi
exit $status
