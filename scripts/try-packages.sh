#!/usr/bin/env bash
# Checks the release files that scripts/make-packages.sh put into OUTDIR
# and tries them as a user would:
# - SHA256SUMS covers exactly the three packages, and they match it;
# - each Debian package has the fields and files it should, a hardened
#   program, and nothing lintian objects to but the missing copyright file
#   (the project has no licence yet);
# - the amd64 package is installed with apt-get, run from PATH, and removed;
#   so is the arm64 one, by multiarch, its program run under qemu-user;
# - the zip is unpacked, its program's version resource and security flags
#   read, and the program run under wine.
# Usage (as root, for apt-get): scripts/try-packages.sh OUTDIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
out=$(realpath "$1")
version=$(sed -n 's/^project(qcode_quiz VERSION \([0-9.]*\).*/\1/p' \
  "$(dirname "$0")/../CMakeLists.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "try-packages: $*" >&2; exit 1; }
# A grep at the end of a pipe reads all of it (no -q): a writer cut short
# by SIGPIPE would fail the pipe.

echo "== the checksums"
expected="qcode-quiz-$version-win64.zip qcode-quiz_${version}_amd64.deb qcode-quiz_${version}_arm64.deb"
[ "$(cd "$out" && ls | grep -v '^SHA256SUMS$' | sort | tr '\n' ' ')" = "$expected " ] ||
  fail "$out holds: $(ls "$out")"
[ "$(cut -d' ' -f3 "$out/SHA256SUMS" | sort | tr '\n' ' ')" = "$expected " ] ||
  fail "SHA256SUMS covers: $(cut -d' ' -f3 "$out/SHA256SUMS")"
(cd "$out" && sha256sum -c SHA256SUMS)

# Tries the package for `arch` whose programs run as `run PROGRAM`.
try_deb() {
  local arch=$1 run=$2
  local deb=$out/qcode-quiz_${version}_$arch.deb
  echo "== the Debian package for $arch"
  dpkg-deb -I "$deb"
  field() { dpkg-deb -f "$deb" "$1"; }
  [ "$(field Package)" = qcode-quiz ] || fail "Package: $(field Package)"
  [ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
  [ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
  [ "$(field Section)" = hamradio ] || fail "Section: $(field Section)"
  field Depends | grep 'libc6 (>=' >/dev/null || fail "Depends: $(field Depends)"
  [ -n "$(field Maintainer)" ] || fail "no Maintainer"
  [ "$(field Description | wc -l)" -ge 2 ] || fail "no long Description"
  local contents
  contents=$(dpkg-deb -c "$deb")
  for path in ./usr/bin/qcode-quiz ./usr/share/man/man6/qcode-quiz.6.gz \
    ./usr/share/doc/qcode-quiz/changelog.gz; do
    grep -q " $path\$" <<<"$contents" || fail "$path is not in $deb"
  done

  local program=$work/qcode-quiz-$arch
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/qcode-quiz >"$program"
  readelf -hW "$program" | grep 'Type: *DYN' >/dev/null || fail "$arch: not PIE"
  readelf -lW "$program" | grep GNU_RELRO >/dev/null || fail "$arch: no RELRO"
  readelf -dW "$program" | grep 'FLAGS.*BIND_NOW' >/dev/null || fail "$arch: no BIND_NOW"
  local symbols
  symbols=$(nm -D "$program")
  grep -q ' __stack_chk_fail@' <<<"$symbols" || fail "$arch: no stack protector"
  grep -q ' __[a-z]*_chk@' <<<"$symbols" || fail "$arch: no fortified function"

  local tags
  tags=$(lintian --display-info --pedantic --suppress-tags no-copyright-file \
    "$deb" 2>&1 | grep -v 'running with root privileges' || true)
  [ -z "$tags" ] || fail "lintian: $tags"

  apt-get install -y "$deb"
  local tally
  tally=$($run /usr/bin/qcode-quiz </dev/null | tail -n 3)
  [ "$tally" = $'Vysledy:\nOK  0\nZLE 0' ] || fail "$arch: the installed quiz showed: $tally"
  zcat /usr/share/man/man6/qcode-quiz.6.gz | grep '^\.TH QCODE-QUIZ 6' >/dev/null ||
    fail "$arch: the installed manual page cannot be read"
  dpkg-parsechangelog -l /usr/share/doc/qcode-quiz/changelog.gz -S Version |
    grep -x "$version" >/dev/null || fail "$arch: the changelog is not for $version"
  apt-get remove -y "qcode-quiz:$arch"
  [ ! -e /usr/bin/qcode-quiz ] || fail "$arch: qcode-quiz is still installed"
}

try_deb amd64 env
try_deb arm64 "qemu-aarch64 -L /"

echo "== the Windows zip"
zip=$out/qcode-quiz-$version-win64.zip
unzip -l "$zip"
unzip -q "$zip" -d "$work/zip"
folder=$work/zip/$(basename "$zip" .zip)
[ "$(cd "$work/zip" && ls)" = "$(basename "$folder")" ] || fail "not one folder"
[ "$(cd "$folder" && ls | sort | tr '\n' ' ')" = "README.txt qcode-quiz.exe " ] ||
  fail "the folder holds: $(ls "$folder")"
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
echo "try-packages: all three packages work"
