#!/usr/bin/env bash
# How much of the readers of outside data the fuzz targets reach: builds the
# targets with clang's source-based coverage (no sanitizers) into
# build/fuzz-coverage, replays each target's grown corpus
# (build/fuzz/TARGET/corpus, from fuzz/run.sh) and its seeds once, merges the
# profiles and prints, per reader file, the lines and branches reached, with a
# total.
#   fuzz/coverage.sh            every target
#   fuzz/coverage.sh TARGET...  only these (gif, bmp, change, ini, preview, png, webp, exif)
# Run fuzz/run.sh first (e.g. "fuzz/run.sh all 120") for corpora worth measuring;
# without them only the seeds are replayed. Needs clang, llvm-profdata-14 and
# llvm-cov-14.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
targets=(gif bmp change ini preview png webp exif)
[ $# -gt 0 ] && targets=("$@")
readers=(image/BmpCodec.cpp image/JpegDecoder.cpp image/Exif.cpp image/PngDecoder.cpp image/WebpDecoder.cpp
         engine/Render.cpp engine/Thumbnail.cpp engine/PictureFile.cpp
         gif/GIFImage.cpp gif/GIFCompose.cpp gif/LZW.cpp core/PluginFolders.cpp core/Settings.cpp
         platform/posix/ProfileText.cpp)
out="$root/build/fuzz-coverage"
mkdir -p "$out"
cd "$root"
{ cmake --preset fuzz -B "$out/cmake" -DTAVRIN_FUZZ_COVERAGE=ON &&
  cmake --build "$out/cmake" --target fuzz_seeds "${targets[@]/%/_fuzz}"; } >"$out/build.log" 2>&1 || {
  tail -n 40 "$out/build.log" >&2
  echo "coverage: the targets did not build; see $out/build.log" >&2
  exit 1
}
rm -rf "$out/seeds" "$out/profiles"
mkdir -p "$out/profiles"
LLVM_PROFILE_FILE="$out/seeds.profraw" "$out/cmake/fuzz/fuzz_seeds" "$out/seeds"
cp -r "$root/fuzz/corpus" "$out/seeds/gif"
bash "$root/fuzz/picture-seeds.sh" "$out/seeds"

objects=()
for t in "${targets[@]}"; do
  folders=("$out/seeds/$t")
  [ -d "$root/build/fuzz/$t/corpus" ] && folders+=("$root/build/fuzz/$t/corpus")
  # -runs=0: every input of the folders once, nothing new made.
  LLVM_PROFILE_FILE="$out/profiles/$t-%p.profraw" "$out/cmake/fuzz/${t}_fuzz" -runs=0 -timeout=30 \
    "${folders[@]}" >"$out/$t.log" 2>&1 || {
    tail -n 20 "$out/$t.log" >&2
    echo "coverage $t: the replay failed; see $out/$t.log" >&2
    exit 1
  }
  echo "coverage $t: replayed $(find "${folders[@]}" -type f | wc -l) inputs" >&2
  objects+=(-object "$out/cmake/fuzz/${t}_fuzz")
done
llvm-profdata-14 merge -sparse "$out"/profiles/*.profraw -o "$out/fuzz.profdata"
# The first object is given without -object, as llvm-cov wants. Of its table
# (file, regions, functions, lines, branches: each count, missed, cover) the
# reader files' lines and branches are kept, and summed.
llvm-cov-14 report "${objects[@]:1}" -instr-profile="$out/fuzz.profdata" >"$out/report.txt"
awk -v readers="${readers[*]}" '
  BEGIN {
    n = split(readers, names, " ")
    printf "%-32s %-26s %s\n", "reader file", "    lines reached", "    branches reached"
  }
  {
    for (i = 1; i <= n; ++i)
      if (!(names[i] in row) && length($1) >= length(names[i]) &&
          substr($1, length($1) - length(names[i]) + 1) == names[i] &&
          (length($1) == length(names[i]) || substr($1, length($1) - length(names[i]), 1) == "/")) {
        row[names[i]] = 1; lines[i] = $8; lmiss[i] = $9; branches[i] = $11; bmiss[i] = $12
      }
  }
  function show(name, l, lm, b, bm) {
    printf "%-32s %7d / %-7d %7.1f%% %7d / %-7d %7.1f%%\n", name, l - lm, l, l ? 100 * (l - lm) / l : 100,
           b - bm, b, b ? 100 * (b - bm) / b : 100
  }
  END {
    for (i = 1; i <= n; ++i) {
      if (!(names[i] in row)) { printf "%-32s not in the targets\n", names[i]; continue }
      show(names[i], lines[i], lmiss[i], branches[i], bmiss[i])
      L += lines[i]; LM += lmiss[i]; B += branches[i]; BM += bmiss[i]
    }
    show("total", L, LM, B, BM)
  }' "$out/report.txt"
echo "(the whole table: $out/report.txt)"
