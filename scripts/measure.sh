#!/usr/bin/env bash
# Measures the built quiz: peak resident memory while it judges one 512 MiB
# word, and the time it takes for 1,000,000 piped answers.
# Usage: scripts/measure.sh [path/to/qcode-quiz]   (needs /usr/bin/time)
set -euo pipefail
quiz=${1:-build/qcode-quiz}
[ -x /usr/bin/time ] || { echo "measure: needs /usr/bin/time: apt-get install time" >&2; exit 1; }

word_mib=512
peak_kib=$( { { head -c $((word_mib << 20)) /dev/zero | tr '\0' q; echo ' end'; } |
  /usr/bin/time -f %M "$quiz" >/dev/null; } 2>&1)
echo "peak resident memory, one ${word_mib} MiB word: ${peak_kib} KiB"

answers=1000000
input=$(mktemp)
trap 'rm -f "$input"' EXIT
head -n $answers <(yes qrq) >"$input"
seconds=$( { /usr/bin/time -f %e "$quiz" <"$input" >/dev/null; } 2>&1)
echo "time for ${answers} piped answers: ${seconds} s"
