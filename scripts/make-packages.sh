#!/usr/bin/env bash
# Makes the release files from this checkout into OUTDIR, and nothing else:
#   qcode-quiz_<version>_amd64.deb   Debian package for 64-bit PCs
#   qcode-quiz_<version>_arm64.deb   Debian package for 64-bit ARM (Raspberry Pi)
#   qcode-quiz-<version>-win64.zip   the program for 64-bit Windows
#   SHA256SUMS                       their checksums, for sha256sum -c
# The Linux programs are hardened as Debian's dpkg-buildflags hardens
# packages. The files are the same, bit for bit, wherever and whenever the
# same commit is built with the same tools: times come from the last
# commit (SOURCE_DATE_EPOCH, unless it is set), build paths are cut off, and
# the umask, the time zone and the locale are fixed here.
# Usage: scripts/make-packages.sh OUTDIR
# Needs: cmake, dpkg-dev, g++, g++-aarch64-linux-gnu, the arm64 libc6 and
# libstdc++6 by multiarch (for dpkg-shlibdeps), g++-mingw-w64-x86-64-posix
# and strip-nondeterminism.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
src=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
[ -z "$(ls -A "$out")" ] || { echo "make-packages: $out is not empty" >&2; exit 2; }
cd "$src"
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
  echo "make-packages: the checkout has uncommitted changes; the files will not match its commit" >&2
fi

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C
umask 022
builds=$src/build-release
rm -rf "$builds"

# Debian's flags for a package of `arch`, with every hardening feature on;
# run here, they also map this checkout's path to ".".
deb_flags() {
  DEB_HOST_ARCH=$1 DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$2"
}

for arch_preset in amd64:default arm64:arm64; do
  arch=${arch_preset%%:*}
  CXXFLAGS="$(deb_flags "$arch" CPPFLAGS) $(deb_flags "$arch" CXXFLAGS)" \
    LDFLAGS=$(deb_flags "$arch" LDFLAGS) \
    cmake --preset "${arch_preset#*:}" -B "$builds/$arch" -DBUILD_TESTING=OFF \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=OFF
  cmake --build "$builds/$arch"
  (cd "$builds/$arch" && cpack -G DEB)
  cp "$builds/$arch"/qcode-quiz_*_"$arch".deb "$out"
done

CXXFLAGS="-ffile-prefix-map=$src=." \
  cmake --preset windows -B "$builds/windows" -DBUILD_TESTING=OFF \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=OFF
cmake --build "$builds/windows"
(cd "$builds/windows" && cpack -G ZIP)
cp "$builds/windows"/qcode-quiz-*-win64.zip "$out"
# CPack's zip names the owner of the files, which is whoever builds it, and
# keeps their order on disk; Debian's tool for that sets both, and times.
strip-nondeterminism --timestamp "$SOURCE_DATE_EPOCH" "$out"/*.zip

(cd "$out" && sha256sum -- *.deb *.zip >SHA256SUMS)
echo "make-packages: the release files are in $out:"
ls -l "$out"
