# Flags of the native tree: the pure code under AddressSanitizer and
# UndefinedBehaviorSanitizer, so that every test run is also a memory check.
option(QB_SANITIZE "Build the native tree with ASan and UBSan" ON)
add_compile_options(-Wall -Wextra -g -O1 -ffp-contract=off)
if(QB_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
# Under clang every library also carries libFuzzer's coverage hooks, so the
# fuzz targets can link the same libraries the tests use.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
