#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds
# (default 30), starting from its seeds in fuzz/corpus/<target>/ and with fuzz/<target>.dict when
# there is one. Inputs that find something are
# left in build/fuzz/ as crash-* files.
#   tools/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

for seeds in fuzz/corpus/*/; do
  name=$(basename "$seeds")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  echo "Fuzzing $name for ${seconds}s"
  dict=()
  [ -f "fuzz/$name.dict" ] && dict=(-dict="../../fuzz/$name.dict")
  (cd build/fuzz && "fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "${dict[@]}" "../../$corpus" "../../$seeds")
done
