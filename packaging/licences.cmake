# Writes the licence texts of the runtime code the static mingw-w64 build
# links into quobixlens.exe and imgctl.dll, taken from the toolchain's
# Debian copyright files:
#   gcc-runtime-library-exception.txt   libgcc and libstdc++: GPL 3 with the
#                                       GCC Runtime Library Exception 3.1
#   winpthreads.txt                     the POSIX threads runtime (posix
#                                       thread model of the compiler)
#   mingw-w64-runtime.txt               the C runtime start-up and support code
#   cmake -DOUTPUT=folder -P licences.cmake
# Fails when a file or a passage is missing, so that a changed toolchain
# cannot make a ZIP without them.
set(gcc_copyright /usr/share/doc/gcc-mingw-w64-base/copyright)
set(mingw_copyright /usr/share/doc/mingw-w64-common/copyright)

# The text of FILE from START up to END (not included); "\n\n" as END is
# the end of a paragraph, and "\n\n" before START anchors it to the start
# of one (Debian's licence paragraphs and the short "License:" lines of
# file stanzas begin alike).
function(passage out file start end)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "licences: ${file} is missing (scripts/setup installs mingw-w64)")
  endif()
  file(READ ${file} text)
  string(FIND "${text}" "${start}" from)
  if(from EQUAL -1)
    message(FATAL_ERROR "licences: no passage \"${start}\" in ${file}")
  endif()
  string(SUBSTRING "${text}" ${from} -1 rest)
  string(REGEX REPLACE "^\n+" "" rest "${rest}")
  string(FIND "${rest}" "${end}" to)
  if(to EQUAL -1)
    message(FATAL_ERROR "licences: the passage \"${start}\" in ${file} has no end")
  endif()
  string(SUBSTRING "${rest}" 0 ${to} piece)
  set(${out} "${piece}\n" PARENT_SCOPE)
endfunction()

# Debian's " ." lines stand for blank lines inside a licence; Windows
# readers want CRLF.
function(write name header body)
  string(CONCAT text "${header}" "${body}")
  string(REPLACE "\n .\n" "\n\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${OUTPUT}/${name} "${text}")
endfunction()

passage(gcc_libs ${gcc_copyright} "The following runtime libraries are licensed" "\n\nThe libbacktrace")
passage(gcc_exception ${gcc_copyright} "GCC RUNTIME LIBRARY EXCEPTION" "\n\n\nlibquadmath/")
write(gcc-runtime-library-exception.txt
  "quobixlens.exe and imgctl.dll contain parts of libgcc and libstdc++, linked
statically by GCC (mingw-w64). From the GCC copyright notice:\n\n"
  "${gcc_libs}\n${gcc_exception}")

passage(wp_main ${mingw_copyright} "Files: mingw-w64-libraries/winpthreads/*" "\n\n")
passage(wp_header ${mingw_copyright} "Files: mingw-w64-libraries/winpthreads/include/pthread.h" "\n\n")
passage(wp_public ${mingw_copyright} "Files: mingw-w64-libraries/winpthreads/src/clock.c" "\n\n")
passage(wp_math ${mingw_copyright} "Files: mingw-w64-libraries/winpthreads/src/libgcc/dll_math.c" "\n\n")
passage(expat ${mingw_copyright} "\n\nLicense: expat\n" "\n\n")
passage(bsd3 ${mingw_copyright} "\n\nLicense: BSD-3-clause\n" "\n\n")
write(winpthreads.txt
  "quobixlens.exe and imgctl.dll contain the winpthreads library of mingw-w64,
linked statically. From the mingw-w64 copyright notice:\n\n"
  "${wp_main}\n${wp_header}\n${wp_public}\n${wp_math}\n${expat}\n${bsd3}")

passage(crt ${mingw_copyright} "\nFiles: *\n" "\n\n")
write(mingw-w64-runtime.txt
  "quobixlens.exe and imgctl.dll contain start-up and support code of the
mingw-w64 C runtime. From the mingw-w64 copyright notice:\n\n"
  "${crt}")
