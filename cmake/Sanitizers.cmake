# Run-time checkers for the whole tree.
#
# KELVANE_SANITIZE: AddressSanitizer (with its leak check at exit) and
# UndefinedBehaviorSanitizer on every target. Nothing recovers: the first report
# aborts the program, so a test, a fuzzer or a validator case that trips one
# fails. The component runs inside the host's process, where a wild write or a
# leak takes the operator's panel host down, so every suite also runs this way.
#
# KELVANE_LIBFUZZER (clang only): adds libFuzzer's coverage instrumentation to
# every target, so the fuzzers in fuzz/ are guided by the code under test, and
# builds the libFuzzer programs beside the corpus replay.
option(KELVANE_LIBFUZZER "Build the libFuzzer programs (clang only)" OFF)

if(KELVANE_SANITIZE)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(FATAL_ERROR "KELVANE_SANITIZE needs g++ or clang")
  endif()
  set(KELVANE_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all)
  add_compile_options(${KELVANE_SANITIZER_FLAGS} -fno-omit-frame-pointer)
  add_link_options(${KELVANE_SANITIZER_FLAGS})
endif()

if(KELVANE_LIBFUZZER)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KELVANE_LIBFUZZER needs clang (configure with CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
