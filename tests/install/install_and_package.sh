#!/usr/bin/env bash
# What a user and a host integrator get: the build installed into a
# temporary prefix (desktop entry, AppStream data, man pages, the pellora:
# handler), the example host compiled there against the installed SDK
# through pkg-config and run against the installed tessaron-server (load,
# save, the stored bytes compared), then the Debian package built, unpacked
# into a temporary root, the module registered from there and the demo run
# by the unpacked host.
#   install_and_package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
app=de.brixel.Pellora
work=$(mktemp -d)
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
on_display() { "$source/scripts/own-display" "$@"; }
export WEBKIT_DISABLE_COMPOSITING_MODE=1 WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1
export PELLORA_REGISTRY_DIR=$work/registry XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/cache

echo "== installed tree"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix/share/applications/$app.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml"
for page in pellora tessaron-server pellora-regsvr; do
  grep -q '^usage: ' "$prefix/share/man/man1/$page.1" || fail "no man page from $page --help"
done
# The desktop finds the installed entry as the handler of pellora: addresses,
# once the cache a package's trigger keeps is made (and `pellora` is on PATH).
update-desktop-database "$prefix/share/applications"
handler=$(PATH=$prefix/bin:$PATH XDG_DATA_HOME=$prefix/share XDG_DATA_DIRS=$work/none \
  XDG_CONFIG_HOME=$work/config gio mime x-scheme-handler/pellora)
echo "$handler"
grep -q "$app.desktop" <<<"$handler" || fail "gio names no handler of pellora: addresses"

echo "== example host against the installed SDK"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
module=$(pkg-config --variable=module pellora)
[ -f "$module" ] || fail "pellora.pc names no module ($module)"
# shellcheck disable=SC2046
cc -std=c11 -Wall -Wextra -Werror "$source/examples/minimal_host.c" -o "$work/minimal_host" \
  -DPELLORA_MODULE_PATH="\"$module\"" $(pkg-config --cflags --libs pellora gtk+-3.0)

mkdir -p "$work/site/contents"
# Line ends are LF: a save turns CR LF into LF by design.
printf '<h1>Round trip</h1>\n<p>Stored <B>as it came</B>, caf\xe9 &amp; more.</p>' \
  >"$work/original.html"
cp "$work/original.html" "$work/site/contents/Round Trip.html"
"$prefix/bin/tessaron-server" --root "$work/site" --token s3cret >"$work/server.out" &
server=$!
for _ in $(seq 300); do
  grep -q '^listening on ' "$work/server.out" && break
  kill -0 "$server" 2>/dev/null || fail "tessaron-server ended"
  sleep 0.1
done
url=$(sed -n 's/^listening on //p' "$work/server.out")
[ -n "$url" ] || fail "tessaron-server did not listen"
on_display "$work/minimal_host" "$url" "Round Trip" s3cret --save-once
cmp "$work/original.html" "$work/site/contents/Round Trip.html" || fail "the stored item changed"
kill "$server"
server=

echo "== Debian package"
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
deb=$(ls "$work"/package/pellora_*.deb)
dpkg-deb --field "$deb" Package Version Depends
dpkg-deb --field "$deb" Depends | grep -q 'libwebkit2gtk-4.1' || fail "Depends lacks WebKitGTK"
root=$work/root
dpkg-deb -x "$deb" "$root"
"$root/usr/bin/pellora-regsvr" "$root/usr/lib/pellora/pellora.ocx"
grep -q "$root/usr/lib/pellora/pellora.ocx" "$PELLORA_REGISTRY_DIR/HKEY_CLASSES_ROOT.reg" ||
  fail "registration did not record the unpacked module"
printf 'window\nbody\n' >"$work/demo.txt"
on_display "$root/usr/bin/pellora" --demo --script "$work/demo.txt" | tee "$work/demo.out"
grep -q 'Willkommen bei Pellora' "$work/demo.out" || fail "the unpacked demo showed no item"
echo "== all checks passed"
