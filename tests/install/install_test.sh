#!/usr/bin/env bash
# What an install puts where, and what the Debian package holds.
#
#   install_test.sh install BUILD_DIR   cmake --install into a temporary DESTDIR
#   install_test.sh package BUILD_DIR   cpack -G DEB, then dpkg-deb -c and -f
set -uo pipefail
what=$1 build=$2
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
work=$top
fail() { echo "FAIL: $*"; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
id=org.tintwell.Tintwell
files=(usr/bin/tintwell usr/bin/tintwell-batch "usr/share/applications/$id.desktop"
       "usr/share/applications/${id}Roll.desktop"
       "usr/share/icons/hicolor/scalable/apps/$id.svg" "usr/share/icons/hicolor/256x256/apps/$id.png"
       "usr/share/metainfo/$id.metainfo.xml" usr/share/man/man1/tintwell.1.gz
       usr/share/man/man1/tintwell-batch.1.gz)

if [ "$what" = install ]; then
  DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
  work="$work/root"
  for f in "${files[@]}"; do [ -f "$work/$f" ] || fail "$f was not installed"; done
  [ "$(find "$work" -type f | wc -l)" = "${#files[@]}" ] || fail "more was installed than the programs and their data: $(find "$work" -type f)"
  "$work/usr/bin/tintwell-batch" --version | grep -qx "tintwell-batch $version" || fail "--version is not $version"
  grep -q "^Exec=tintwell %f$" "$work/usr/share/applications/$id.desktop" || fail "the entry does not start tintwell with the file"
  grep -q "^MimeType=image/bmp;image/x-bmp;$" "$work/usr/share/applications/$id.desktop" || fail "the entry does not offer to open bitmaps"
  roll="$work/usr/share/applications/${id}Roll.desktop"
  grep -q "^Exec=tintwell --roll %F$" "$roll" || fail "the roll entry does not start the roll window on the files"
  grep -q "^MimeType=image/tiff;image/png;image/bmp;inode/directory;$" "$roll" ||
    fail "the roll entry does not offer to open scans and folders"
  python3 - "$work/usr/share/icons/hicolor/256x256/apps/$id.png" <<'PY' || fail "the PNG icon is not 256 x 256"
import struct, sys
data = open(sys.argv[1], "rb").read(24)
sys.exit(0 if data[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", data[16:24]) == (256, 256) else 1)
PY
  grep -q "version=\"$version\"" "$work/usr/share/metainfo/$id.metainfo.xml" || fail "the metainfo does not name release $version"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/usr/share/applications/$id.desktop" "$roll" || fail "an entry does not validate"
  else echo "desktop-file-validate is not installed: left out"; fi
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$work/usr/share/metainfo/$id.metainfo.xml" || fail "the metainfo does not validate"
  else echo "appstreamcli is not installed: left out"; fi
  echo "install test passed"
  exit 0
fi

command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null && command -v file >/dev/null ||
  { echo "dpkg-dev or file is not installed: apt-get install dpkg-dev file (./test installs them)"
    [ -z "${CI:-}" ] || { echo "failed: CI runs the package test"; exit 1; }
    exit 77; }
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/tintwell_"$version"_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no tintwell_${version}_ARCH.deb was made"
listing=$(dpkg-deb -c "$deb")
for f in "${files[@]}"; do grep -q " \./$f$" <<<"$listing" || fail "$f is not in the package"; done
[ "$(dpkg-deb -f "$deb" Package)" = tintwell ] || fail "the package is not called tintwell"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
[ "$(dpkg-deb -f "$deb" Section)" = graphics ] || fail "the section is not graphics"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libstdc++6; do
  grep -q "$lib (>= " <<<"$depends" || fail "Depends, '$depends', has no computed $lib"
done
echo "package test passed: $(basename "$deb"), Depends: $depends"
