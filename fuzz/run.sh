#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer on; the "fuzz" preset) and runs one of them, or
# each in turn, from its seeds.
#   fuzz/run.sh TARGET [SECONDS]   TARGET: gif, bmp, change, compose, ini, preview, png, webp, exif or all
#                                  (all: SECONDS for each); default 18 seconds
#   fuzz/run.sh TARGET --runs N    N inputs instead of a time (for long runs)
#   fuzz/run.sh SECONDS            the GIF target, as before
# Seeds: fuzz/corpus (GIF), the small files fuzz_seeds makes into
# build/fuzz/seeds, and PNG and WebP files of every kind made there by
# ImageMagick and cwebp (bootstrap packages); the Exif target starts from the
# Exif blocks of the JPEG seeds' orientations. Inputs a run finds go to build/fuzz/TARGET/corpus; a
# crashing input is saved as build/fuzz/TARGET/crash-* and the script fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
targets=(gif bmp change compose ini preview png webp exif)
if [[ ${1:-} =~ ^[0-9]+$ ]]; then set -- gif "$1"; fi
target=${1:-gif}
seconds=${2:-18}
limit=(-max_total_time="$seconds")
if [ "$seconds" = --runs ]; then
  seconds=
  limit=(-runs="${3:-}")
  [[ ${3:-} =~ ^[0-9]+$ ]] || target=usage
fi
case " ${targets[*]} all " in
*" $target "*) ;;
*) echo "usage: fuzz/run.sh TARGET [SECONDS | --runs N]   (TARGET: ${targets[*]} or all)" >&2; exit 2 ;;
esac
[ "$target" = all ] && chosen=("${targets[@]}") || chosen=("$target")

out="$root/build/fuzz"
mkdir -p "$out"
cd "$root"
{ cmake --preset fuzz && cmake --build --preset fuzz --target fuzz_seeds "${chosen[@]/%/_fuzz}"; } >"$out/build.log" 2>&1 || {
  tail -n 40 "$out/build.log" >&2
  echo "fuzz: the targets did not build; see $out/build.log" >&2
  exit 1
}
rm -rf "$out/seeds"
"$out/cmake/fuzz/fuzz_seeds" "$out/seeds"
cp -r "$root/fuzz/corpus" "$out/seeds/gif"
bash "$root/fuzz/picture-seeds.sh" "$out/seeds"

# Longest input per target: a GIF animation, small pictures, an INI file, a
# picture file or a picture's description for the preview. 16 KB holds the banner (13 KB) and
# every structure of a GIF file (a full 4096-entry code table takes about
# 6 KB of codes); longer inputs only repeat blocks, and in long runs they
# grew until reading hundreds of frames and extensions took most of the time
# while adding no code path (the same edges are covered with the grown
# corpus cut to 16 KB).
declare -A maxlen=([gif]=16384 [bmp]=16384 [change]=16384 [compose]=16384 [ini]=1024 [preview]=16384 [png]=16384
                   [webp]=16384 [exif]=4096)
status=0
for t in "${chosen[@]}"; do
  dir="$out/$t"
  mkdir -p "$dir/corpus"
  # The CPU time the run took (user and system), beside the wall-clock time:
  # on a shared machine the inputs per CPU second are the rate on one core.
  TIMEFORMAT='%U %S'
  if ! { time "$out/cmake/fuzz/${t}_fuzz" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 \
      -max_len="${maxlen[$t]}" -artifact_prefix="$dir/" -print_final_stats=1 \
      "$dir/corpus" "$out/seeds/$t" 2>"$dir/fuzz.log"; } 2>"$dir/cpu.txt"; then
    tail -n 40 "$dir/fuzz.log" >&2
    echo "fuzz $t: the target failed on an input; see $dir/fuzz.log" >&2
    status=1
    continue
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/fuzz.log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$dir/fuzz.log")
  time=$(sed -n 's/.*Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$dir/fuzz.log")
  cpu=$(awk -v runs="$runs" '{ cpu = $1 + $2; printf "%.1f s of CPU, %d per CPU second", cpu, runs / (cpu > 0 ? cpu : 1) }' \
        "$dir/cpu.txt")
  time=${time:-${seconds:-1}}
  echo "fuzz $t: $runs inputs in $time s ($((runs / (time > 0 ? time : 1))) a second; $cpu)," \
       "peak ${rss} MB; no crash, hang or memory error"
done
exit $status
