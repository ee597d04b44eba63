#!/bin/sh
# Builds the reader's libFuzzer target with clang++ and runs it briefly.
# Usage: run_fuzz.sh <source root> <work folder> [seconds]
# Exit code 77 (a skip for ctest) when clang++ or its fuzzer run time is missing.
set -eu
root=$1
work=$2
seconds=${3:-10}

cxx=$(command -v clang++ || true)
if [ -z "$cxx" ]; then
  echo "clang++ not found: fuzzing skipped"
  exit 77
fi
mkdir -p "$work/corpus"
printf 'int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }\n' > "$work/probe.cpp"
sed -i 's/^int/extern "C" int/' "$work/probe.cpp"
if ! "$cxx" -fsanitize=fuzzer "$work/probe.cpp" -o "$work/probe" >/dev/null 2>&1; then
  echo "clang++ has no fuzzer run time (libclang-rt-dev): fuzzing skipped"
  exit 77
fi

"$cxx" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$root" \
  "$root/hdrscan/id3v1_tag.cpp" "$root/hdrscan/mp3_header_reader.cpp" \
  "$root/tests/hdrscan/fuzz_reader.cpp" -o "$work/hdrscan_fuzz"

# Seeds: a bare frame header, and one followed by a Xing header with frames.
printf '\377\373\220\100' > "$work/corpus/seed-header"
{ printf '\377\373\220\100'; head -c 32 /dev/zero; printf 'Xing\000\000\000\001\000\000\003\350'; } \
  > "$work/corpus/seed-xing"
{ printf 'ID3\003\000\000\000\000\000\012'; head -c 10 /dev/zero; printf '\377\373\220\100'; } \
  > "$work/corpus/seed-id3v2"

exec "$work/hdrscan_fuzz" -max_total_time="$seconds" -max_len=300000 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus"
