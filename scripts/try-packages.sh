#!/usr/bin/env bash
# Tries the release files that make-packages.sh put into OUTDIR as a user and
# a packager would (doc/RELEASING.md, Checking a release, says how). It installs
# nothing, and what it and its tools make (lintian's files, a wine prefix) goes.
# Usage: scripts/try-packages.sh OUTDIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
# shellcheck source=scripts/need.sh
source "$(dirname "$0")/need.sh"
need dpkg-parsechangelog:dpkg-dev dh:debhelper cmake:cmake g++:g++ lintian:lintian hardening-check:devscripts \
  qemu-aarch64:qemu-user qemu-arm:qemu-user wine:wine unzip:unzip x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
src=$(cd "$(dirname "$0")/.." && pwd)
web=$(/usr/bin/python3 "$src/tests/web_page.py" chromium)  # what the web tests lack
[ -z "$web" ] || { echo "try-packages: $web" >&2; exit 1; }
version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
cd "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C WINEPREFIX=${WINEPREFIX:-$work/wine}  # C for the order of file names
fail() { echo "try-packages: $*" >&2; exit 1; }

echo "== the files and their checksums"
files=("qcode-quiz-$version.html" "qcode-quiz-$version-site.zip" "qcode-quiz-$version-win64.zip"
  "qcode-quiz_$version.dsc" "qcode-quiz_$version.tar.xz" "qcode-quiz_${version}"_{amd64,arm64,armhf}.deb)
[ "$(printf '%s\n' * | sort)" = "$(printf '%s\n' "${files[@]}" SHA256SUMS | sort)" ] || fail "OUTDIR holds: $(echo *)"
[ "$(cut -d' ' -f3 SHA256SUMS | sort)" = "$(printf '%s\n' "${files[@]}" | sort)" ] ||
  fail "SHA256SUMS covers: $(cut -d' ' -f3 SHA256SUMS)"
sha256sum -c SHA256SUMS

echo "== lintian"
tags=$(TMPDIR=$work lintian -I --pedantic --suppress-tags no-copyright-file,no-debian-copyright-in-source \
  ./*.deb ./*.dsc 2>&1 | grep -v 'running with root privileges' || true)
[ -z "$tags" ] || fail "lintian: $tags"

# Runs the program with the command after ARCH (a runner, then the
# program): a piped session, and input and output that fail.
try_program() {
  local arch=$1 tally
  shift
  tally=$(echo end | "$@" | tail -n 3)
  [ "$tally" = $'Vysledy:\nOK  0\nZLE 0' ] || fail "$arch: piped, the quiz showed: $tally"
  "$@" </ 2>"$work/err" >/dev/null && fail "$arch: reading a directory did not fail"
  grep -qx 'qcode-quiz: cannot read standard input: Is a directory' "$work/err" ||
    fail "$arch: reading a directory: $(cat "$work/err")"
  echo end | "$@" 2>"$work/err" >/dev/full && fail "$arch: writing to a full disk did not fail"
  grep -qx 'qcode-quiz: cannot write standard output: No space left on device' "$work/err" ||
    fail "$arch: writing to a full disk: $(cat "$work/err")"
}

for arch in amd64 arm64 armhf; do
  deb=$PWD/qcode-quiz_${version}_$arch.deb
  echo "== the package for $arch"
  apt-get install -s "$deb" >/dev/null  # its dependencies can be met (the ARM ones by multiarch)
  dpkg-deb -x "$deb" "$work/$arch"
  program=$work/$arch/usr/bin/qcode-quiz
  hardening-check --nocfprotection "$program" || fail "$arch: not hardened"
  case $arch in arm64) run=(qemu-aarch64 -L /) ;; armhf) run=(qemu-arm -L /) ;; *) run=() ;; esac
  try_program "$arch" "${run[@]}" "$program"
done

echo "== the source package, rebuilt elsewhere"
mkdir "$work/elsewhere"
dpkg-source -x "qcode-quiz_$version.dsc" "$work/elsewhere/src"
# As make-packages.sh does, with none of the caller's build flags.
(unset CPPFLAGS CXXFLAGS LDFLAGS && cd "$work/elsewhere/src" &&
  DEB_BUILD_OPTIONS="noddebs nocheck" dpkg-buildpackage -b -us -uc)
cmp "$work/elsewhere/qcode-quiz_${version}_amd64.deb" "qcode-quiz_${version}_amd64.deb"

echo "== the Windows zip"
unzip -q "qcode-quiz-$version-win64.zip" -d "$work/zip"
folder=$work/zip/qcode-quiz-$version-win64
[ "$(cd "$folder" && echo *)" = "README-sk.txt README.txt qcode-quiz.exe" ] ||
  fail "the zip holds: $(ls -R "$work/zip")"
[ "$(head -c 3 "$folder/README-sk.txt")" = $'\xef\xbb\xbf' ] || fail "README-sk.txt has no BOM"
x86_64-w64-mingw32-windres -i "$folder/qcode-quiz.exe" -O rc |
  grep -F "VALUE \"ProductVersion\", \"$version\"" >/dev/null || fail "no version resource"
tally=$(echo end | TMPDIR=$work WINEDEBUG=-all wine "$folder/qcode-quiz.exe" | tail -n 3)
[ "$tally" = $'Vysledy:\r\nOK  0\r\nZLE 0\r' ] || fail "under wine, the quiz showed: $tally"
echo "== the page, and the app from its zip"
unzip -q "qcode-quiz-$version-site.zip" -d "$work/site"
/usr/bin/python3 "$src/tests/web_test.py" "$PWD/qcode-quiz-$version.html" "$work/site/qcode-quiz"
echo "try-packages: all nine files are good"
