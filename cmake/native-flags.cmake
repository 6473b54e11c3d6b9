# Flags of the native tree: the pure code under AddressSanitizer and
# UndefinedBehaviorSanitizer, so that every test run is also a memory check.
# Without sanitizers (the native-release preset of the benchmarks) the
# build type alone sets optimisation and debug information.
option(QB_SANITIZE "Build the native tree with ASan and UBSan" ON)
add_compile_options(-Wall -Wextra -ffp-contract=off)
if(QB_SANITIZE)
  add_compile_options(-g -O1 -fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
# Under clang every library also carries libFuzzer's coverage hooks, so the
# fuzz targets can link the same libraries the tests use.
if(QB_TESTS AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
