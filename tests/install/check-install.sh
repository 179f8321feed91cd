#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop gets: a `storyloom` that
# plays the demo from any folder, a valid menu entry, the icons, the manual page and Menulet.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "FAIL: $*"; exit 1; }
[ -x "$prefix/bin/storyloom" ] || fail "no bin/storyloom"
cd /
info=$("$prefix/bin/storyloom" --info) || fail "storyloom --info exited $?"
grep -q "^Project folder:   $prefix/share/storyloom/demo/" <<<"$info" || fail "the demo is not the installed one: $info"
"$prefix/bin/storyloom" --version | grep -q '^storyloom ' || fail "--version"
desktop-file-validate "$prefix/share/applications/storyloom.desktop" || fail "desktop entry"
for size in 16 32 48 256; do
  [ -s "$prefix/share/icons/hicolor/${size}x${size}/apps/storyloom.png" ] || fail "icon $size"
done
[ -s "$prefix/share/icons/hicolor/scalable/apps/storyloom.svg" ] || fail "scalable icon"
[ -s "$prefix/share/man/man6/storyloom.6" ] || fail "manual page"

compgen -G "$prefix/lib*/storyloom/libMenulet.so" >/dev/null || fail "Menulet"
echo "installed and working: $prefix"
