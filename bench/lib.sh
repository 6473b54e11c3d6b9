# Shared pieces of the benchmarks, sourced:  . "$root/bench/lib.sh"
#
#   qb_bench_build PRESET TARGET...
#       builds the targets in the tree of a CMake preset (configured on
#       first use), so a benchmark times the code with the release's own
#       sources and flags instead of compiling a hand-kept source list:
#         release          the Windows tree as shipped (build/release/bin)
#         native-release   the native tools at Release, no sanitizers
#                          (build/native-release/bin)
#   qb_hyperfine JSON [hyperfine options and commands]
#       times whole processes with hyperfine (WARMUP warm-up runs, default
#       1, and RUNS timed runs, default 10), quietly, and keeps its JSON
#       export in JSON; name each command with -n so the results can be read
#       back
#   qb_bench_ms JSON NAME STATISTIC
#       prints one statistic of a named command in milliseconds: median,
#       min, max, mean or stddev
#   qb_bench_ratio A B
#       prints A / B with two decimals
# Benchmarks report ratios against a peer tool timed in the same run; they
# assert nothing.
QB_BENCH_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

qb_bench_build() {
  local preset=$1
  shift
  (
    cd "$QB_BENCH_ROOT" || exit 1
    [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null || exit 1
    cmake --build --preset "$preset" --target "$@" >/dev/null
  ) || { echo "bench: building $* with the $preset preset failed" >&2; return 1; }
}

qb_hyperfine() {
  local json=$1
  shift
  command -v hyperfine >/dev/null ||
    { echo "bench: hyperfine is missing (scripts/setup installs it)" >&2; return 1; }
  hyperfine --style none --warmup "${WARMUP:-1}" --runs "${RUNS:-10}" --export-json "$json" "$@" >/dev/null
}

qb_bench_ms() {
  python3 - "$@" <<'PY'
import json, sys
path, name, statistic = sys.argv[1:4]
for result in json.load(open(path))["results"]:
    if result["command"] == name:
        print("%.1f" % (result[statistic] * 1000))
        break
else:
    sys.exit("bench: no command named %s in %s" % (name, path))
PY
}

qb_bench_ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f\n", a / b; else print "-" }'
}
