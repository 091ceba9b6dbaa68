# The Windows viewer's plumbing, shared with or mirroring the Linux viewer's:
#   camview_options   the command line (host/core/CamviewOptions.cpp, as on Linux)
#   vepage            the page reader (host/core/page) over libxml2 built for Windows
#   camview_fetch     the page fetched through WinInet with the password
#                     dialog (host/win32/container/PageFetch)
#   camview_png       PNG files written through WIC (host/win32/container/PngWriter)
# and their tests, win_plumbing_tests.exe.
include(${PROJECT_SOURCE_DIR}/host/core/Sources.cmake)
include(${PROJECT_SOURCE_DIR}/host/win32/Sources.cmake)
add_library(camview_options STATIC ${VE_OPTIONS_SOURCES})
target_link_libraries(camview_options PUBLIC ve_root vepage PRIVATE ve_warnings)

# libxml2, built for this architecture from Debian's source package by
# scripts/setup --windows into the build folder's libxml2/: static, HTML
# parser and tree only in use, without iconv, zlib, lzma, threads or network.
set(VE_WIN_LIBXML2 "${PROJECT_BINARY_DIR}/libxml2" CACHE PATH "libxml2 built for this architecture")
if(NOT EXISTS "${VE_WIN_LIBXML2}/lib/libxml2.a")
  message(FATAL_ERROR "${VE_WIN_LIBXML2}/lib/libxml2.a is missing: run scripts/setup --windows")
endif()
add_library(ve_win_libxml2 STATIC IMPORTED)
set_target_properties(ve_win_libxml2 PROPERTIES
  IMPORTED_LOCATION "${VE_WIN_LIBXML2}/lib/libxml2.a"
  INTERFACE_INCLUDE_DIRECTORIES "${VE_WIN_LIBXML2}/include/libxml2"
  INTERFACE_COMPILE_DEFINITIONS LIBXML_STATIC)

add_library(vepage STATIC ${VE_PAGE_READER_SOURCES})
target_link_libraries(vepage PUBLIC ve_root PRIVATE ve_win_libxml2 ve_warnings)

add_library(camview_fetch STATIC ${VE_WIN32_FETCH_SOURCES} ${VE_PROXY_SOURCES}
                                 ${PROJECT_SOURCE_DIR}/platform/secrets/win32/CredentialManager.cpp)
target_link_libraries(camview_fetch PUBLIC vepage camview_options wininet user32 advapi32 PRIVATE ve_warnings)
add_library(camview_png STATIC ${VE_WIN32_PNG_SOURCES})
target_link_libraries(camview_png PUBLIC ve_root windowscodecs ole32 uuid PRIVATE ve_warnings)

# The page reader's and the command line's unit tests, as on Linux, and the
# fetch and PNG writer against WinInet and WIC; the fetch's password cases
# run against camsim --user admin:secret when VE_PASSWORD_CAMERA names it
# (scripts/windows-tests starts one).
add_executable(win_plumbing_tests
  ${PROJECT_SOURCE_DIR}/tests/host/ViewerPageTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/host/NetworkErrorsTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/host/CamviewOptionsTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/host/ControlPolicyTest.cpp
  ${PROJECT_SOURCE_DIR}/host/core/ControlPolicy.cpp
  ${PROJECT_SOURCE_DIR}/tests/windows/PageFetchTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/windows/PngWriterTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/windows/WinsockEnvironment.cpp)
target_link_libraries(win_plumbing_tests PRIVATE camview_fetch camview_png camview_options ws2_32 ole32 uuid gtest gtest_main
                      ve_warnings)
