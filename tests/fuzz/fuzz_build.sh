# Sourced by stage.sh and long-run.sh (from the repository root): configures
# build-fuzz with clang, the core instrumented for libFuzzer, and builds only
# the fuzz targets. Defines zorvin_fuzz_run TARGET CORPUS_DIR ARGS...
fuzz_flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZORVIN_GUI=OFF -DZORVIN_FUZZ=ON -DZORVIN_WERROR=ON -DCMAKE_C_FLAGS="$fuzz_flags" -DCMAKE_CXX_FLAGS="$fuzz_flags" >/dev/null
cmake --build build-fuzz -j 2 --target fuzzers

# target name -> seed folder and extra options
declare -A zorvin_fuzz_seeds=([assembler_fuzzer]=asm [settings_fuzzer]=ini [codec_fuzzer]=codec [extended_fuzzer]=ext [dis_fuzzer]=dis
                             [tasm_fuzzer]=dialect [asxxxx_fuzzer]=dialect [sbasm_fuzzer]=dialect [asm48_fuzzer]=dialect
                             [lsp_fuzzer]=lsp)
declare -A zorvin_fuzz_options=([assembler_fuzzer]="-dict=tests/fuzz/asm.dict" [extended_fuzzer]="-dict=tests/fuzz/ext.dict")
zorvin_fuzz_targets=(assembler_fuzzer settings_fuzzer codec_fuzzer extended_fuzzer dis_fuzzer
                     tasm_fuzzer asxxxx_fuzzer sbasm_fuzzer asm48_fuzzer lsp_fuzzer)

# Runs one target on a scratch copy of its seeds (the repository is never
# written); findings land in the scratch folder. Prints libFuzzer's output.
zorvin_fuzz_run() {
  local target=$1 scratch=$2
  shift 2
  rm -rf "$scratch"
  mkdir -p "$scratch/corpus" "$scratch/findings"
  cp "tests/fuzz/corpus/${zorvin_fuzz_seeds[$target]}/." -r "$scratch/corpus/"
  # The golden assembler sources seed the assembler too, without copies here.
  if [ "$target" = assembler_fuzzer ]; then cp tests/asm/golden/*.asm "$scratch/corpus/"; fi
  case "$target" in tasm_fuzzer|asxxxx_fuzzer|sbasm_fuzzer|asm48_fuzzer) cp tests/asm/golden/conv_*.asm "$scratch/corpus/" ;; esac
  if [ "$target" = extended_fuzzer ]; then cp tests/asm/golden/ext_*.asm tests/asm/golden/prog_*.asm "$scratch/corpus/"; fi
  # A hang or a run-away allocation counts as a finding too. The assembler's
  # work bounds end any source within about a second in a normal build; with
  # the sanitizers and coverage a source at those bounds takes ten to twenty
  # times as long, so the timeout leaves room for that on a busy machine.
  build-fuzz/tests/fuzz/"$target" -timeout=30 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    -artifact_prefix="$scratch/findings/" ${zorvin_fuzz_options[$target]:-} "$@" "$scratch/corpus"
}
