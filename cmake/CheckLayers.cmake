# The folders are the layers: host -> control (with resources) -> stream,
# image, operation -> platform -> libraries. This script fails when a file
# of one layer includes a header of a layer it may not use, and touches
# STAMP otherwise; the build runs it whenever a source changes. It also
# fails when code that Windows compiles reaches into the Linux stand-in's
# own side (see below).
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

# The Linux stand-in's own side, platform/<room>/linux/ with its calls in
# namespace standin, is for the code that only Linux builds: the stand-in
# itself, the Linux viewers' containers, the tests, tools, benchmarks and
# fuzzers. The system's folders, the viewers' shared core and page reader,
# the Windows viewer and platform's shared files (the Windows API headers
# and what win32/ holds) neither include it nor call standin::.
set(shared_files "")
foreach(folder control image stream operation host/core host/win32)
  file(GLOB_RECURSE found "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  list(APPEND shared_files ${found})
endforeach()
file(GLOB found "${ROOT}/platform/*/*.h" "${ROOT}/platform/*/*.cpp" "${ROOT}/platform/*/win32/*.h"
     "${ROOT}/platform/*/win32/*.cpp")
list(APPEND shared_files ${found})
foreach(file ${shared_files})
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"platform/[A-Za-z0-9_-]+/linux/|standin::")
  foreach(line ${lines})
    if(line MATCHES "^[ \t]*//")
      continue()
    endif()
    file(RELATIVE_PATH name "${ROOT}" "${file}")
    string(STRIP "${line}" line)
    list(APPEND errors "${name}: code that Windows compiles may not use the Linux stand-in's own side (${line})")
  endforeach()
endforeach()

# The viewers' shared core is written once for every face: it includes
# neither the Linux nor the Windows viewer's own rooms.
file(GLOB_RECURSE core_files "${ROOT}/host/core/*.h" "${ROOT}/host/core/*.cpp")
foreach(file ${core_files})
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"host/(linux|win32)/")
  foreach(line ${lines})
    file(RELATIVE_PATH name "${ROOT}" "${file}")
    string(STRIP "${line}" line)
    list(APPEND errors "${name}: host/core/ may not use a face's own rooms (${line})")
  endforeach()
endforeach()

if(errors)
  list(JOIN errors "\n  " text)
  message(FATAL_ERROR "includes that climb a layer or reach the Linux stand-in's own side:\n  ${text}")
endif()
file(TOUCH "${STAMP}")
