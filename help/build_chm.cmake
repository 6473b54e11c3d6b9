# Compiles the help file: cmake -DSOURCE=<help folder> -DSTAGE=<work folder>
#   -DOUTPUT=<path of quoblens.chm> -DCHMCMD=<chmcmd> -DICONV=<iconv> -P build_chm.cmake
#
# The pages are kept in UTF-8, but the help viewer decodes the contents file
# with the code page of the file's language (Japanese: 932) and the pages by
# their meta charset, so every text file is converted to Shift_JIS in a
# staging copy and its meta charset rewritten to match. chmcmd writes its
# output beside the .hhp, so it runs on that copy, never in the source tree.
# Any warning or error of chmcmd (a missing file, a broken link) fails the
# build, as does a character that has no Shift_JIS form.
foreach(var SOURCE STAGE OUTPUT CHMCMD ICONV)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "build_chm.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/hsource)

file(GLOB pages RELATIVE ${SOURCE} ${SOURCE}/hsource/*.html)
file(GLOB styles RELATIVE ${SOURCE} ${SOURCE}/hsource/*.css)
foreach(name quoblens.hhp quoblens.hhc ${pages} ${styles})
  file(READ ${SOURCE}/${name} text)
  string(REPLACE "charset=UTF-8" "charset=Shift_JIS" text "${text}")
  # Windows line ends, as the help tools expect.
  string(REGEX REPLACE "\r?\n" "\r\n" text "${text}")
  file(WRITE ${STAGE}/${name}.utf8 "${text}")
  execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 ${STAGE}/${name}.utf8
                  OUTPUT_FILE ${STAGE}/${name}
                  RESULT_VARIABLE status ERROR_VARIABLE problem)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name}: cannot be written in Shift_JIS: ${problem}")
  endif()
  file(REMOVE ${STAGE}/${name}.utf8)
endforeach()

execute_process(COMMAND ${CHMCMD} quoblens.hhp
                WORKING_DIRECTORY ${STAGE}
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0 OR log MATCHES "(Warning|Error|error)[ :]" OR NOT EXISTS ${STAGE}/quoblens.chm)
  message(FATAL_ERROR "chmcmd failed:\n${log}")
endif()

# Replace the old help file only with a complete new one.
get_filename_component(outdir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${outdir})
file(COPY_FILE ${STAGE}/quoblens.chm ${OUTPUT}.new)
file(RENAME ${OUTPUT}.new ${OUTPUT})
