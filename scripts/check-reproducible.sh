#!/usr/bin/env bash
# Checks that Debian's reprotest, making the release files again from a
# clone of HEAD under all the variations it can (doc/RELEASING.md says
# which), gets OUTDIR's files bit for bit. The second build skips the
# tests, which faketime breaks: a program started with standard output
# closed gets faketime's descriptor. Usage (as root): scripts/check-reproducible.sh OUTDIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
# shellcheck source=scripts/need.sh
source "$(dirname "$0")/need.sh"
need "${build_tools[@]}" reprotest:reprotest faketime:faketime disorderfs:disorderfs \
  diffoscope:diffoscope-minimal
out=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q --no-hardlinks "$(dirname "$0")/.." "$work/clone"
# reprotest finds the files it compares under source-root/ of a build.
mkdir -p "$work/control/source-root"
cp -r "$out" "$work/control/source-root/release"
cd "$work/clone"
vary=-user_group
unshare -r --uts true 2>/dev/null || {
  vary+=,-domain_host
  echo "check-reproducible: no user namespace can be made here, so the host name stays"
}
reprotest --vary=$vary --control-build "$work/control" \
  -c 'DEB_BUILD_OPTIONS=nocheck scripts/make-packages.sh release' . 'release/*' -- null
