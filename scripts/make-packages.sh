#!/usr/bin/env bash
# Makes the release files from the committed tree (HEAD) into OUTDIR, new
# or empty: the source package, the .debs for amd64, arm64 and armhf, the
# Windows zip, the web page, the app's zip and SHA256SUMS (the table in
# doc/RELEASING.md).
# Usage: scripts/make-packages.sh OUTDIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }

# shellcheck source=scripts/need.sh
source "$(dirname "$0")/need.sh"
need "${build_tools[@]}"

src=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1" && out=$(cd "$1" && pwd)
[ -z "$(ls -A "$out")" ] || { echo "make-packages: $out is not empty" >&2; exit 2; }
[ -z "$(git -C "$src" status --porcelain)" ] ||
  echo "make-packages: uncommitted changes are left out; the files are made from HEAD" >&2

# The release depends on nothing of the caller's but the tools: not on
# build flags (dpkg-buildflags takes CXXFLAGS as its whole answer), nor on
# the umask, which tar applies to the exported tree, as root too.
unset CPPFLAGS CXXFLAGS LDFLAGS
umask 022
export LC_ALL=C DEB_BUILD_OPTIONS="noddebs ${DEB_BUILD_OPTIONS:-}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
# Every time in the files is that of the changelog's top entry.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Timestamp)
export SOURCE_DATE_EPOCH
# The tree under a fixed name, so the source package does not depend on
# where the checkout lies or what it holds besides the commit.
tree=$work/qcode-quiz-$version
git -C "$src" archive --prefix="qcode-quiz-$version/" HEAD | tar -x --no-same-permissions -C "$work"
cd "$tree"

dpkg-buildpackage -S -us -uc
for arch in amd64 arm64 armhf; do
  if [ "$arch" = "$(dpkg --print-architecture)" ]; then
    dpkg-buildpackage -b -us -uc
  else
    DEB_BUILD_OPTIONS="$DEB_BUILD_OPTIONS nocheck" \
      dpkg-buildpackage -b -us -uc -a "$arch" -Pcross,nocheck
  fi
done

# The Windows zip. The linker dates the program by SOURCE_DATE_EPOCH;
# CPack names the files' owner and keeps their order on disk, which
# strip-nondeterminism sets, with the times.
cmake --preset windows -DBUILD_TESTING=OFF && cmake --build --preset windows
(cd build-windows && cpack)
strip-nondeterminism --timestamp "$SOURCE_DATE_EPOCH" build-windows/qcode-quiz-*-win64.zip
# The page for web browsers, and the app folder, zipped as one folder.
cmake --preset web -DBUILD_TESTING=OFF && cmake --build --preset web
cp build-web/qcode-quiz.html "$out/qcode-quiz-$version.html"
mv build-web/site build-web/qcode-quiz
(cd build-web && find qcode-quiz -type f -print0 | sort -z |
  xargs -0 cmake -E tar cf "$out/qcode-quiz-$version-site.zip" --format=zip)
strip-nondeterminism --timestamp "$SOURCE_DATE_EPOCH" "$out/qcode-quiz-$version-site.zip"

cp "$work/qcode-quiz_$version".{dsc,tar.xz} "$work/qcode-quiz_$version"_*.deb \
  build-windows/qcode-quiz-*-win64.zip "$out"
cd "$out"
sha256sum -- *.dsc *.tar.xz *.deb *.zip *.html >SHA256SUMS
echo "make-packages: the release files are in $out:"
ls -l
