#!/usr/bin/env bash
# Makes the release packages and tries them as a user would: the Debian
# package from a Linux build directory is checked with dpkg-deb, installed
# with apt-get, run from PATH and removed again; the Windows zip from the
# Windows build directory is unpacked and its program run under wine.
# Usage (as root, for apt-get): scripts/try-packages.sh [build] [build-windows]
set -euo pipefail
linux_build=$(realpath "${1:-build}")
windows_build=$(realpath "${2:-build-windows}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "try-packages: $*" >&2; exit 1; }

echo "== the Debian package"
(cd "$linux_build" && cpack -G DEB)
debs=("$linux_build"/qcode-quiz_*_amd64.deb)
[ "${#debs[@]}" -eq 1 ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
dpkg-deb -I "$deb"
dpkg-deb -c "$deb"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = qcode-quiz ] || fail "Package: $(field Package)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
field Depends | grep -q 'libc6 (>=' || fail "Depends: $(field Depends)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Description | wc -l)" -ge 2 ] || fail "no long Description"
for path in ./usr/bin/qcode-quiz ./usr/share/man/man6/qcode-quiz.6.gz; do
  dpkg-deb -c "$deb" | grep -q " $path\$" || fail "$path is not in $deb"
done

apt-get install -y "$deb"
tally=$(qcode-quiz </dev/null | tail -n 3)
[ "$tally" = $'Vysledy:\nOK  0\nZLE 0' ] || fail "the installed quiz showed: $tally"
zcat /usr/share/man/man6/qcode-quiz.6.gz | grep -q '^\.TH QCODE-QUIZ 6' ||
  fail "the installed manual page cannot be read"
apt-get remove -y qcode-quiz
hash -r
! command -v qcode-quiz >/dev/null || fail "qcode-quiz is still installed"

echo "== the Windows zip"
(cd "$windows_build" && cpack -G ZIP)
zips=("$windows_build"/qcode-quiz-*-win64.zip)
[ "${#zips[@]}" -eq 1 ] || fail "expected one zip, found: ${zips[*]}"
zip=${zips[0]}
unzip -l "$zip"
unzip -q "$zip" -d "$work"
folder=$work/$(basename "$zip" .zip)
[ "$(cd "$work" && ls)" = "$(basename "$folder")" ] || fail "not one folder"
[ "$(cd "$folder" && ls | sort | tr '\n' ' ')" = "README.txt qcode-quiz.exe " ] ||
  fail "the folder holds: $(ls "$folder")"
version=$(sed -n 's/^project(qcode_quiz VERSION \([0-9.]*\).*/\1/p' \
  "$(dirname "$0")/../CMakeLists.txt")
resources=$(x86_64-w64-mingw32-windres -i "$folder/qcode-quiz.exe" -O rc)
for value in "FileVersion\", \"$version" "ProductVersion\", \"$version" \
  "OriginalFilename\", \"qcode-quiz.exe" FileDescription ProductName \
  InternalName; do
  grep -qF "VALUE \"$value" <<<"$resources" || fail "no $value in the version resource"
done
flags=$(x86_64-w64-mingw32-objdump -p "$folder/qcode-quiz.exe")
for flag in DYNAMIC_BASE NX_COMPAT HIGH_ENTROPY_VA; do
  grep -qw "$flag" <<<"$flags" || fail "the program lacks $flag"
done
tally=$(echo end | WINEDEBUG=-all wine "$folder/qcode-quiz.exe" | tail -n 3)
[ "$tally" = $'Vysledy:\r\nOK  0\r\nZLE 0\r' ] || fail "the unpacked quiz showed: $tally"
echo "try-packages: both packages work"
