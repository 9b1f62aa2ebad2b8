#!/bin/sh
# fuzz.sh BUILD replay       - runs every corpus input once through its target
# fuzz.sh BUILD run SECONDS  - fuzzes each target for SECONDS, growing its corpus
set -e
build=$1; mode=$2; seconds=${3:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for src in "$root"/fuzz/*_fuzz.cpp; do
  [ -e "$src" ] || continue
  name=$(basename "$src" .cpp)
  target="$build/fuzz/$name"
  corpus="$root/fuzz/corpus/${name%_fuzz}"
  mkdir -p "$corpus"
  if [ "$mode" = replay ]; then
    n=$(ls "$corpus" | wc -l)
    if "$target" -runs=0 "$corpus" >"$build/$name.log" 2>&1; then
      echo "fuzz replay $name: $n inputs, no failure"
    else
      echo "fuzz replay $name: FAILED"; tail -40 "$build/$name.log"; status=1
    fi
  else
    mkdir -p "$build/new-corpus/$name"
    "$target" -max_total_time="$seconds" -max_len=65536 -artifact_prefix="$corpus/crash-" \
      "$build/new-corpus/$name" "$corpus" || status=1
    "$target" -merge=1 "$corpus" "$build/new-corpus/$name" >/dev/null 2>&1 || true
  fi
done
exit $status
