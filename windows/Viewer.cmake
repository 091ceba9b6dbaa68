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
  ${PROJECT_SOURCE_DIR}/host/win32/Container.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/ControlFactory.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/ControlSite.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/CursorNames.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/DrawRecord.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/PointerInput.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/InPlaceFrame.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/MessageBrowser.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/ParamBag.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/PropertyPages.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/DrawCalls.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/Utf.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/Canvas.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/PictureView.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/Snapshots.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/UserFolders.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/AddressPrompt.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/ImportTable.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/PasswordCalls.cpp
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

add_executable(camview
  ${PROJECT_SOURCE_DIR}/tools/camview/win32/main.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/FetchText.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/Headless.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/PageSource.cpp
  ${PROJECT_SOURCE_DIR}/host/win32/Window.cpp
)
target_compile_definitions(camview PRIVATE VE_VERSION="${PROJECT_VERSION}")
target_link_libraries(camview PRIVATE veviewer camview_options camview_fetch camview_png vepage wininet windowscodecs
                      comctl32 shell32 ve_warnings)
set_target_properties(camview PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR} WIN32_EXECUTABLE ON)
add_dependencies(camview ve_virizu)

# The container's pieces under Wine.
add_executable(win_viewer_tests ${PROJECT_SOURCE_DIR}/tests/windows/ViewerContainerTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/windows/ViewerWindowTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/host/StatusLineTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/host/ReconnectTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/host/MessageFrameTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/host/WindowCoreTest.cpp
                                ${PROJECT_SOURCE_DIR}/tests/host/SecretStoreTest.cpp)
target_link_libraries(win_viewer_tests PRIVATE veviewer gtest gtest_main ve_warnings)
set_target_properties(win_viewer_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
