# Flags of the Windows tree: warnings, UTF-8 sources (the program's own texts
# are wide literals and reach Windows through the W calls, so they read the
# same under every code page), SSE2
# arithmetic so that the rotation geometry truncates exactly as on the native
# tree (x87 excess precision moves some results by a pixel), and static
# linking so that quobixlens.exe needs no mingw runtime DLLs beside it.
add_compile_options(-Wall -Wextra
  $<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8>
  -msse2 -mfpmath=sse -ffp-contract=off)
add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0700)
add_link_options(-static -static-libgcc -static-libstdc++)
# The release preset links without symbols and debug sections: the static
# runtime libraries bring about a megabyte of them into every binary.
option(QB_STRIP "Strip every linked binary" OFF)
if(QB_STRIP)
  add_link_options(-s)
endif()
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "" FORCE)
endif()
# windres reads the UTF-8 .rc files itself (#pragma code_page(65001)).
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
enable_language(RC)
# Every program, DLL and test of the Windows tree lands in one folder, so
# quobixlens.exe finds imgctl.dll and quoblens.chm beside it, as it will
# when installed.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
