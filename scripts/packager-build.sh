#!/bin/sh
# Builds the program as a packager would, in a clean Debian 12 root with only
# cmake, a generator, g++ and qt6-base-dev: no test tools, no translations
# package. Usage (as root): scripts/packager-build.sh [ROOT]
set -eu
root=${1:-$(mktemp -d /tmp/tintaro-packager.XXXXXX)}
source=$(cd "$(dirname "$0")/.." && pwd)
[ -x "$root/usr/bin/apt-get" ] || debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
mount -t proc proc "$root/proc"
trap 'umount "$root/proc"' EXIT
chroot "$root" apt-get install -y -qq --no-install-recommends cmake ninja-build g++ qt6-base-dev >/dev/null
rm -rf "$root/src" && mkdir "$root/src"
git -C "$source" archive HEAD | tar -x -C "$root/src"
chroot "$root" sh -c 'cd /src && cmake -S . -B b -G Ninja -DBUILD_TESTING=OFF && cmake --build b'
ls -l "$root/src/b/tintaro"
