# camview.exe: the viewer as a native Win32 container of the real module.
#   veviewer     the container's pieces (site, browser, bag, event sink,
#                what a control drew, cursors, the grid), the window's
#                picture, snapshots and address dialog, and the report
#   camview      the program, beside VE_VIRIZU.OCX
#   win_viewer_tests  the pieces under Wine
# The command line, the page reader, the page fetch and the PNG writer come
# from Plumbing.cmake's targets (camview_options, vepage, camview_fetch,
# camview_png).
add_library(veviewer STATIC
  ${VE_WIN32_CONTAINER_SOURCES}
  ${VE_WIN32_WINDOW_SOURCES}
  ${VE_REPORT_SOURCES}
  ${VE_CORE_SOURCES}
)
# FFmpeg's libavformat with the Matroska muxer only, for recordings, built
# for this architecture by scripts/setup --windows into the build folder's
# ffmpeg/ (static, like libjpeg-turbo and libxml2).
set(VE_WIN_FFMPEG "${PROJECT_BINARY_DIR}/ffmpeg" CACHE PATH "FFmpeg's libavformat built for this architecture")
ve_win_prebuilt("${VE_WIN_FFMPEG}" avformat avcodec avutil)
# In the order they use each other, then what libavutil needs of Windows.
set_target_properties(ve_win_avformat PROPERTIES INTERFACE_LINK_LIBRARIES "ve_win_avcodec;ve_win_avutil")
set_target_properties(ve_win_avcodec PROPERTIES INTERFACE_LINK_LIBRARIES "ve_win_avutil")
set_target_properties(ve_win_avutil PROPERTIES INTERFACE_LINK_LIBRARIES "bcrypt;user32;atomic")
target_link_libraries(veviewer PUBLIC ve_root vepage veframework camview_options camview_png ole32 oleaut32 uuid user32 gdi32 msvfw32
                      shell32 comctl32 camview_fetch PRIVATE ve_warnings ve_win_avformat)

# camview.exe serve: libmicrohttpd built for this architecture by
# scripts/setup --windows into the build folder's microhttpd/ (static,
# without HTTPS: the service listens on this machine only here).
set(VE_WIN_MICROHTTPD "${PROJECT_BINARY_DIR}/microhttpd" CACHE PATH "libmicrohttpd built for this architecture")
ve_win_prebuilt("${VE_WIN_MICROHTTPD}" microhttpd)
set_target_properties(ve_win_microhttpd PROPERTIES INTERFACE_LINK_LIBRARIES "ws2_32" INTERFACE_COMPILE_DEFINITIONS MHD_W32LIB)
add_library(veserve STATIC ${VE_SERVE_SOURCES} ${VE_WIN32_SERVE_SOURCES}
  ${PROJECT_SOURCE_DIR}/platform/service/ListenAddress.cpp
  ${PROJECT_SOURCE_DIR}/platform/service/win32/StopRequest.cpp)
include(${PROJECT_SOURCE_DIR}/cmake/ServePage.cmake)
ve_serve_page(veserve)
target_link_libraries(veserve PUBLIC veviewer ve_win_microhttpd PRIVATE ve_warnings ve_win_jpeg)

add_executable(camview ${PROJECT_SOURCE_DIR}/tools/camview/win32/main.cpp ${VE_WIN32_PROGRAM_SOURCES})
target_compile_definitions(camview PRIVATE VE_VERSION="${PROJECT_VERSION}")
target_link_libraries(camview PRIVATE veserve veviewer camview_options camview_fetch camview_png vepage wininet windowscodecs
                      comctl32 shell32 ve_warnings)
set_target_properties(camview PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR} WIN32_EXECUTABLE ON)
add_dependencies(camview ve_virizu)

# The container's pieces under Wine.
add_executable(win_viewer_tests ${PROJECT_SOURCE_DIR}/tests/windows/ViewerContainerTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/windows/ApartmentTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/windows/ViewerWindowTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/host/StatusLineTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/host/ReconnectTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/host/MessageFrameTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/host/WindowCoreTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/host/SecretStoreTest.cpp)
target_link_libraries(win_viewer_tests PRIVATE veviewer gtest gtest_main ve_warnings)
set_target_properties(win_viewer_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
