# Run-time checkers, as INTERFACE targets the project's targets link.
#
# kelvane_sanitizers (KELVANE_SANITIZE): AddressSanitizer (with its leak check
# at exit) and UndefinedBehaviorSanitizer. Nothing recovers: the first report
# aborts the program, so a test, a fuzzer or a validator case that trips one
# fails. The component runs inside the host's process, where a wild write or a
# leak takes the operator's panel host down, so every suite also runs this way.
# A library links it PUBLIC: whatever links instrumented code needs the
# sanitizers' run time too. Empty when the option is off.
#
# kelvane_fuzz_coverage (KELVANE_LIBFUZZER, clang only): libFuzzer's coverage
# instrumentation, linked by the code under test only (the component's parts),
# so the fuzzers in fuzz/ are guided by it and not by their harness; also
# builds the libFuzzer programs beside the corpus replay.
add_library(kelvane_sanitizers INTERFACE)
if(KELVANE_SANITIZE)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(FATAL_ERROR "KELVANE_SANITIZE needs g++ or clang")
  endif()
  set(_kelvane_sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=all)
  target_compile_options(kelvane_sanitizers INTERFACE ${_kelvane_sanitizer_flags} -fno-omit-frame-pointer)
  target_link_options(kelvane_sanitizers INTERFACE ${_kelvane_sanitizer_flags})
endif()

add_library(kelvane_fuzz_coverage INTERFACE)
if(KELVANE_LIBFUZZER)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KELVANE_LIBFUZZER needs clang (configure with CXX=clang++)")
  endif()
  target_compile_options(kelvane_fuzz_coverage INTERFACE -fsanitize=fuzzer-no-link)
endif()
