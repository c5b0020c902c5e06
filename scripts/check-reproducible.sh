#!/usr/bin/env bash
# Checks that the release files can be rebuilt bit for bit: clones the
# commit twice, into folders whose names and depths differ, and runs
# scripts/make-packages.sh in each under different conditions: another
# day (faketime), umask 022 and 002, two time zones and, when run as root,
# another user. The two sets of files must be identical.
# Usage: scripts/check-reproducible.sh [COMMIT]   (default HEAD; needs the
# tools make-packages.sh needs, and faketime; diffoscope, if installed,
# shows what differs)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$repo" rev-parse "${1:-HEAD}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

first=$work/a/qcode-quiz
second=$work/second/checkout/of/the/same/commit
# Copies, not hard links: the second tree is handed to another user below.
for tree in "$first" "$second"; do
  git clone -q --no-hardlinks --no-checkout "$repo" "$tree"
done
git -C "$first" checkout -q "$commit"
(umask 002 && git -C "$second" checkout -q "$commit")

echo "== first build: today, umask 022, TZ=America/New_York"
(umask 022 && TZ=America/New_York "$first/scripts/make-packages.sh" "$work/out-a") \
  >"$work/a.log" 2>&1 || { cat "$work/a.log"; exit 1; }

echo "== second build: in 3 days, umask 002, TZ=Asia/Kathmandu$( [ "$(id -u)" = 0 ] && echo ', as user nobody')"
as_other_user=()
if [ "$(id -u)" = 0 ]; then
  chown -R nobody "$work/second"
  mkdir "$work/out-b" && chown nobody "$work/out-b"
  as_other_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$work/second")
fi
(umask 002 && TZ=Asia/Kathmandu "${as_other_user[@]}" \
  faketime -f '+3d' "$second/scripts/make-packages.sh" "$work/out-b") \
  >"$work/b.log" 2>&1 || { cat "$work/b.log"; exit 1; }

echo "== comparing"
cat "$work/out-a/SHA256SUMS"
if diff -r "$work/out-a" "$work/out-b"; then
  echo "check-reproducible: the two builds of $commit are identical"
else
  if command -v diffoscope >/dev/null; then
    diffoscope "$work/out-a" "$work/out-b" || true
  fi
  echo "check-reproducible: the two builds of $commit differ" >&2
  exit 1
fi
