#!/usr/bin/env bash
# Long fuzz runs by hand (not part of scripts/test.sh): builds the harnesses
# of tests/fuzz/ with clang-14, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/ (the product code is
# instrumented too), then runs each for SECONDS on its seed corpus.
#
# Usage: scripts/fuzz.sh [SECONDS] [HARNESS...]
#   SECONDS   per harness (default 300)
#   HARNESS   money dates pinyin calculator xls (default: all of tests/fuzz)
#
# New inputs go to build-fuzz/corpus/<name>/ (copy the good ones into
# tests/fuzz/corpus/<name>/), failing ones to build-fuzz/crashes/<name>/.
# Replay one in the normal build: build/tst_fuzz_<name> FILE.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-300}
shift || true
dir=${FUZZ_BUILD_DIR:-$root/build-fuzz}

if ! command -v clang++-14 >/dev/null || [ ! -e /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends clang-14 libclang-rt-14-dev >/dev/null
fi
"$root/scripts/deps.sh"

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in "$root"/tests/fuzz/tst_fuzz_*.cpp; do
    n=$(basename "$f" .cpp)
    names+=("${n#tst_fuzz_}")
  done
fi

san="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_CXX_FLAGS="-O1 -g -fsanitize=fuzzer-no-link $san" \
  -DCMAKE_EXE_LINKER_FLAGS="$san" \
  -DJIZHANG_LIBFUZZER=ON >/dev/null
cmake --build "$dir" -j 2 --target $(printf 'tst_fuzz_%s ' "${names[@]}")

export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
# Qt keeps caches for the life of the process: not leaks of ours.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
status=0
for n in "${names[@]}"; do
  mkdir -p "$dir/corpus/$n" "$dir/crashes/$n"
  echo "== $n: $secs s"
  if ! "$dir/tst_fuzz_$n" -max_total_time="$secs" -timeout=10 -rss_limit_mb=4096 -max_len=1024 \
      -print_final_stats=1 -artifact_prefix="$dir/crashes/$n/" \
      "$dir/corpus/$n" "$root/tests/fuzz/corpus/$n" 2>"$dir/$n.log"; then
    status=1
    echo "!! $n failed: see $dir/$n.log and $dir/crashes/$n/"
  fi
  grep -E "^(stat::|Done|==[0-9]+==ERROR|FUZZ FAILURE|SUMMARY)" "$dir/$n.log" | head -20 || true
done
exit $status
