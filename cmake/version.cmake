# Everything that names the version takes it from project(... VERSION) in
# the top CMakeLists.txt, through the build folder's generated/ folder:
#   quobixlens_version.h     QB_VERSION ("1.0.0") for the about box
#   quobixlens.manifest      the application manifest (resources/), whose
#                            assembly version is the same four numbers
#   <target>_version.rc      a VERSIONINFO per binary (qb_version_resource)
# and packaging/ names the ZIP after it.
set(QB_PRODUCT_NAME "クオビクス (quobixlens)")
set(QB_COPYRIGHT "Copyright (C) 2026 the quobixlens developers")
set(QB_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)

file(CONFIGURE OUTPUT ${QB_GENERATED_DIR}/quobixlens_version.h CONTENT [[
// Made by cmake/version.cmake from project(quobixlens VERSION @PROJECT_VERSION@).
#pragma once
#define QB_VERSION "@PROJECT_VERSION@"
]] @ONLY)
include_directories(${QB_GENERATED_DIR})

# qb_version_resource(TARGET FILE_NAME DESCRIPTION): links a VERSIONINFO
# resource into the exe or DLL TARGET (Windows tree only): file and product
# version, product name, the description and the copyright, shown by
# Explorer under Properties > Details. A binary may carry several resource
# objects; the linker merges them.
function(qb_version_resource target file_name description)
  if(NOT WIN32)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(QB_FILE_TYPE VFT_APP)
  else()
    set(QB_FILE_TYPE VFT_DLL)
  endif()
  set(QB_FILE_NAME ${file_name})
  set(QB_FILE_DESCRIPTION ${description})
  set(rc ${QB_GENERATED_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
