#!/bin/sh
# Builds the Debian package once, into a temporary folder, and checks it as an
# installing system would see it: what it holds, its desktop and AppStream
# entries, lintian (its hardening checks too), and the unpacked program
# starting on a virtual display.
#   package_check.sh <build folder> <version> <AppStream id> <program check>
# The program check is run with the unpacked binary as its argument.
set -eu
build=$(cd "$1" && pwd)
version=$2
id=$3
program_check=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    fail "cpack could not build the package"
}
deb=$work/tarimo_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$work")"

echo "--- dpkg-deb --info"
dpkg-deb --info "$deb"
# Found by dpkg-shlibdeps in the binary, not written by hand.
dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the Qt libraries"

# These files and nothing else: no stray install rule, no build path.
dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$work/files"
sort >"$work/expected" <<LIST
./usr/bin/tarimo
./usr/share/applications/tarimo.desktop
./usr/share/doc/tarimo/changelog.gz
./usr/share/doc/tarimo/copyright
./usr/share/icons/hicolor/16x16/apps/tarimo.png
./usr/share/icons/hicolor/22x22/apps/tarimo.png
./usr/share/icons/hicolor/24x24/apps/tarimo.png
./usr/share/icons/hicolor/32x32/apps/tarimo.png
./usr/share/icons/hicolor/48x48/apps/tarimo.png
./usr/share/icons/hicolor/64x64/apps/tarimo.png
./usr/share/icons/hicolor/128x128/apps/tarimo.png
./usr/share/icons/hicolor/256x256/apps/tarimo.png
./usr/share/icons/hicolor/scalable/apps/tarimo.svg
./usr/share/man/man1/tarimo.1.gz
./usr/share/metainfo/$id.metainfo.xml
LIST
diff -u "$work/expected" "$work/files" || fail "the package holds other files than expected"

root=$work/root
dpkg -x "$deb" "$root"
if grep -rl -e "$build" "$root"; then
    fail "files above name the build folder"
fi

echo "--- desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/tarimo.desktop" || fail "desktop entry"
echo "--- appstreamcli validate --no-net"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "AppStream entry"
echo "--- lintian"
status=0
lintian --fail-on error --display-info "$deb" >"$work/lintian" 2>&1 || status=$?
cat "$work/lintian"
[ "$status" -eq 0 ] || fail "lintian reports errors"
# Built as Debian builds its own: no tag of a missing hardening flag.
grep -q ' hardening-' "$work/lintian" && fail "the binary lacks hardening"

echo "--- the unpacked program"
# Started through a wrapper that records the libraries it loads.
cat >"$work/tarimo" <<WRAPPER
#!/bin/sh
LD_DEBUG=libs LD_DEBUG_OUTPUT=$work/loaded exec $root/usr/bin/tarimo "\$@"
WRAPPER
chmod +x "$work/tarimo"
"$program_check" "$work/tarimo"

# dpkg-shlibdeps sees only what the binary links, not the Qt plugins it
# loads at run time: each of those must come with a package that the
# dependencies bring in.
dpkg-deb --field "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/ //g' >"$work/depends"
# shellcheck disable=SC2046
apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts \
    --no-breaks --no-replaces --no-enhances $(cat "$work/depends") | grep -v '^ ' | sort -u >"$work/brought"
sed -n 's/.*calling init: \(.*\/qt6\/plugins\/.*\)/\1/p' "$work"/loaded.* | sort -u >"$work/plugins"
[ -s "$work/plugins" ] || fail "no Qt plugin loaded, or no record of it"
while read -r plugin; do
    owner=$(dpkg-query -S "$plugin" | head -n 1 | cut -d: -f1)
    grep -qx "$owner" "$work/brought" || fail "it loads $plugin from $owner, which Depends does not bring in"
done <"$work/plugins"
echo "PASS: $(wc -l <"$work/plugins") Qt plugins, all from packages that Depends brings in"
