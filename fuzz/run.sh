#!/usr/bin/env bash
# Builds the GIF fuzz target with clang and libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs it from the seed corpus.
#   fuzz/run.sh [SECONDS]      default 25; scripts/test.sh runs it this way
# New inputs go to build/fuzz/corpus (the committed seeds stay as they are);
# a crashing input is saved as build/fuzz/crash-* and the script fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-25}
out="$root/build/fuzz"
mkdir -p "$out/corpus"

sources=("$root/fuzz/GifFuzz.cpp" "$root/gif/GIFImage.cpp" "$root/gif/GIFCompose.cpp" "$root/engine/Bitmap.cpp")
binary="$out/gif_fuzz"
if [ ! -x "$binary" ] || [ -n "$(find "${sources[@]}" "$root/gif" "$root/engine" -newer "$binary" -print -quit)" ]; then
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" "${sources[@]}" -o "$binary"
fi

cp -n "$root"/fuzz/corpus/* "$out/corpus/" 2>/dev/null || true
cd "$out"
"$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$out/" -print_final_stats=1 "$out/corpus" 2>"$out/fuzz.log" || {
  tail -n 40 "$out/fuzz.log" >&2
  echo "fuzz: the GIF decoder failed on an input; see $out/fuzz.log" >&2
  exit 1
}
grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$out/fuzz.log" | sed 's/^/fuzz: /'
echo "fuzz: no crash, hang or memory error in $seconds s"
