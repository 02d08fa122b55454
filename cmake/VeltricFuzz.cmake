# veltric_fuzzer(<name> <sources...>): a libFuzzer target (clang only) named
# fuzz_<name>. scripts/run-fuzzers.sh runs every fuzz_* target for a while,
# seeded from fuzz/corpus/<name>/ when that folder exists.
function(veltric_fuzzer name)
  add_executable(fuzz_${name} ${ARGN})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz_${name} PRIVATE veltric_all)
endfunction()
