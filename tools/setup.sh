#!/usr/bin/env bash
# One command for a fresh machine: installs what is missing, builds, then plays or tests.
#   tools/setup.sh play [player arguments]   build and start the player
#   tools/setup.sh test                      build and run every test
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-}
shift || true

tools/install-deps.sh
jobs=$(nproc)

case "$mode" in
  play)
    cmake --preset release >/dev/null
    # Only what the start needs: the program (with its skin and language files) and the demo's
    # card generator; the tests and benchmarks are left for "test".
    cmake --build --preset release -j "$jobs" --target player cardgen
    exec tools/play-demo.sh build/release "$@"
    ;;
  test)
    # An include against the layer order fails at once, before anything is compiled.
    tools/check-layers.sh
    cmake --preset debug >/dev/null
    cmake --build --preset debug -j "$jobs"
    ctest --preset debug -j "$jobs"
    # Continuous integration also runs every fuzz target briefly (tools/fuzz.sh runs longer ones),
    # and the suites whose tests make threads under the thread checker (some seven minutes).
    if [ "${CI:-}" = true ]; then
      tools/fuzz.sh 30
      cmake --preset tsan >/dev/null
      cmake --build --preset tsan -j "$jobs"
      ctest --preset tsan
    fi
    ;;
  *)
    echo "usage: tools/setup.sh play|test" >&2
    exit 2
    ;;
esac
