#!/usr/bin/env bash
# Prints the folder dependency graph from the #include lines and checks it
# against the layer table of docs/ARCHITECTURE.md: each folder includes only
# itself and the folders its row names, none of the headers its row withholds,
# and no Windows header where its row says it is portable; nothing includes
# app/. Tests may use any layer but app/ (the tests of app/ excepted).
#   scripts/layers.sh          the graph, then the includes that break a rule
#   scripts/layers.sh --dot    the graph for Graphviz
# Exits non-zero when an include breaks a rule.
set -euo pipefail
cd "$(dirname "$0")/.."

# The rules come from the layer table of docs/ARCHITECTURE.md (the rows
# between <!-- layers --> and <!-- /layers -->): per folder, the folders it
# may include, the headers of those it still may not, and whether it is
# portable (no Windows header).
rules=docs/ARCHITECTURE.md
declare -A allowed=() withheld=() portable=()
while IFS='|' read -r _ folder _ may held port _; do
  folder=$(tr -d ' `/' <<<"$folder")
  [ -n "$folder" ] || continue
  allowed[$folder]=$(xargs <<<"$may")
  withheld[$folder]=$(xargs <<<"$held")
  portable[$folder]=$(xargs <<<"$port")
done < <(sed -n '/<!-- layers -->/,/<!-- \/layers -->/p' "$rules" | grep '^| `')
[ ${#allowed[@]} -gt 0 ] || { echo "no layer table in $rules" >&2; exit 2; }

edges=$(git ls-files '*.cpp' '*.h' | while read -r file; do
  from=${file%%/*}
  [ "$from" = tests ] && { rest=${file#tests/}; from=tests/${rest%%/*}; }
  # A file without such includes is no failure of the whole listing.
  { grep -o '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*/[^"]*"' "$file" || true; } |
    sed 's/.*"\([^"]*\)".*/\1/' | while read -r header; do
      to=${header%%/*}
      [ "$to" = "${from#tests/}" ] || [ "$to" = "$from" ] || echo "$from $to $file $header"
    done
done | sort -u)

if [ "${1:-}" = --dot ]; then
  echo "digraph layers {"
  awk '{print $1" "$2}' <<<"$edges" | sort | uniq -c | awk '{printf "  \"%s\" -> \"%s\" [label=%s];\n", $2, $3, $1}'
  echo "}"
  exit 0
fi

echo "folder -> folder (includes)"
awk 'NF {print $1" "$2}' <<<"$edges" | grep -v '^tests/' | sort | uniq -c | awk '{printf "  %-10s -> %-10s %4d\n", $2, $3, $1}'

bad=0
while read -r from to file header; do
  [ -n "$from" ] || continue
  layer=${from#tests/}
  ok=no
  if [ "$to" = app ]; then
    [ "$from" = tests/app ] && ok=yes
  elif [ "${from%%/*}" = tests ]; then
    ok=yes
  else
    for a in ${allowed[$layer]-}; do [ "$a" = "$to" ] && ok=yes; done
    for w in ${withheld[$layer]-}; do [ "$w" = "$header" ] && ok=withheld; done
  fi
  if [ $ok != yes ]; then
    [ $bad -eq 0 ] && echo "includes that break the layers:"
    if [ $ok = withheld ]; then echo "  $file includes $header"; else echo "  $file includes $to/"; fi
    bad=1
  fi
done <<<"$edges"
# Portable folders reach the system only through platform/Platform.h.
windows_header='^[[:space:]]*#[[:space:]]*include[[:space:]]*<\(windows\|win[a-z0-9_]*\|shl[a-z]*\|shellapi\|objbase\|ole2\|commctrl\|commdlg\)\.h>'
foreign=$(git ls-files '*.cpp' '*.h' | while read -r file; do
  [ "${portable[${file%%/*}]-}" = yes ] || continue
  { grep -n "$windows_header" "$file" || true; } | sed "s|^\([0-9]*\):|  $file:\1 includes a Windows header in a portable folder: |"
done)
if [ -n "$foreign" ]; then
  [ $bad -eq 0 ] && echo "includes that break the layers:"
  echo "$foreign"
  bad=1
fi
[ $bad -eq 0 ] && echo "every include keeps to the layers"
exit $bad
