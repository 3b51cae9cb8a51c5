#!/usr/bin/env bash
# Configures and builds one build folder.
#
#   build.sh [--dir DIR] [--target TARGET]... [-DNAME=VALUE]...
#
# DIR is build/ (the working program folder) unless given; without --target
# everything is built. -D settings go to CMake's configure step, after the
# defaults, so they win.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

dir="$here/build"
targets=()
settings=()
while [ $# -gt 0 ]; do
  case "$1" in
    --dir) dir="$2"; shift 2 ;;
    --target) targets+=(--target "$2"); shift 2 ;;
    -D*) settings+=("$1"); shift ;;
    *) echo "build.sh: unknown argument: $1" >&2; exit 2 ;;
  esac
done

"$here/scripts/deps.sh"
cmake -S "$here" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${settings[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
