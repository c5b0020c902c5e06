# shellcheck shell=bash
# Sourced by the release scripts: `need WHAT:PACKAGE...` stops the script,
# before it does anything, with one line that says how to install what is
# missing. WHAT is a command or a path; PACKAGE its Debian package, or
# npm:NAME. build_tools is what make-packages.sh needs.
# shellcheck disable=SC2034  # the scripts that source this use it
build_tools=(git:git dpkg-buildpackage:dpkg-dev dh:debhelper cmake:cmake g++:g++
  aarch64-linux-gnu-g++:g++-aarch64-linux-gnu arm-linux-gnueabihf-g++:g++-arm-linux-gnueabihf
  x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix em++:emscripten
  strip-nondeterminism:strip-nondeterminism /usr/lib/aarch64-linux-gnu/libstdc++.so.6:libstdc++6:arm64
  /usr/lib/arm-linux-gnueabihf/libstdc++.so.6:libstdc++6:armhf)

need() {
  local debs="" npms="" hint="" need what package
  for need in "$@"; do
    what=${need%%:*} package=${need#*:}
    if [[ $what = /* ]]; then [ -e "$what" ]; else command -v "$what" >/dev/null; fi && continue
    if [[ $package = npm:* ]]; then npms+=" ${package#npm:}"
    elif [[ " $debs " != *" $package "* ]]; then debs+=" $package"; fi
  done
  [[ $debs = *:arm* ]] && hint="dpkg --add-architecture arm64 && dpkg --add-architecture armhf && apt-get update && "
  [ -z "$debs" ] || hint+="apt-get install --no-install-recommends$debs"
  [ -z "$npms" ] || hint+="${debs:+ && }npm install -g$npms"
  [ -z "$hint" ] || { echo "$(basename "$0" .sh): missing tools; install them with: $hint" >&2; exit 1; }
}
