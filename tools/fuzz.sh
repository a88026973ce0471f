#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs them all at once, each for the given number of
# seconds (default 30), starting from its seeds in fuzz/corpus/<target>/ and with
# fuzz/<target>.dict when there is one. Each target's output goes to build/fuzz/<target>.log,
# which is printed when it finds something; inputs that find something are left in build/fuzz/
# as crash-* files. Fails when any target does.
#   tools/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

names=()
pids=()
for seeds in fuzz/corpus/*/; do
  name=$(basename "$seeds")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  dict=()
  [ -f "fuzz/$name.dict" ] && dict=(-dict="../../fuzz/$name.dict")
  echo "Fuzzing $name for ${seconds}s"
  (cd build/fuzz && exec "fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "${dict[@]}" \
    "../../$corpus" "../../$seeds" >"$name.log" 2>&1) &
  names+=("$name")
  pids+=($!)
done

failed=0
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then
    echo "${names[$i]}: $(grep -m1 'stat::number_of_executed_units' "build/fuzz/${names[$i]}.log" || echo done)"
  else
    echo "${names[$i]} found something:"
    cat "build/fuzz/${names[$i]}.log"
    failed=1
  fi
done
exit "$failed"
