#!/usr/bin/env bash
# Builds the Debian package zelvo_<version>_<arch>.deb in build-package/ and
# checks it: the desktop entry, the AppStream metainfo and lintian.
#   bash scripts/package.sh            then, as root: apt-get install ./build-package/zelvo_*.deb
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-package
bash "$root/scripts/install-deps.sh" --with-package
# Debian's own compiler and linker flags, with every hardening option.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DZELVO_TESTS=OFF -DZELVO_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build"
rm -f "$build"/zelvo_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/zelvo_*.deb)
echo "package: $deb"

# The installed files as the package holds them.
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
dpkg-deb -x "$deb" "$check"
desktop-file-validate "$check"/usr/share/applications/zelvo.desktop
appstreamcli validate --no-net "$check"/usr/share/metainfo/*.metainfo.xml
# Errors fail the build; warnings are shown.
lintian --fail-on error "$deb"
