#!/usr/bin/env bash
# Prints the folder dependency graph from the #include lines and checks it
# against the layers: each folder includes only itself and the folders on its
# row below, and none of the headers its row of `withheld` names; nothing
# includes app/. Tests, tools, benchmarks and fuzz targets
# may use any layer but app/ (the tests of app/ excepted).
#   scripts/layers.sh          the graph, then the includes that break a rule
#   scripts/layers.sh --dot    the graph for Graphviz
# Exits non-zero when an include breaks a rule.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [app]="ui shelltree toolkit engine gif image core platform"
  [ui]="toolkit shelltree engine gif image core platform"
  [shelltree]="toolkit platform"
  [toolkit]="gif image platform"
  [engine]="core image platform"
  [gif]="image platform"
  [image]="platform"
  [core]="platform"
  [platform]=""
  [tools]="ui shelltree toolkit engine gif image core platform"
  [bench]="ui shelltree toolkit engine gif image core platform tools tests"
  [fuzz]="ui shelltree toolkit engine gif image core platform tests"
  [plugins]="image platform"
)
# Headers of an allowed folder that a folder still does not include: the
# windows reach the timer and rotation rules through the program (app/).
declare -A withheld=(
  [ui]="engine/Scheduler.h engine/Rotation.h"
)

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
[ $bad -eq 0 ] && echo "every include keeps to the layers"
exit $bad
