#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them: each figure with its median
# and best of the runs, its goal and PASS or FAIL; a table of all of them at
# the end. Exits with 1 when a figure fails its goal or a benchmark cannot
# measure. Large bases are generated once into build-bench/bench-data and
# reused (set QUORVEL_BENCH_DATA for another place).
#   scripts/bench.sh [--quick] [--runs N] [TARGET[:FORMATS]...]
# TARGET: walk scan mark post open letter long tree nodelist charset (default: all); FORMATS:
# letters of JSHF, e.g. "mark:S". --quick: bases a tenth of their size, for
# trying things out (time limits that grow with the size a tenth too).
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-bench"

declare -A program=([walk]=HeaderWalkBench [scan]=ScanBench [mark]=MarkAllReadBench [post]=PostBench
                    [open]=AreaOpenBench [letter]=AreaFormBench [long]=LongLetterBench [tree]=TreeBench [nodelist]=NodelistBench [charset]=CharsetBench)
order=(walk scan mark post open letter long tree nodelist charset)
# Programs that print their figures for people only, with no goal to judge.
declare -A detail_only=([charset]=1)

options=() targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) options+=(--quick) ;;
    --runs) options+=(--runs "$2"); shift ;;
    -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) name=${1%%:*}
       if [ -z "${program[$name]:-}" ]; then echo "bench.sh: unknown target $1 (${order[*]})" >&2; exit 2; fi
       targets+=("$1") ;;
  esac
  shift
done
[ ${#targets[@]} -eq 0 ] && targets=("${order[@]}")

"$here/scripts/install-deps.sh" build || exit 1
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_BENCH=ON -DQUORVEL_BUILD_UI=ON >/dev/null || exit 1
cmake --build "$build" -j2 >/dev/null || { echo "bench.sh: the build failed" >&2; exit 1; }

results=$(mktemp)
trap 'rm -f "$results"' EXIT
echo "load before: $(uptime)"
status=0
for target in "${targets[@]}"; do
  name=${target%%:*}
  formats=; [[ "$target" == *:* ]] && formats=${target#*:}
  echo "== $name (${program[$name]})"
  out=$(mktemp)
  "$build/bench/${program[$name]}" "${options[@]}" $formats 2> >(grep -v -e 'XDG_RUNTIME_DIR' -e 'does not support' >&2) | tee "$out"
  code=${PIPESTATUS[0]}
  grep '^RESULT' "$out" >> "$results"
  if [ "$code" -gt 1 ] || { [ -z "${detail_only[$name]:-}" ] && ! grep -q '^RESULT' "$out"; } ||
     { [ -n "${detail_only[$name]:-}" ] && [ "$code" -ne 0 ]; }; then
    printf 'RESULT\t%s\t-\t-\t0\t-\t-\tERROR\texit code %s\n' "${program[$name]}" "$code" >> "$results"
  fi
  rm -f "$out"
done
echo "load after: $(uptime)"

echo
printf '%-70s %10s %10s %4s %-13s %-8s %-7s %s\n' figure median best runs unit goal verdict note
while IFS=$'\t' read -r _ figure median best runs unit goal verdict note; do
  printf '%-70s %10s %10s %4s %-13s %-8s %-7s %s\n' "$figure" "$median" "$best" "$runs" "$unit" "$goal" "$verdict" "$note"
  [ "$verdict" = FAIL ] || [ "$verdict" = ERROR ] && status=1
done < "$results"
echo
echo "generated bases: $(du -sh "${QUORVEL_BENCH_DATA:-$build/bench-data}" 2>/dev/null | cut -f1)"
exit $status
