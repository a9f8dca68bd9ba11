#!/usr/bin/env bash
# Runs the BWL micro-benchmarks and the same programs in Lua 5.4, and prints
# the time ratio BWL/Lua of each (below 1: BWL is faster). When luajit is
# installed, the programs also run on it with its compiler off (-joff), an
# interpreter of the same kind as ours, in two more columns.
#   bench/run.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
if ! command -v lua5.4 >/dev/null; then
  sudo -n true 2>/dev/null && SUDO=sudo || SUDO=
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get update </dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y lua5.4 </dev/null
fi
cmake -S "$root" -B "$build" -G Ninja -DBW_BENCH=ON -DBW_TESTS=OFF >/dev/null
cmake --build "$build" --target bwl_bench
json="$(mktemp)"
"$build/bench/bwl_bench" --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null
jit_off=""
if command -v luajit >/dev/null; then
  jit_off=yes
fi
if [ -n "$jit_off" ]; then
  printf "%-20s %12s %12s %12s %8s %12s %8s\n" benchmark "vm us" "tree us" "lua us" "vm/lua" "jit-off us" "vm/jit"
else
  printf "%-20s %12s %12s %12s %8s\n" benchmark "vm us" "tree us" "lua us" "vm/lua"
fi
for pair in Fib:fib NumericLoop:numeric_loop StringBuilding:string_building \
            ArrayFillAndSum:array_fill_and_sum WithOverInstances:with_over_instances \
            ModLoop:mod_loop LocalArrayFillAndSum:local_array_fill_and_sum \
            StepEventRoom:step_event_room; do
  name="${pair%%:*}"; file="${pair##*:}"
  lua_us="$(lua5.4 "$root/bench/lua/time.lua" "$root/bench/lua/$file.lua")"
  jit_us=""
  if [ -n "$jit_off" ]; then
    jit_us="$(luajit -joff "$root/bench/lua/time.lua" "$root/bench/lua/$file.lua")"
  fi
  python3 - "$json" "$name" "$lua_us" "$jit_us" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))
# Processor time on both sides: time.lua measures with os.clock().
times = {b["name"]: b["cpu_time"] for b in data["benchmarks"]}
name, lua = sys.argv[2], float(sys.argv[3])
vm, tree = times[name + "/1"], times[name + "/0"]
row = "%-20s %12.1f %12.1f %12.1f %8.2f" % (name, vm, tree, lua, vm / lua)
if sys.argv[4]:
    jit = float(sys.argv[4])
    row += " %12.1f %8.2f" % (jit, vm / jit)
print(row)
PY
done
# The time to create 10,000 and 20,000 instances (no peer).
python3 - "$json" <<'PY'
import json, sys
times = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
for count in (10000, 20000):
    print("%-20s %9.1f ms" % ("InstanceCreation/%d" % count, times["InstanceCreation/%d" % count]["cpu_time"]))
PY
rm -f "$json"
