# The folders are the layers: host -> control (with resources) -> stream,
# image, operation -> platform -> libraries. This script fails when a file
# of one layer includes a header of a layer it may not use, and touches
# STAMP otherwise; the build runs it whenever a source changes.
#   cmake -DROOT=<source dir> -DSTAMP=<file> -P CheckLayers.cmake
cmake_minimum_required(VERSION 3.25)
set(may_use_platform platform)
set(may_use_image image platform)
set(may_use_stream stream platform)
set(may_use_operation operation platform)
set(may_use_resources resources control platform)
set(may_use_control control resources stream image operation platform)
set(may_use_host host platform)

set(errors "")
foreach(layer platform image stream operation resources control host)
  file(GLOB_RECURSE files "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.cpp")
  foreach(file ${files})
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z0-9_-]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([A-Za-z0-9_-]+)/.*$" "\\1" used "${line}")
      if(NOT used IN_LIST may_use_${layer})
        file(RELATIVE_PATH name "${ROOT}" "${file}")
        string(STRIP "${line}" line)
        list(APPEND errors "${name}: ${layer}/ may not use ${used}/ (${line})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(errors)
  list(JOIN errors "\n  " text)
  message(FATAL_ERROR "includes that climb a layer:\n  ${text}")
endif()
file(TOUCH "${STAMP}")
