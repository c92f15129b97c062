#!/usr/bin/env bash
# Checks the release package: the entries a user needs, the program as built,
# the guides readable in Notepad (UTF-8 with a byte-order mark, CRLF) and the
# plugin's INI file in UTF-8 with a byte-order mark.
#   release-test.sh PACKAGE.zip tavrinwp.exe VERSION
set -euo pipefail
zip=$1 exe=$2 version=$3
top=tavrinwp-$version
fail() { echo "release package: $*" >&2; exit 1; }

[ -f "$zip" ] || fail "$zip is missing (cmake --build --preset win32 --target release)"
entries=$(cmake -E tar tf "$zip" | sed 's|/$||' | sort)
echo "$entries"
for entry in "$top/tavrinwp.exe" "$top/guide-ru.txt" "$top/guide-en.txt" "$top/plugins/sepia/plugin.exe" \
             "$top/plugins/sepia/config.exe" "$top/plugins/sepia/plugin.ini"; do
  grep -qxF "$entry" <<<"$entries" || fail "no $entry"
done
# Nothing else: no settings left by a run, no build files.
extra=$(grep -vxE "$top(/tavrinwp\.exe|/guide-(ru|en)\.txt|/plugins(/sepia(/(plugin|config)\.exe|/plugin\.ini)?)?)?" \
        <<<"$entries" || true)
[ -z "$extra" ] || fail "unexpected entries: $extra"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
cmp -s "$work/$top/tavrinwp.exe" "$exe" || fail "tavrinwp.exe is not the program as built"
for guide in guide-ru.txt guide-en.txt; do
  file=$work/$top/$guide
  [ "$(head -c 3 "$file" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$guide has no UTF-8 byte-order mark"
  [ "$(tr -cd '\n' <"$file" | wc -c)" -gt 20 ] || fail "$guide is too short"
  [ "$(tr -cd '\n' <"$file" | wc -c)" = "$(grep -c $'\r$' "$file")" ] || fail "$guide has lines without CRLF"
  grep -q 'startup' "$file" || fail "$guide does not tell how to start with Windows"
  # A user's guide: what only a developer or a plugin author needs is in the README, and
  # every sign shows in Notepad's default font (no arrows or tick drawn as signs).
  for internal in 'TavrinWP.bmp.own' 'plugin.exe <' '60 s' '260' '◀' '▶' '✓' '→'; do
    ! grep -qF "$internal" "$file" || fail "$guide holds \"$internal\""
  done
done
grep -q 'Скачать обои' "$work/$top/guide-ru.txt" || fail "guide-ru.txt is not the Russian guide"
grep -q 'Download wallpapers' "$work/$top/guide-en.txt" || fail "guide-en.txt is not the English guide"
ini_file=$work/$top/plugins/sepia/plugin.ini
[ "$(head -c 3 "$ini_file" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "plugin.ini has no UTF-8 byte-order mark"
ini=$(tail -c +4 "$ini_file" | iconv -f UTF-8 -t UTF-8) || fail "plugin.ini is not UTF-8"
grep -q '^name=Сепия и виньетка' <<<"$ini" || fail "plugin.ini has no Russian name: $ini"
grep -q '^version=' <<<"$ini" || fail "plugin.ini has no version"
echo "release package: OK"
