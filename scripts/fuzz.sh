#!/usr/bin/env bash
# The fuzz targets of fuzz/ (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer), built in their
# own build folder and run one after the other.
#
#   scripts/fuzz.sh [SECONDS]   runs each target for SECONDS (default 60) on its working corpus
#                               (build-fuzz/corpus/<target>, new entries kept there) together with the seeds of
#                               fuzz/corpus/<target> and the regression inputs of fuzz/regressions/<target>. A crash
#                               or sanitizer report is written to fuzz/regressions/<target>/ and fails the run.
#   scripts/fuzz.sh --replay    runs each target once over its seeds and regression inputs (CI).
#   Target names after either (fuzz_manifest, ...) run those targets alone.
#
# It installs what the project needs first (scripts/install-deps.sh: clang and its fuzzer and sanitizer
# runtimes among it). QZ_FUZZ_BUILD_DIR (default build-fuzz) and QZ_FUZZ_BUILD_JOBS (default: every core)
# steer the build; the targets' files go to a private folder below /dev/shm (else the temp folder), removed
# at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

usage() { echo "usage: scripts/fuzz.sh [SECONDS | --replay] [TARGET...]" >&2; exit 2; }
mode=run
seconds=60
case "${1:-}" in
  --replay) mode=replay; shift ;;
  "" | fuzz_*) ;;
  *[!0-9]* | 0) usage ;;
  *) seconds=$1; shift ;;
esac
# The targets named, else every target (each has its seeds in fuzz/corpus/).
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done
fi
for target in "${targets[@]}"; do
  [ -d "fuzz/corpus/$target" ] || { echo "fuzz.sh: no fuzz target $target (fuzz/corpus/$target is missing)" >&2; exit 2; }
done

./scripts/install-deps.sh

build_dir=${QZ_FUZZ_BUILD_DIR:-build-fuzz}
cmake -S . -B "$build_dir" -G Ninja -DQZ_FUZZ=ON >/dev/null
cmake --build "$build_dir" --target qz_fuzzers --parallel "${QZ_FUZZ_BUILD_JOBS:-$(nproc)}"

scratch=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/qzfuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
export UBSAN_OPTIONS=print_stacktrace=1
mkdir -p "$build_dir/logs"

# The dictionary of the syntax a target reads, if any.
dictionary_of() {
  case $1 in
    fuzz_manifest | fuzz_ini) echo "-dict=$repo/fuzz/ini.dict" ;;
    fuzz_extract_file | fuzz_journal_lines | fuzz_journal_text) echo "-dict=$repo/fuzz/csv.dict" ;;
  esac
}

failed=()
for target in "${targets[@]}"; do
  seeds=fuzz/corpus/$target
  regressions=fuzz/regressions/$target
  log=$build_dir/logs/$target.log
  if [ "$mode" = replay ]; then
    inputs=("$seeds")
    [ -d "$regressions" ] && inputs+=("$regressions")
    options=(-runs=0 -timeout=10)
  else
    # New entries go to the first folder, the working corpus; crashes to the regressions.
    mkdir -p "$build_dir/corpus/$target" "$regressions"
    inputs=("$build_dir/corpus/$target" "$seeds" "$regressions")
    options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1 -artifact_prefix="$regressions/")
    dictionary=$(dictionary_of "$target")
    [ -n "$dictionary" ] && options+=("$dictionary")
  fi
  status=0
  "$build_dir/bin/$target" "${options[@]}" "${inputs[@]}" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    failed+=("$target")
    echo "$target: FAILED (exit $status); the end of $log:" >&2
    tail -n 40 "$log" >&2
  elif [ "$mode" = replay ]; then
    echo "$target: $(find "${inputs[@]}" -type f | wc -l) inputs replayed, no finding"
  else
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    echo "$target: $runs runs in $seconds s, $speed exec/s, working corpus $(find "$build_dir/corpus/$target" -type f | wc -l) entries, no finding"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: findings in ${failed[*]}; their inputs are in fuzz/regressions/<target>/" >&2
  exit 1
fi
