#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given number of seconds
# (default 60), starting from the committed seed corpus.
# Usage: fuzz/run.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(utf8_decode utf8_encode single_byte detect newline declaration command_line
                                     translation_table filters convert_file straight_paths shift_jis_decode euc_jp_decode
                                     iso2022jp_decode gbk_decode gb18030_decode big5_decode euc_kr_decode utf32_decode)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for t in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$t
  mkdir -p "$corpus" fuzz/artifacts
  echo "== $t: ${seconds}s"
  dict=()
  [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
  build/fuzz/bin/fuzz_$t "${dict[@]}" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix=fuzz/artifacts/$t- "$corpus" fuzz/corpus/$t 2>&1 | grep -E '^(stat::|#[0-9]+ +DONE|==|SUMMARY|Done)' || true
done
